/** @file startup_utl.h ** What happens between launch and ready, and again at shutdown: the
 ** start-up steps with their splash texts, and the command line. **/
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

struct TProgramFolders;
class TMainForm;
class TsplashScreen;

/// The steps of start-up and shutdown that the main window's parts carry out, called by the
/// sequence below at their places. The main window's document side carries them out in the
/// program; a step not overridden does nothing, so tests record only what they look at.
class TStartupSteps
{
public:
    virtual ~TStartupSteps() = default;
    // initializeApplication
    virtual void afterFileNames() {} ///< copy the Open filter to the files page
    virtual void loadFileReopenList() {}
    virtual void loadProjectReopenList() {}
    virtual void initializeToolsWindow() {}
    virtual void loadLastProject() {} ///< loadProject(projectFileName), then the folder list
    virtual void installHandlers() {} ///< hint, active-form and hotkey handlers, image preview
    // first FormShow
    virtual void loadReopenMenus() {}
    virtual void loadDynamicMenus() {}
    virtual void loadToolbars() {}
    /// A command-line argument naming an existing file whose path holds ".htm" / ".pmp".
    virtual void openCommandLineDocument(const QString& fileName) { (void)fileName; }
    virtual void openCommandLineProject(const QString& fileName) { (void)fileName; }
    // FormClose
    /// Closes every document window, last to first; false when the user cancelled.
    virtual bool closeDocumentWindows() { return true; }
    /// Asks to save a modified project; false when the user cancelled.
    virtual bool askSaveProject() { return true; }
};

/// The program's arguments after its own name (set by the program entry).
extern QStringList commandLineArguments;

/// Sees every start-up status text, shown or not (tests, start-up timing).
extern std::function<void(const QString& text)> startupStatusObserver;
/// Waits `milliseconds` with the splash up, painting but taking no input. Tests replace it.
extern std::function<void(int milliseconds)> splashWait;

/// Runs from the main window's creation: paths, settings, splash, file names, reopen lists,
/// tools window, last project, handlers.
void initializeApplication(TMainForm& form, TStartupSteps& steps);
/// The program entry's step after the main window exists: the forms that live hidden for the
/// whole run (the wizard's page templates), the installed input wizard and the command actions
/// of templates with the plug-in wait window.
void createProgramForms(TMainForm& form);
/// Runs once from the main window's first show, ending with the splash closed and ready.
void finishStartup(TStartupSteps& steps);
/// Opens the documents and the project named on the command line.
void processCommandLine(TStartupSteps& steps);
/// Sets the splash's status text and repaints it at once; nothing when there is no splash.
void showSplashStatus(const QString& text);
/// The splash window while it is up, else null.
TsplashScreen* splashScreen();
/// Frees the splash window now (also when start-up never reached its end).
void closeSplashScreen();

/// The folder of the running executable, ending with "/".
QString executableFolder();
/// The program's folders for this executable, the user's copy seeded when it is installed.
TProgramFolders programFolders();
/// True when this build carries the preview engine.
bool detectWebBrowserControl();
