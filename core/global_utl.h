/** @file global_utl.h ** The one settings record, the application paths and file names
 ** (QtCore only; loading and saving are in settings_utl.h). **/
#pragma once

#include <QString>
#include <cstdint>

/// Editor font settings; turned into `editorFont` after every load.
struct TfontSettings
{
    QString name = QStringLiteral("Courier New"); ///< at most 32 characters
    int32_t size = 10;
    QString styles; ///< "Bold", "Italic", "Underline", "Strikeout" found anywhere
};

struct TPublishSettings
{
    QString remoteFilenameMask = QStringLiteral("*");
    QString serverAddress;
    int32_t serverPort = 21;
    QString initialDirectory;
    QString userName;
    QString userPassword; ///< stored as plain text, which is why the store file is 0600
    bool autoLowercaseRemoteFilename = true;
    bool dialISP = true;
};

/// Field order is the declared order of the settings table.
struct optns
{
    uint8_t viewerType = 0;
    QString viewerFileName; ///< at most 255 characters
    bool autoInsertBR = false;
    bool autoInsertTags = true;
    bool statusBarVisible = true;
    QString defaultExt = QStringLiteral("html"); ///< at most 4 characters, no dot
    bool showSplash = true;
    uint8_t splashSeconds = 1;
    bool toolsWindowDocked = true;
    int32_t toolsWindowTop = 100;
    int32_t toolsWindowLeft = 100;
    bool toolsWindowVisible = true;
    bool colorTags = true; ///< read and saved only
    TfontSettings font;
    uint8_t messageType = 0; ///< 0 detailed, 1 short error messages
    bool logErrors = false;
    uint8_t tagCase = 2; ///< 0 lower, 1 upper, 2 as written in the menus file
    bool imagePreviewVisible = false;
    bool toolbarsVisible = true;
    bool autoCompleteTags = true;
    bool convertUnixStrings = true;
    TPublishSettings publish;

    // Our own values, beyond the designed table.
    /// Where the Open and Save dialogs start while no project is loaded; empty: the home folder.
    QString lastDialogFolder;
    /// The main window's normal (not maximised) place: the position of its frame and the size
    /// of its inside. A width or height of 0: none was stored yet (the first start).
    int32_t mainWindowLeft = 0;
    int32_t mainWindowTop = 0;
    int32_t mainWindowWidth = 0;
    int32_t mainWindowHeight = 0;
    bool mainWindowMaximized = false;
    /// File > Open keeps tabs instead of expanding each to 4 spaces ("Edit", "Keep tabs on open").
    bool keepTabsOnOpen = false;
    /// New document windows show the live preview beside the editor ("Toolbars&Windows",
    /// "Live preview visible").
    bool livePreview = false;
};

extern optns globalOptions;

/// Application paths; every folder ends with "/".
extern QString applicationFolder;
extern QString pluginsFolder;
extern QString hotkeysFileName;
extern QString toolbarFileName;
extern QString errorLogFileName;
extern QString historyFileName;
extern QString helpFileName;
extern QString colorRulesFileName;
extern QString dynamicMenusFileName;
extern QString projectDir;
extern QString projectFileName; ///< "Last project" lives here between runs
extern bool webBrowserControlAvailable;
/// Delimiter characters given to every document's text storage.
extern QString parserDelimiters;

/// The registry key every settings section lives under.
inline const QString settingsKey = QStringLiteral("Software\\Orvane\\Pagemason");

/// Index of the tools window's active page: set by `loadSettings`, saved by `saveSettings`.
/// The tools window keeps it current (or refreshes it in TSettingsWindows::beforeSave).
extern int toolsWindowActivePage;

/// Sets `applicationFolder` (made to end with "/"), `pluginsFolder` and `projectDir`.
void setApplicationFolder(const QString& folder);
/// Sets the file names derived from `applicationFolder`, in start-up order.
void setFileNames();

QString unixPathIfWanted(const QString& text);
