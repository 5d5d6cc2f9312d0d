/** @file startup_utl.h ** What happens between launch and ready, and again at shutdown: the
 ** start-up steps with their splash texts, the command line, and the seams later parts fill. **/
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class TMainForm;
class TsplashScreen;

/// Steps of start-up and shutdown that belong to other parts of the program. Each is called at
/// its place in the sequence; an empty one does nothing.
struct TStartupHooks
{
    // initializeApplication
    std::function<void()> afterFileNames; ///< copy the Open filter to the files page
    std::function<void()> loadFileReopenList;
    std::function<void()> loadProjectReopenList;
    std::function<void()> initializeToolsWindow;
    std::function<void()> loadLastProject; ///< loadProject(projectFileName), then the folder list
    std::function<void()> installHandlers; ///< hint, active-form and hotkey handlers, image preview
    /// Program entry, after the main window: the forms that live hidden for the whole run.
    std::function<void()> createForms;
    // first FormShow
    std::function<void()> loadReopenMenus;
    std::function<void()> loadDynamicMenus;
    std::function<void()> loadToolbars;
    /// A command-line argument naming an existing file whose path holds ".htm" / ".pmp".
    std::function<void(const QString& fileName)> openCommandLineDocument;
    std::function<void(const QString& fileName)> openCommandLineProject;
    // FormClose
    /// Closes every document window, last to first; false when the user cancelled.
    std::function<bool()> closeDocumentWindows;
    /// Asks to save a modified project; false when the user cancelled.
    std::function<bool()> askSaveProject;
};
extern TStartupHooks startupHooks;

/// The program's arguments after its own name (set by the program entry).
extern QStringList commandLineArguments;

/// Sees every start-up status text, shown or not (tests, start-up timing).
extern std::function<void(const QString& text)> startupStatusObserver;
/// Waits `milliseconds` with the splash up, painting but taking no input. Tests replace it.
extern std::function<void(int milliseconds)> splashWait;

/// Runs from the main window's creation: paths, settings, splash, file names, reopen lists,
/// tools window, last project, handlers.
void initializeApplication(TMainForm* form);
/// Runs once from the main window's first show, ending with the splash closed and ready.
void finishStartup(TMainForm* form);
/// Opens the documents and the project named on the command line.
void processCommandLine();
/// Sets the splash's status text and repaints it at once; nothing when there is no splash.
void showSplashStatus(const QString& text);
/// The splash window while it is up, else null.
TsplashScreen* splashScreen();
/// Frees the splash window now (also when start-up never reached its end).
void closeSplashScreen();

/// The folder of the running executable, ending with "/".
QString executableFolder();
/// True when this build carries the preview engine.
bool detectWebBrowserControl();
