/** @file tst_programfolders.cpp ** Where the program's files live, run from a build folder or
 ** installed, and the seeding of the user's folder from the shipped defaults. **/
#include "core/programFolders_utl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestProgramFolders : public QObject
{
    Q_OBJECT
private slots:
    void buildFolder()
    {
        QTemporaryDir build;
        writeFile(build.filePath(QStringLiteral("bin/default.mnu")), "menus");
        const TProgramFolders f = programFoldersFor(build.filePath(QStringLiteral("bin")),
            QStringLiteral("../share/pagemason"), QStringLiteral("../lib/pagemason/plugins"),
            QStringLiteral("/home/u/.local/share"));
        QVERIFY(!f.installed);
        const QString bin = build.filePath(QStringLiteral("bin/"));
        QCOMPARE(f.userFolder, bin);
        QCOMPARE(f.shippedPluginsFolder, bin + QStringLiteral("plugins/"));
        QVERIFY(seedUserFolder(f).isEmpty());
    }

    void installedTreeSeedsTheUserFolder()
    {
        QTemporaryDir prefix;
        QTemporaryDir home;
        const QString share = prefix.filePath(QStringLiteral("share/pagemason/"));
        const QString shippedPlugins = prefix.filePath(QStringLiteral("lib/pagemason/plugins/"));
        writeFile(share + QStringLiteral("default.mnu"), "shipped menus");
        writeFile(share + QStringLiteral("Pagemason.colors"), "shipped colours");
        writeFile(share + QStringLiteral("Pagemason.tb"), "shipped toolbars");
        writeFile(share + QStringLiteral("glyphs/bold.bmp"), "shipped glyph");
        writeFile(shippedPlugins + QStringLiteral("tools.so"), "shipped plug-in");
        writeFile(shippedPlugins + QStringLiteral("mine.so"), "shipped, but the user has one");
        QDir().mkpath(prefix.filePath(QStringLiteral("bin")));

        const TProgramFolders f = programFoldersFor(prefix.filePath(QStringLiteral("bin")),
            QStringLiteral("../share/pagemason"), QStringLiteral("../lib/pagemason/plugins"),
            home.path());
        QVERIFY(f.installed);
        const QString user = home.filePath(QStringLiteral("Pagemason/"));
        QCOMPARE(f.userFolder, user);
        QCOMPARE(f.shippedFolder, share);

        // The user edited the menus and has a plug-in of a shipped one's name.
        writeFile(user + QStringLiteral("default.mnu"), "my menus");
        writeFile(user + QStringLiteral("plugins/mine.so"), "my plug-in");
        QCOMPARE(seedUserFolder(f), QStringList());
        QCOMPARE(readAll(user + QStringLiteral("default.mnu")), QByteArray("my menus"));
        QCOMPARE(readAll(user + QStringLiteral("Pagemason.colors")), QByteArray("shipped colours"));
        QCOMPARE(readAll(user + QStringLiteral("Pagemason.tb")), QByteArray("shipped toolbars"));
        QCOMPARE(readAll(user + QStringLiteral("glyphs/bold.bmp")), QByteArray("shipped glyph"));
        QFileInfo tools(user + QStringLiteral("plugins/tools.so"));
        QVERIFY(tools.isSymLink());
        QCOMPARE(tools.symLinkTarget(), shippedPlugins + QStringLiteral("tools.so"));
        QCOMPARE(readAll(user + QStringLiteral("plugins/mine.so")), QByteArray("my plug-in"));

        // A file the user deleted comes back as shipped at the next start.
        QFile::remove(user + QStringLiteral("Pagemason.colors"));
        QCOMPARE(seedUserFolder(f), QStringList());
        QCOMPARE(readAll(user + QStringLiteral("Pagemason.colors")), QByteArray("shipped colours"));
    }

    void unwritableDataFolder()
    {
        QTemporaryDir prefix;
        QTemporaryDir home;
        writeFile(prefix.filePath(QStringLiteral("share/pagemason/default.mnu")), "menus");
        QDir().mkpath(prefix.filePath(QStringLiteral("bin")));
        // A file where the data folder should be stops root too.
        writeFile(home.filePath(QStringLiteral("data")), "");
        const TProgramFolders f = programFoldersFor(prefix.filePath(QStringLiteral("bin")),
            QStringLiteral("../share/pagemason"), QStringLiteral("../lib/pagemason/plugins"),
            home.filePath(QStringLiteral("data")));
        const QStringList problems = seedUserFolder(f);
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems[0].startsWith(QStringLiteral("Cannot create the folder ")));
    }
};

QTEST_GUILESS_MAIN(TestProgramFolders)
#include "tst_programfolders.moc"
