/** @file startup_utl.cpp ** Start-up steps in their fixed order, the splash, the command line. **/
#include "app/startup_utl.h"

#include "app/TMainForm.h"
#include "app/TsplashScreen.h"
#include "app/settings_utl.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QStatusBar>
#include <QTimer>

#include <memory>

TStartupHooks startupHooks;
QStringList commandLineArguments;
std::function<void(const QString&)> startupStatusObserver;

namespace {

/// The longest wait the splash may impose, whatever the store says: a hand-edited value
/// must not freeze the program for minutes.
constexpr int maxSplashSeconds = 10;

std::unique_ptr<TsplashScreen> splash;

void waitPainting(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    // Paints and timers run; the user's input waits until the splash has gone.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void step(const QString& status, const std::function<void()>& hook)
{
    showSplashStatus(status);
    if (hook)
        hook();
}

} // namespace

std::function<void(int)> splashWait = waitPainting;

QString executableFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

bool detectWebBrowserControl()
{
#ifdef PAGEMASON_WEBENGINE
    return true;
#else
    return false;
#endif
}

TsplashScreen* splashScreen()
{
    return splash.get();
}

void showSplashStatus(const QString& text)
{
    if (startupStatusObserver)
        startupStatusObserver(text);
    if (splash)
        splash->showStatus(text);
}

void initializeApplication(TMainForm* form)
{
    Q_UNUSED(form);
    webBrowserControlAvailable = detectWebBrowserControl();
    setApplicationFolder(executableFolder());
    // Everything that reads a setting comes after this, the splash decision included.
    loadSettings(settingsKey);

    if (globalOptions.showSplash) {
        splash = std::make_unique<TsplashScreen>();
        splash->show();
    }
    showSplashStatus(QStringLiteral("Initializing Pagemason...."));

    showSplashStatus(QStringLiteral("Setting filenames..."));
    setFileNames();
    if (startupHooks.afterFileNames)
        startupHooks.afterFileNames();

    step(QStringLiteral("Loading file reopen list..."), startupHooks.loadFileReopenList);
    step(QStringLiteral("Loading project reopen list..."), startupHooks.loadProjectReopenList);
    step(QStringLiteral("Initializing tools window..."), startupHooks.initializeToolsWindow);
    step(QStringLiteral("Loading last project..."), startupHooks.loadLastProject);

    showSplashStatus(QStringLiteral("Setting some internal stuff..."));
    if (form)
        form->statusBar()->setVisible(globalOptions.statusBarVisible);
    parserDelimiters = QStringLiteral("{}+-/*():=,;><$.#[]^@&~|%'<>") + QChar(u'\t');
    if (startupHooks.installHandlers)
        startupHooks.installHandlers();
}

void finishStartup(TMainForm* form)
{
    Q_UNUSED(form);
    step(QStringLiteral("Loading reopen menu items..."), startupHooks.loadReopenMenus);
    step(QStringLiteral("Loading dynamic menus..."), startupHooks.loadDynamicMenus);
    step(QStringLiteral("Loading dynamic toolbars..."), startupHooks.loadToolbars);
    showSplashStatus(QStringLiteral("Proccessing command line parameters..."));
    processCommandLine();

    if (splash) {
        showSplashStatus(QStringLiteral("Done"));
        const int seconds = qMin<int>(globalOptions.splashSeconds, maxSplashSeconds);
        if (seconds > 0 && splashWait)
            splashWait(seconds * 1000);
    }
    closeSplashScreen();
}

void closeSplashScreen()
{
    splash.reset();
}

void processCommandLine()
{
    for (const QString& argument : std::as_const(commandLineArguments)) {
        if (!QFileInfo::exists(argument))
            continue;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // A substring of the whole path, not an extension test, as users' shortcuts rely on.
        const QString lower = argument.toLower();
        if (lower.contains(u".htm") && startupHooks.openCommandLineDocument)
            startupHooks.openCommandLineDocument(argument);
        if (lower.contains(u".pmp") && startupHooks.openCommandLineProject)
            startupHooks.openCommandLineProject(argument);
        QApplication::restoreOverrideCursor();
    }
}
