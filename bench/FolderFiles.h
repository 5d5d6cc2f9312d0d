/** @file FolderFiles.h ** Every file under a folder, as the search list holds them. **/
#pragma once

#include "search/engine/TFileSearch.h"

#include <QFile>
#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace pmbench {

namespace detail {

    /// Walks with readdir's entry types, so that listing costs no call per file (as grep -r
    /// lists).
    inline void collect(const QByteArray& folder, QList<QByteArray>& out)
    {
        DIR* dir = ::opendir(folder.constData());
        if (!dir)
            return;
        while (const dirent* e = ::readdir(dir)) {
            const QByteArray name(e->d_name);
            if (name == "." || name == "..")
                continue;
            const QByteArray path = folder + '/' + name;
            unsigned char type = e->d_type;
            if (type == DT_UNKNOWN) {
                struct stat st
                {
                };
                if (::lstat(path.constData(), &st) != 0)
                    continue;
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
            }
            if (type == DT_DIR)
                collect(path, out);
            else if (type == DT_REG)
                out.append(path);
        }
        ::closedir(dir);
    }

} // namespace detail

/// The regular files under `folder`, its subfolders too, sorted by path.
inline QList<TSearchEntry> folderEntries(const QString& folder)
{
    QList<QByteArray> names;
    QByteArray root = QFile::encodeName(folder);
    while (root.size() > 1 && root.endsWith('/'))
        root.chop(1);
    detail::collect(root, names);
    std::sort(names.begin(), names.end());
    QList<TSearchEntry> entries;
    entries.reserve(names.size());
    for (const QByteArray& n : std::as_const(names))
        entries.append(TSearchEntry { QFile::decodeName(n), nullptr });
    return entries;
}

} // namespace pmbench
