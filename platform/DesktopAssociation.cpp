/** @file DesktopAssociation.cpp ** Desktop entries and MIME packages for file associations. **/
#include "platform/DesktopAssociation.h"

#include "platform/SafeSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace pm {

QString userDataHome()
{
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(home))
        home = QDir::homePath() + QStringLiteral("/.local/share");
    if (!home.endsWith(u'/'))
        home += u'/';
    return home;
}

QString desktopIdPart(const QString& text)
{
    QString out;
    for (QChar c : text.toLower()) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
        if (plain)
            out += c;
        else if (!out.endsWith(u'-'))
            out += u'-';
    }
    while (out.endsWith(u'-'))
        out.chop(1);
    while (out.startsWith(u'-'))
        out.remove(0, 1);
    return out;
}

namespace {

    // Text of a desktop-file string or localestring value.
    QString desktopString(const QString& text)
    {
        QString out;
        for (QChar c : text) {
            if (c == u'\\')
                out += QStringLiteral("\\\\");
            else if (c == u'\n')
                out += QStringLiteral("\\n");
            else if (c == u'\r')
                out += QStringLiteral("\\r");
            else if (c == u'\t')
                out += QStringLiteral("\\t");
            else
                out += c;
        }
        return out;
    }

    QString xmlEscaped(const QString& text)
    {
        return text.toHtmlEscaped();
    }

    bool writeText(const QString& path, const QString& text, QString* error)
    {
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder)) {
            if (error)
                *error = QStringLiteral("Cannot create the folder ") + folder;
            return false;
        }
        QString reason;
        if (saveFileSafely(path, text.toUtf8(), &reason))
            return true;
        if (error)
            *error = path + QStringLiteral(": ") + reason;
        return false;
    }

    bool removeIfThere(const QString& path, QString* error)
    {
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return true;
        QFile file(path);
        if (file.remove())
            return true;
        if (error)
            *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }

} // namespace

QString desktopExecArgument(const QString& argument)
{
    // Inside the quotes ", `, $ and \ take a backslash; "%" is the field code mark. The
    // whole value is then a desktop-file string, whose own escaping doubles every backslash.
    QString quoted;
    for (QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        if (c == u'%')
            quoted += QStringLiteral("%%");
        else
            quoted += c;
    }
    return u'"' + desktopString(quoted) + u'"';
}

QString desktopEntryText(const DesktopAssociation& a)
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Version=1.0\n");
    text += QStringLiteral("Name=") + desktopString(a.name) + u'\n';
    text += QStringLiteral("Comment=Opens ") + desktopString(a.mimeType)
        + QStringLiteral(" files in Pagemason\n");
    text += QStringLiteral("Exec=") + desktopExecArgument(a.program) + QStringLiteral(" %F\n");
    if (!a.icon.isEmpty())
        text += QStringLiteral("Icon=") + desktopString(a.icon) + u'\n';
    text += QStringLiteral("Terminal=false\n"
                           "NoDisplay=true\n");
    text += QStringLiteral("MimeType=") + desktopString(a.mimeType) + QStringLiteral(";\n");
    return text;
}

QString mimePackageText(const DesktopAssociation& a)
{
    QString text
        = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<mime-info "
                         "xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n");
    text += QStringLiteral("  <mime-type type=\"") + xmlEscaped(a.mimeType)
        + QStringLiteral("\">\n");
    text += QStringLiteral("    <comment>") + xmlEscaped(a.mimeComment)
        + QStringLiteral("</comment>\n");
    if (!a.icon.isEmpty() && !a.icon.contains(u'/'))
        text += QStringLiteral("    <generic-icon name=\"") + xmlEscaped(a.icon)
            + QStringLiteral("\"/>\n");
    text += QStringLiteral("    <glob pattern=\"") + xmlEscaped(a.glob) + QStringLiteral("\"/>\n");
    text += QStringLiteral("  </mime-type>\n</mime-info>\n");
    return text;
}

QString desktopEntryPath(const QString& dataHome, const QString& id)
{
    return dataHome + QStringLiteral("applications/") + id + QStringLiteral(".desktop");
}

QString mimePackagePath(const QString& dataHome, const QString& id)
{
    return dataHome + QStringLiteral("mime/packages/") + id + QStringLiteral(".xml");
}

bool installDesktopAssociation(const DesktopAssociation& a, const QString& dataHome, QString* error)
{
    const bool ownType = !a.glob.isEmpty();
    if (ownType && !writeText(mimePackagePath(dataHome, a.id), mimePackageText(a), error))
        return false;
    if (!writeText(desktopEntryPath(dataHome, a.id), desktopEntryText(a), error)) {
        if (ownType)
            removeIfThere(mimePackagePath(dataHome, a.id), nullptr);
        return false;
    }
    refreshDesktopDatabases(dataHome);
    return true;
}

bool removeDesktopAssociation(const QString& id, const QString& dataHome, QString* error)
{
    const bool entryGone = removeIfThere(desktopEntryPath(dataHome, id), error);
    const bool packageGone
        = removeIfThere(mimePackagePath(dataHome, id), entryGone ? error : nullptr);
    refreshDesktopDatabases(dataHome);
    return entryGone && packageGone;
}

void refreshDesktopDatabases(const QString& dataHome)
{
    // Quick programs; waited for so that a file manager opened next sees the change.
    const auto run = [](const QString& name, const QString& folder) {
        const QString program = QStandardPaths::findExecutable(name);
        if (program.isEmpty() || !QFileInfo(folder).isDir())
            return;
        QProcess process;
        process.setProgram(program);
        process.setArguments({ folder });
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start();
        if (!process.waitForFinished(10000))
            process.kill();
        process.waitForFinished(1000);
    };
    run(QStringLiteral("update-desktop-database"), dataHome + QStringLiteral("applications"));
    run(QStringLiteral("update-mime-database"), dataHome + QStringLiteral("mime"));
}

} // namespace pm
