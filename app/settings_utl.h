/** @file settings_utl.h ** Loading and saving the settings record, and the editor font built
 ** from it. **/
#pragma once

#include "app/global_utl.h"

class QFont;

/// The one font given to every editor, rebuilt from `globalOptions.font` by `loadSettings`.
extern QFont editorFont;

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
