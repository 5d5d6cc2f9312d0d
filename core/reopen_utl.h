/** @file reopen_utl.h ** The file and project reopen lists: most recent first, kept in the
 ** settings store and shown as "Reopen" submenus. **/
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QMenu;

/// Entry 0 is the most recent. Both live for the whole run.
extern QStringList fileReopenList;
extern QStringList projectReopenList;

/// The settings store sections of the two lists.
inline const QString fileReopenSection = QStringLiteral("Reopen List");
inline const QString projectReopenSection = QStringLiteral("Project Reopen List");

/// Reads values "0", "1", ... up to the first missing or empty one, at most 10.
void loadReopenList(QStringList& list, const QString& section);
/// Writes entry k as value "k"; values beyond the list are left as they are.
bool saveReopenList(const QStringList& list, const QString& section);
/// Drops entries whose files are gone, then puts `name` on top (an equal entry, ignoring case,
/// moves rather than repeats). The list is not cut.
void addToReopenList(QStringList& list, const QString& name);
/// Refills `submenu` with one item per entry, captioned with the file name only; choosing
/// item k calls `open` with entry k as it was when the menu was built.
void buildReopenMenu(const QStringList& list, QMenu* submenu,
                     const std::function<void(const QString&)>& open);
