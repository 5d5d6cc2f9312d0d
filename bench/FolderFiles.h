/** @file FolderFiles.h ** Every file under a folder, as the search list holds them. **/
#pragma once

#include "search/engine/TFileSearch.h"

#include <QDirIterator>
#include <algorithm>

namespace pmbench {

/// The regular files under `folder`, its subfolders too, sorted by path.
inline QList<TSearchEntry> folderEntries(const QString& folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(it.next());
    std::sort(names.begin(), names.end());
    QList<TSearchEntry> entries;
    entries.reserve(names.size());
    for (const QString& n : std::as_const(names))
        entries.append(TSearchEntry { n, nullptr });
    return entries;
}

} // namespace pmbench
