/** @file programFolders_utl.h ** Where the program's own files live: beside the executable when
 ** it runs from its build folder; for an installed program, the shipped defaults under the
 ** prefix and the user's copies in the XDG data folder, seeded from those defaults. **/
#pragma once

#include <QString>
#include <QStringList>

struct TProgramFolders
{
    /// True when the executable stands in an installed tree (the shipped files' folder exists
    /// at its place relative to the executable).
    bool installed = false;
    /// `applicationFolder`: the files the program writes or the user edits.
    QString userFolder;
    /// The shipped description files (the defaults the user folder is seeded from).
    QString shippedFolder;
    /// The shipped plug-ins.
    QString shippedPluginsFolder;
};

/// The folders for an executable in `executableFolder`. `relativeShared` and
/// `relativePlugins` lead from the installed executable's folder to the shipped files and
/// plug-ins ("../share/pagemason"); `dataHome` is the user's XDG data folder. Every folder
/// ends with "/".
TProgramFolders programFoldersFor(const QString& executableFolder, const QString& relativeShared,
    const QString& relativePlugins, const QString& dataHome);

/// For an installed program: copies every shipped file the user folder lacks (so a file the
/// user deleted comes back as shipped, and files shipped by a later version arrive), and links
/// every shipped plug-in into the user's plug-ins folder unless a file of that name is there,
/// so that the user's own plug-ins sit beside the shipped ones. Nothing for a build folder.
/// Returns what could not be done, one text per problem.
QStringList seedUserFolder(const TProgramFolders& folders);
