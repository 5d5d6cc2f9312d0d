/** @file editCommands_utl.h ** What a document window does with keys typed into its editor and
 ** with the editing commands of its menus: typing aids, case commands, opening the selected
 ** name, dropped file names and the editor font. **/
#pragma once

#include <QString>

class QKeyEvent;
class QMimeData;
class QObject;
class TMDIChild;
struct TfontResults;

/// Hooks the key rules, the file-name drop and the menu commands below into `window`.
void installEditCommands(TMDIChild* window);

/// Key down in the editor, before the editor's own handling. True when the key was used up.
bool memo1KeyDown(TMDIChild& window, QKeyEvent* event);
/// A character typed in the editor. True when it was used up; else the editor types `text`.
bool memo1KeyPress(TMDIChild& window, QString& text);

/// After ">" was typed: completes the closing tag of the first template (auto-insert one
/// excepted) that starts like the tag just typed, leaving the caret between the two.
void autoCompleteClosingTag(TMDIChild& window);

/// "&WaCkY selected text": one undo step; does nothing without a selection.
void wackySelection(TMDIChild& window);
/// "&Open file (selected text)": opens the selected name when such a file exists (a relative
/// name is looked for beside the document first, then in the current folder). Returns the new
/// window, or null.
TMDIChild* openSelectedFile(TMDIChild& window);

/// Whether a drag from `source` carrying `data` may drop a file name on an editor: only one
/// from the tools window's file list.
bool acceptsFileDrop(const QObject* source, const QMimeData* data);
/// Inserts `fileName` at the caret, relative to the document where possible and converted by
/// `unixPathIfWanted`.
void dropFileName(TMDIChild& window, const QString& fileName);

/// Applies the font dialog's results to `editorFont`, to `window`'s editor and to the font
/// settings. A size that is not a positive number is left as it was.
void applyFontResults(const TfontResults& results, TMDIChild* window);
/// "C&hange Font...": the dialog with the editor's font; OK applies it.
void changeFont(TMDIChild& window);
