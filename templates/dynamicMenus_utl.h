/** @file dynamicMenus_utl.h ** The entry-text table of the dynamic menus, running an entry into a
 ** document, the auto-insert text, and the checks of the menus file. **/
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class QTextStream;
class TMemoSource;

/// [0] the auto-insert template, [k] the template of the k-th entry of the file. Replaced by
/// every load of the menus file and shared by all document windows.
extern QStringList menuEntryTexts;

/// Change-bracket code of typing a template's result.
inline constexpr uint8_t opInsertResult = 54;

/// Types `result` at the caret of `editor` in one change bracket: replaces the selection,
/// leaves the caret at the empty request and puts the old selection there.
void insertResult(const QString& result, TMemoSource& editor);

/// A click on a menu entry (or a toolbar button bound to one). `target` is the active
/// document's storage, null when no document window is open. Tags outside the table (and -1)
/// do nothing.
void dynamicMenuItemClick(int32_t tag, const QString& caption, TMemoSource* target);

/// Runs the auto-insert template into a new document when the user wants it.
void insertAutoInsertTags(TMemoSource& editor);

/// After a document was saved as `savedFileName`: when that is the menus file, checks each
/// of its `lines`, lists the failing ones in the results list and tells the user.
/// Returns false when the file is not the menus file.
bool checkMenusFileAfterSave(const QString& savedFileName, const QStringList& lines);

/// The command-line check: reads `file` with the loader's rules, checks every template line
/// and prints "FILE:LINE:POSITION: message" per problem (1-based line and position); a file
/// that cannot be read as a menus file also says why, in parentheses.
/// Returns 0 when the file is clean, 1 otherwise.
int checkMenusFile(const QString& file, QTextStream& out);
