/** @file startup_utl.cpp ** Start-up steps in their fixed order, the splash, the command line. **/
#include "app/startup_utl.h"

#include "app/TMainForm.h"
#include "app/TMainFormWindows.h"
#include "app/TsplashScreen.h"
#include "core/programFolders_utl.h"
#include "core/settings_utl.h"
#include "document/Childwin.h"
#include "document/TCommandActions.h"
#include "platform/DesktopAssociation.h"
#include "templates/wizard/TinputWizard.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QStatusBar>
#include <QTimer>

#include <memory>

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

} // namespace

std::function<void(int)> splashWait = waitPainting;

QString executableFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

TProgramFolders programFolders()
{
    const TProgramFolders folders
        = programFoldersFor(executableFolder(), QStringLiteral(PAGEMASON_RELATIVE_DATADIR),
            QStringLiteral(PAGEMASON_RELATIVE_PLUGINDIR), pm::userDataHome());
    // Readers cope with a missing file, so a folder that cannot be seeded is only noted.
    const QStringList problems = seedUserFolder(folders);
    for (const QString& problem : problems)
        qWarning("Pagemason: %s", qPrintable(problem));
    return folders;
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

void initializeApplication(TMainForm& form, TStartupSteps& steps)
{
    webBrowserControlAvailable = detectWebBrowserControl();
    setApplicationFolder(programFolders().userFolder);
    // Everything that reads a setting comes after this, the splash decision included.
    loadSettings(settingsKey, form.windows());

    if (globalOptions.showSplash) {
        splash = std::make_unique<TsplashScreen>();
        splash->show();
    }
    showSplashStatus(QStringLiteral("Initializing Pagemason...."));

    showSplashStatus(QStringLiteral("Setting filenames..."));
    setFileNames();
    steps.afterFileNames();

    showSplashStatus(QStringLiteral("Loading file reopen list..."));
    steps.loadFileReopenList();
    showSplashStatus(QStringLiteral("Loading project reopen list..."));
    steps.loadProjectReopenList();
    showSplashStatus(QStringLiteral("Initializing tools window..."));
    steps.initializeToolsWindow();
    showSplashStatus(QStringLiteral("Loading last project..."));
    steps.loadLastProject();

    showSplashStatus(QStringLiteral("Setting some internal stuff..."));
    form.statusBar()->setVisible(globalOptions.statusBarVisible);
    parserDelimiters = QStringLiteral("{}+-/*():=,;><$.#[]^@&~|%'<>") + QChar(u'\t');
    steps.installHandlers();
}

void createProgramForms(TMainForm& form)
{
    installInputWizard(&form, activeWizardDocument());
    installCommandActions(&form);
}

void finishStartup(TStartupSteps& steps)
{
    showSplashStatus(QStringLiteral("Loading reopen menu items..."));
    steps.loadReopenMenus();
    showSplashStatus(QStringLiteral("Loading dynamic menus..."));
    steps.loadDynamicMenus();
    showSplashStatus(QStringLiteral("Loading dynamic toolbars..."));
    steps.loadToolbars();
    showSplashStatus(QStringLiteral("Proccessing command line parameters..."));
    processCommandLine(steps);

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

void processCommandLine(TStartupSteps& steps)
{
    for (const QString& argument : std::as_const(commandLineArguments)) {
        // A folder ("site.htm/") is no file to open either.
        if (!QFileInfo(argument).isFile())
            continue;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // A substring of the whole path, not an extension test, as users' shortcuts rely on.
        const QString lower = argument.toLower();
        if (lower.contains(u".htm"))
            steps.openCommandLineDocument(argument);
        if (lower.contains(u".pmp"))
            steps.openCommandLineProject(argument);
        QApplication::restoreOverrideCursor();
    }
}
