/** @file viewer_utl.cpp ** Handing a document to a browser or viewer. **/
#include "document/common/viewer_utl.h"

#include "core/global_utl.h"
#include "core/status_utl.h"
#include "platform/Dialogs.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"

#include <QStandardPaths>

QString ddeOpenUrlItem(int viewerType, const QString& fileName)
{
    if (viewerType == 0)
        return QStringLiteral("\"file:") + fileName + QStringLiteral("\",,-1,,,,,");
    return fileName + QStringLiteral(",,0xFFFFFFFF,0x3,,,");
}

pm::DdeConversation browserConversation(
    int viewerType, const QString& viewer, const QString& fileName)
{
    pm::DdeConversation c;
    c.serviceApplication = viewer;
    c.service = viewerType == 0 ? QStringLiteral("IExplore") : QStringLiteral("Netscape");
    c.requests = {
        { QStringLiteral("WWW_Activate"), QStringLiteral("0xFFFFFFFF") },
        { QStringLiteral("WWW_OpenURL"), ddeOpenUrlItem(viewerType, fileName) },
    };
    c.timeoutMs = 10000;
    c.document = fileName;
    return c;
}

QString viewerCommandLine(const QString& viewer, const QString& fileName)
{
    return viewer + u' ' + fileName;
}

bool viewInBrowser(const QString& fileName)
{
    const int type = globalOptions.viewerType;
    const QString& viewer = globalOptions.viewerFileName;
    if (viewer.isEmpty() && type != 3) {
        pm::dialogs().message(
            pm::Dialogs::Kind::Information, noBrowserMessage, pm::Dialogs::Buttons::Ok);
        return false;
    }
    bool handedOn = false;
    switch (type) {
    case 3:
        // No file (an untitled document) leaves the desktop nothing to open.
        return !fileName.isEmpty() && pm::shell().open(fileName);
    case 0:
    case 1:
        handedOn = pm::ddeClient().converse(browserConversation(type, viewer, fileName));
        break;
    case 2:
        handedOn = pm::shell().startDetached(
            viewer, fileName.isEmpty() ? QStringList() : QStringList { fileName });
        break;
    default:
        return false;
    }
    if (!handedOn)
        setStatus(QStringLiteral("The viewer could not be started: ") + viewer);
    return handedOn;
}

QString browserPathDefault(int viewerType, const QString& currentPath)
{
    if (!currentPath.isEmpty())
        return currentPath;
    if (viewerType == 0) {
        for (const char* name : { "x-www-browser", "firefox", "firefox-esr", "chromium" }) {
            const QString found = QStandardPaths::findExecutable(QLatin1String(name));
            if (!found.isEmpty())
                return found;
        }
        return currentPath;
    }
    if (viewerType == 1) {
        const QString folder = pm::settingsStore().readString(
            QStringLiteral("Software\\Netscape\\Netscape Navigator\\Main"),
            QStringLiteral("Install Directory"), QString());
        if (!folder.isEmpty())
            return folder + QStringLiteral("/Program/Netscape.exe");
    }
    return currentPath;
}
