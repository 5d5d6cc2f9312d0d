/** @file NmcliDialUp.cpp ** nmcli behind the dial-up service. **/
#include "platform/NmcliDialUp.h"

#include <QProcess>
#include <atomic>
#include <thread>

namespace pm {

namespace {

    /// Connection states reported while a connection comes up.
    constexpr int stateOpenPort = 0;
    constexpr int stateConnectDevice = 2;
    constexpr int stateConnected = 8192;

    /// nmcli's exit codes that name a failure of their own.
    int errorOfExit(int exitCode)
    {
        switch (exitCode) {
        case 0:
            return 0;
        case 3:
            return NmcliDialUp::errTimeout;
        case 8:
            return NmcliDialUp::errNoNetworkManager;
        case 10:
            return NmcliDialUp::errNoSuchEntry;
        default:
            return NmcliDialUp::errActivationFailed;
        }
    }

    /// Runs nmcli to its end (or until `cancel` is set, which kills it); 0 or an error code.
    int runNmcli(const QString& program, const QStringList& args, QByteArray* output,
        const std::atomic<bool>* cancel = nullptr)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.start(program, args);
        if (!p.waitForStarted(5000))
            return NmcliDialUp::errNoNetworkManager;
        while (!p.waitForFinished(100)) {
            if (p.state() == QProcess::NotRunning)
                break;
            if (cancel && cancel->load()) {
                p.kill();
                p.waitForFinished(2000);
                return NmcliDialUp::errActivationFailed;
            }
        }
        if (output)
            *output = p.readAllStandardOutput();
        if (p.exitStatus() != QProcess::NormalExit)
            return NmcliDialUp::errActivationFailed;
        return errorOfExit(p.exitCode());
    }

} // namespace

struct NmcliDialUp::Call
{
    QString entry;
    std::atomic<bool> cancel { false };
    std::atomic<bool> up { false };
    std::thread thread;
};

NmcliDialUp::NmcliDialUp(const QString& program)
    : m_program(program)
{
}

NmcliDialUp::~NmcliDialUp()
{
    std::map<uintptr_t, std::unique_ptr<Call>> calls;
    {
        QMutexLocker lock(&m_mutex);
        calls.swap(m_calls);
    }
    for (auto& [handle, call] : calls) {
        call->cancel = true;
        if (call->thread.joinable())
            call->thread.join();
    }
}

QStringList NmcliDialUp::parseTerseNames(const QByteArray& output)
{
    QStringList names;
    const QList<QByteArray> lines = output.split('\n');
    for (const QByteArray& line : lines) {
        QByteArray name;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size())
                ++i;
            name += line[i];
        }
        if (name.endsWith('\r'))
            name.chop(1);
        if (!name.isEmpty())
            names.append(QString::fromUtf8(name));
    }
    return names;
}

int NmcliDialUp::enumEntries(QStringList& names)
{
    names.clear();
    QByteArray out;
    const int error = runNmcli(m_program,
        { QStringLiteral("-t"), QStringLiteral("-f"), QStringLiteral("NAME"),
            QStringLiteral("connection"), QStringLiteral("show") },
        &out);
    if (error != 0)
        return error;
    names = parseTerseNames(out);
    return 0;
}

int NmcliDialUp::entryDialParams(const QString& entry)
{
    QStringList names;
    const int error = enumEntries(names);
    if (error != 0)
        return error;
    return names.contains(entry) ? 0 : errNoSuchEntry;
}

int NmcliDialUp::dial(const QString& entry, Progress progress, uintptr_t& handle)
{
    auto call = std::make_unique<Call>();
    call->entry = entry;
    Call* c = call.get();
    {
        QMutexLocker lock(&m_mutex);
        handle = m_nextHandle++;
        m_calls.emplace(handle, std::move(call));
    }
    const QString program = m_program;
    c->thread = std::thread([c, program, progress] {
        progress(dialEventMessage, stateOpenPort, 0);
        if (c->cancel)
            return;
        progress(dialEventMessage, stateConnectDevice, 0);
        const int error = runNmcli(program,
            { QStringLiteral("connection"), QStringLiteral("up"), QStringLiteral("id"), c->entry },
            nullptr, &c->cancel);
        if (c->cancel)
            return;
        c->up = error == 0;
        progress(dialEventMessage, error == 0 ? stateConnected : stateConnectDevice, error);
    });
    return 0;
}

void NmcliDialUp::hangUp(uintptr_t handle)
{
    std::unique_ptr<Call> call;
    {
        QMutexLocker lock(&m_mutex);
        auto it = m_calls.find(handle);
        if (it == m_calls.end())
            return;
        call = std::move(it->second);
        m_calls.erase(it);
    }
    call->cancel = true;
    if (call->thread.joinable())
        call->thread.join();
    if (call->up)
        runNmcli(m_program,
            { QStringLiteral("connection"), QStringLiteral("down"), QStringLiteral("id"),
                call->entry },
            nullptr);
}

QString NmcliDialUp::errorText(int code)
{
    switch (code) {
    case errTooManyEntries:
        return QStringLiteral("There are more connections than there is room for.");
    case errNoNetworkManager:
        return QStringLiteral("NetworkManager is not available (nmcli could not be run).");
    case errNoSuchEntry:
        return QStringLiteral("The connection was not found.");
    case errTimeout:
        return QStringLiteral("The connection did not come up in time.");
    case errActivationFailed:
        return QStringLiteral("The connection could not be brought up.");
    default:
        return QStringLiteral("Dial-up error %1.").arg(code);
    }
}

namespace {
    DialUpService* installedService = nullptr;
}

DialUpService& dialUpService()
{
    if (installedService)
        return *installedService;
    static NmcliDialUp nmcli;
    return nmcli;
}

DialUpService* setDialUpService(DialUpService* service)
{
    DialUpService* previous = installedService;
    installedService = service;
    return previous;
}

} // namespace pm
