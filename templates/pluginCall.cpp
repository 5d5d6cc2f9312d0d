/** @file pluginCall.cpp ** Runs the plug-in host for one call and reads its answer. **/
#include "templates/pluginCall.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStringDecoder>
#include <QTimer>

namespace {
TPluginWaitWindow* installedWaitWindow = nullptr;
QString hostProgramOverride;
} // namespace

TPluginWaitWindow* pluginWaitWindow()
{
    return installedWaitWindow;
}

TPluginWaitWindow* setPluginWaitWindow(TPluginWaitWindow* window)
{
    return std::exchange(installedWaitWindow, window);
}

QString pluginHostProgram()
{
    if (!hostProgramOverride.isEmpty())
        return hostProgramOverride;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/pagemason-plugin-host");
}

void setPluginHostProgram(const QString& program)
{
    hostProgramOverride = program;
}

TPluginCallResult callPlugin(
    const QString& path, const QString& name, const TPluginCallOptions& options)
{
    const TPluginCallResult failed;
    pluginHost::Request request;
    request.collection = path.toStdString();
    request.function = name.toStdString();
    request.values = exportedValues();
    request.maxResultBytes = options.maxResultBytes;
    const std::string bytes = pluginHost::encodeRequest(request);

    QProcess host;
    host.setProgram(pluginHostProgram());
    // What a plug-in prints lands on the editor's own standard error, where a plug-in's
    // author looks for it.
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);

    QEventLoop loop;
    bool done = false;
    bool killed = false;
    QByteArray reply;
    // The header and the text, no more: a helper that says more is not to be believed.
    const qsizetype longestReply = qsizetype(options.maxResultBytes) + 16;
    const auto end = [&] {
        killed = true;
        host.kill();
    };
    QObject::connect(&host, &QProcess::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    QObject::connect(&host, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            done = true;
            loop.quit();
        }
    });
    QObject::connect(&host, &QProcess::readyReadStandardOutput, &loop, [&] {
        reply += host.readAllStandardOutput();
        if (reply.size() > longestReply && !killed)
            end();
    });

    host.start(QIODevice::ReadWrite);
    if (!host.waitForStarted(options.timeoutMs)) {
        qWarning("The plug-in host %s could not be started: %s", qPrintable(host.program()),
            qPrintable(host.errorString()));
        return failed;
    }
    host.write(bytes.data(), qint64(bytes.size()));
    host.closeWriteChannel();

    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        if (!killed)
            end();
    });
    deadline.start(options.timeoutMs);
    QTimer delay;
    delay.setSingleShot(true);
    QObject::connect(&delay, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (options.waitWindow)
        delay.start(options.waitWindowDelayMs);

    // Until the wait window is up nothing the user does may reach the documents.
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!done && options.waitWindow) {
        options.waitWindow->showWaiting(name, [&] {
            if (!killed)
                end();
        });
        // The wait window is modal: input reaches its Cancel button and nothing else.
        if (!done)
            loop.exec();
        options.waitWindow->hideWaiting();
    }
    if (!done) { // not reached through the loops above, but never leave a helper behind
        end();
        host.waitForFinished();
    }

    if (killed || host.exitStatus() != QProcess::NormalExit || host.exitCode() != 0)
        return failed;
    reply += host.readAllStandardOutput();
    int32_t code = 0;
    std::string_view text;
    if (!pluginHost::decodeReply(
            std::string_view(reply.constData(), size_t(reply.size())), code, text)
        || text.size() > options.maxResultBytes)
        return failed;
    if (code != pluginHost::resultOk)
        return TPluginCallResult { code, QString() };
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), qsizetype(text.size())));
    if (utf8.hasError())
        return failed;
    return TPluginCallResult { pluginHost::resultOk, std::move(decoded) };
}
