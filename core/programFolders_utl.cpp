/** @file programFolders_utl.cpp ** The program's folders and the seeding of the user's copy. **/
#include "core/programFolders_utl.h"

#include "platform/SafeSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString folderPath(const QString& path)
{
    QString out = QDir::cleanPath(path);
    if (!out.endsWith(u'/'))
        out += u'/';
    return out;
}

} // namespace

TProgramFolders programFoldersFor(const QString& executableFolder, const QString& relativeShared,
    const QString& relativePlugins, const QString& dataHome)
{
    TProgramFolders f;
    const QString exe = folderPath(executableFolder);
    const QString shared = folderPath(exe + relativeShared);
    // A build folder has its description files beside the executable and no share folder.
    f.installed = !relativeShared.isEmpty() && QFileInfo(shared).isDir()
        && !QFileInfo::exists(exe + QStringLiteral("default.mnu"));
    if (f.installed) {
        f.shippedFolder = shared;
        f.shippedPluginsFolder = folderPath(exe + relativePlugins);
        f.userFolder = folderPath(dataHome + QStringLiteral("/Pagemason"));
    } else {
        f.shippedFolder = exe;
        f.shippedPluginsFolder = exe + QStringLiteral("plugins/");
        f.userFolder = exe;
    }
    return f;
}

QStringList seedUserFolder(const TProgramFolders& f)
{
    QStringList problems;
    if (!f.installed)
        return problems;
    const QString plugins = f.userFolder + QStringLiteral("plugins/");
    if (!QDir().mkpath(plugins)) {
        problems.append(QStringLiteral("Cannot create the folder ") + plugins);
        return problems;
    }
    // The shipped toolbars name their glyphs in a folder of their own.
    const QString glyphs = QStringLiteral("glyphs/");
    QFileInfoList shipped = QDir(f.shippedFolder).entryInfoList(QDir::Files);
    const QFileInfoList shippedGlyphs
        = QDir(f.shippedFolder + glyphs).entryInfoList(QDir::Files, QDir::Name);
    if (!shippedGlyphs.isEmpty() && !QDir().mkpath(f.userFolder + glyphs))
        problems.append(QStringLiteral("Cannot create the folder ") + f.userFolder + glyphs);
    else
        shipped += shippedGlyphs;
    for (const QFileInfo& file : shipped) {
        const QString target = f.userFolder
            + QDir(f.shippedFolder).relativeFilePath(file.absoluteFilePath());
        if (QFileInfo::exists(target))
            continue;
        QFile in(file.absoluteFilePath());
        QString error;
        if (!in.open(QIODevice::ReadOnly))
            error = in.errorString();
        else
            pm::saveFileSafely(target, in.readAll(), &error);
        if (!error.isEmpty())
            problems.append(target + QStringLiteral(": ") + error);
    }
    // Links, not copies: a later version's plug-in reaches the user without a stale copy.
    const QFileInfoList modules = QDir(f.shippedPluginsFolder).entryInfoList(QDir::Files);
    for (const QFileInfo& module : modules) {
        const QString target = plugins + module.fileName();
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue;
        if (!QFile::link(module.absoluteFilePath(), target))
            problems.append(QStringLiteral("Cannot link ") + target);
    }
    return problems;
}
