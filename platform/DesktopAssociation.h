/** @file DesktopAssociation.h ** File associations made real for the Linux desktop: a desktop
 ** entry naming the program for a MIME type and, for a type of our own, its definition, both in
 ** the user's XDG data folder. **/
#pragma once

#include <QString>

namespace pm {

/// What one association puts on the desktop.
struct DesktopAssociation
{
    QString id; ///< desktop file id without ".desktop"; also names the MIME package
    QString name; ///< shown by file managers ("Edit with Pagemason")
    QString program; ///< full path of the program that opens the files
    QString mimeType; ///< "text/html", "application/x-pagemason-project"
    QString icon; ///< themed icon name or a path; empty: none
    /// For a type of our own: how the desktop recognises it. Empty: the type is the system's and
    /// no definition is written.
    QString mimeComment;
    QString glob; ///< "*.pmp"
};

/// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share; ends with "/".
QString userDataHome();
/// A desktop file id made of letters, digits and "-" from `text` (lower case).
QString desktopIdPart(const QString& text);
/// One argument of an Exec line: quoted and escaped so that the desktop hands the program
/// exactly this text, whatever blanks, quotes, "$" or "%" it holds.
QString desktopExecArgument(const QString& argument);
QString desktopEntryText(const DesktopAssociation& association);
QString mimePackageText(const DesktopAssociation& association);

/// Where the files of `id` go below a data folder ("applications/ID.desktop",
/// "mime/packages/ID.xml").
QString desktopEntryPath(const QString& dataHome, const QString& id);
QString mimePackagePath(const QString& dataHome, const QString& id);

/// Writes the entry (and the MIME package when the type is our own) under `dataHome`, then
/// asks the desktop to read them again. False, with the reason, when a file could not be
/// written; nothing of this association is left behind then.
bool installDesktopAssociation(
    const DesktopAssociation& association, const QString& dataHome, QString* error = nullptr);
/// Removes what installDesktopAssociation wrote for `id`; true when none of it is left.
bool removeDesktopAssociation(const QString& id, const QString& dataHome, QString* error = nullptr);
/// update-desktop-database and update-mime-database on the folders below `dataHome`, where
/// they are installed; run as programs, never through a shell.
void refreshDesktopDatabases(const QString& dataHome);

} // namespace pm
