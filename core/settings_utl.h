/** @file settings_utl.h ** Loading and saving the settings record, and the editor font built
 ** from it. **/
#pragma once

#include "core/global_utl.h"

class QFont;

/// The one font given to every editor, rebuilt from `globalOptions.font` by `loadSettings`.
extern QFont editorFont;

/// The main window's part in loading and saving the settings: the state only its windows
/// know. Without one, loading and saving skip these steps.
class TSettingsWindows
{
public:
    virtual ~TSettingsWindows() = default;
    /// During the load, right after "Tools Window active page#" was read.
    virtual void applyToolsWindowPage(int page) { (void)page; }
    /// First step of a save: bring toolsWindowLeft/Top and toolsWindowActivePage up to date
    /// from the tools window.
    virtual void beforeSave() {}
    /// Saves the toolbar positions under `key` ("...\Toolbars&Windows\Toolbars Positions"),
    /// at their place in the save order.
    virtual void saveToolbarPositions(const QString& key) { (void)key; }
};

/// Reads every setting under `key` into `globalOptions`, "Last project" into
/// `projectFileName`, the active tools page, and rebuilds `editorFont`.
void loadSettings(const QString& key, TSettingsWindows* frame = nullptr);
/// Writes every setting under `key` in one update of the store, plus "2.3" as the key's
/// default value. False when the store could not be written.
bool saveSettings(const QString& key, TSettingsWindows* frame = nullptr);
/// Applies "name,size,styles,colour" to `font`; `color` (0x00BBGGRR) receives the colour
/// field when given.
void parseFontDescriptor(const QString& descriptor, QFont& font, int32_t* color = nullptr);
/// Rebuilds `editorFont` from `globalOptions.font`.
void rebuildEditorFont();
