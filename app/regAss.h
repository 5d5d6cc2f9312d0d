/** @file regAss.h ** File associations: the designed keys in the store's classes hive, made real
 ** for the Linux desktop by a desktop entry and, for a type of our own, its MIME definition. **/
#pragma once

#include "platform/DesktopAssociation.h"

#include <QString>

/// The command value of a verb: the program in double quotes, a space, "\"%1\"".
QString associationCommand(const QString& program);
/// The desktop file id of a type's verb ("pagemason-htmlfile-edit-with-pagemason").
QString associationDesktopId(const QString& typeName, const QString& verb);
/// What registering puts on the desktop: `typeName` is the one the store's step 1 settled on.
/// ".pmp" is our own type "application/x-pagemason-project"; other extensions take the
/// desktop's type for them (".html": "text/html"), or one of our own when it knows none.
pm::DesktopAssociation desktopAssociationFor(const QString& extension, const QString& typeName,
    const QString& verb, const QString& icon, const QString& program);

/// Registers `program` under `verb` for `extension`. The extension's key, when it exists
/// already, names the type the verb is added to. The desktop side is written under
/// `dataHome` (the user's XDG data folder by default) first; when anything fails nothing is
/// left of the new association and `error` says why.
bool registerAssociation(const QString& extension, const QString& typeName, const QString& verb,
    const QString& icon, const QString& program, QString* error = nullptr,
    const QString& dataHome = pm::userDataHome());
/// Deletes the type's verb key (with what is below it) and the desktop entry registering
/// wrote for it; the extension's key and the type's other keys stay.
bool unregisterAssociation(const QString& typeName, const QString& verb, QString* error = nullptr,
    const QString& dataHome = pm::userDataHome());
