/** @file global_utl.h ** The one settings record, the application paths and file names, and
 ** the routines that load and save the settings. **/
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class QFont;

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

/// The one font given to every editor, rebuilt from `globalOptions.font` by `loadSettings`.
extern QFont editorFont;
/// Index of the tools window's active page: set by `loadSettings`, saved by `saveSettings`.
/// The tools window keeps it current (or refreshes it through settingsHooks.beforeSave).
extern int toolsWindowActivePage;

/// Where later parts of the program take part in loading and saving the settings.
struct TSettingsHooks
{
    /// First step of a save: bring toolsWindowLeft/Top and toolsWindowActivePage up to date
    /// from the tools window.
    std::function<void()> beforeSave;
    /// Called during the load right after "Tools Window active page#" was read.
    std::function<void(int page)> applyToolsWindowPage;
    /// Saves the toolbar positions under `key` ("...\Toolbars&Windows\Toolbars Positions"),
    /// at its place in the save order.
    std::function<void(const QString& key)> saveToolbarPositions;
};
extern TSettingsHooks settingsHooks;

/// Reads every setting under `key` into `globalOptions`, "Last project" into
/// `projectFileName`, the active tools page, and rebuilds `editorFont`.
void loadSettings(const QString& key);
/// Writes every setting under `key` in one update of the store, plus "2.3" as the key's
/// default value. False when the store could not be written.
bool saveSettings(const QString& key);
/// Applies "name,size,styles,colour" to `font`; `color` (0x00BBGGRR) receives the colour
/// field when given.
void parseFontDescriptor(const QString& descriptor, QFont& font, int32_t* color = nullptr);
/// Rebuilds `editorFont` from `globalOptions.font`.
void rebuildEditorFont();

/// Sets `applicationFolder` (made to end with "/"), `pluginsFolder` and `projectDir`.
void setApplicationFolder(const QString& folder);
/// Sets the file names derived from `applicationFolder`, in start-up order.
void setFileNames();

QString unixPathIfWanted(const QString& text);
