/** @file tst_replacebackups.cpp ** The copies behind "Undo replace in files": what is kept, what is
 ** refused, where they live and when they go. **/
#include "search/engine/TReplaceBackups.h"

#include <QDir>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// What a run does to one file: keep it, then write it through a rename, as the run writes.
bool replaceFile(TReplaceBackups& b, const QString& path, const QByteArray& bytes)
{
    if (!b.keep(path))
        return false;
    const QString temp = path + QStringLiteral(".new");
    writeFile(temp, bytes);
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0)
        return false;
    b.written(path);
    return true;
}

} // namespace

class TestReplaceBackups : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void refusals_data()
    {
        QTest::addColumn<QString>("afterwards"); // what happens to the file after the run
        QTest::addColumn<int>("result");
        QTest::newRow("untouched") << "" << int(TReplaceBackups::Outcome::Restored);
        QTest::newRow("edited in place, same size")
            << "edit" << int(TReplaceBackups::Outcome::Refused);
        QTest::newRow("replaced by another program")
            << "replace" << int(TReplaceBackups::Outcome::Refused);
        QTest::newRow("deleted") << "delete" << int(TReplaceBackups::Outcome::Refused);
        QTest::newRow("open with unsaved changes")
            << "veto" << int(TReplaceBackups::Outcome::Refused);
    }
    void refusals()
    {
        QFETCH(QString, afterwards);
        QFETCH(int, result);
        const QString f = m_dir.filePath(QStringLiteral("page.html"));
        writeFile(f, "old bytes\r\n");
        TReplaceBackups b(m_dir.filePath(QStringLiteral("cache")));
        b.startRun();
        QVERIFY(replaceFile(b, f, "new bytes\r\n"));
        QCOMPARE(b.count(), 1);
        if (afterwards == QLatin1String("edit")) {
            QFile e(f);
            QVERIFY(e.open(QIODevice::ReadWrite));
            e.write("NEW");
        } else if (afterwards == QLatin1String("replace")) {
            // Same bytes, another file put in its place.
            writeFile(f + QStringLiteral(".other"), "new bytes\r\n");
            QVERIFY(::rename(QFile::encodeName(f + QStringLiteral(".other")).constData(),
                        QFile::encodeName(f).constData())
                == 0);
        } else if (afterwards == QLatin1String("delete")) {
            QFile::remove(f);
        }
        const auto veto = [&](const QString&) {
            return afterwards == QLatin1String("veto")
                ? QStringLiteral("it is open with unsaved changes")
                : QString();
        };
        const auto outcomes = b.restore(veto);
        QCOMPARE(outcomes.size(), 1);
        QCOMPARE(int(outcomes.first().result), result);
        if (result == int(TReplaceBackups::Outcome::Restored))
            QCOMPARE(readAll(f), QByteArray("old bytes\r\n"));
        else
            QVERIFY(!outcomes.first().reason.isEmpty());
        QVERIFY(b.isEmpty());
    }

    void oneFileNamedTwiceComesBackAsItWas()
    {
        const QString f = m_dir.filePath(QStringLiteral("twice.html"));
        const QString link = m_dir.filePath(QStringLiteral("again.html"));
        writeFile(f, "original\n");
        QFile::remove(link);
        QVERIFY(QFile::link(f, link));
        TReplaceBackups b(m_dir.filePath(QStringLiteral("cache")));
        b.startRun();
        QVERIFY(replaceFile(b, f, "first\n"));
        QVERIFY(replaceFile(b, QFileInfo(link).canonicalFilePath(), "second\n"));
        QCOMPARE(b.count(), 1);
        const auto outcomes = b.restore();
        QCOMPARE(outcomes.size(), 1);
        QCOMPARE(outcomes.first().result, TReplaceBackups::Outcome::Restored);
        QCOMPARE(readAll(f), QByteArray("original\n"));
    }

    void limitRefusesToKeepMore()
    {
        const QString a = m_dir.filePath(QStringLiteral("a.html"));
        const QString big = m_dir.filePath(QStringLiteral("big.html"));
        writeFile(a, QByteArray(60, 'a'));
        writeFile(big, QByteArray(60, 'b'));
        TReplaceBackups b(m_dir.filePath(QStringLiteral("cache")), 100);
        b.startRun();
        QVERIFY(replaceFile(b, a, "x"));
        QString error;
        QVERIFY(!b.keep(big, &error));
        QVERIFY(error.contains(QStringLiteral("no room")));
        QCOMPARE(b.count(), 1);
    }

    void copiesLiveInTheirFolderUntilTheNextRun()
    {
        const QString cache = m_dir.filePath(QStringLiteral("cache2"));
        const QString f = m_dir.filePath(QStringLiteral("c.html"));
        writeFile(f, "c\n");
        // A pack left by a program that has ended: its lock names a process that is gone.
        QDir().mkpath(cache);
        writeFile(cache + QStringLiteral("/run-1-dead.pack"), "stale");
        writeFile(cache + QStringLiteral("/run-1-dead.lock"),
            "999999999\nnot-running\n" + QSysInfo::machineHostName().toUtf8() + '\n');
        {
            TReplaceBackups b(cache);
            b.startRun();
            QVERIFY(!QFile::exists(cache + QStringLiteral("/run-1-dead.pack")));
            QVERIFY(replaceFile(b, f, "d\n"));
            const QStringList packs
                = QDir(cache).entryList({ QStringLiteral("*.pack") }, QDir::Files);
            QCOMPARE(packs.size(), 1);
            QCOMPARE(QFileInfo(cache + u'/' + packs.first()).permissions() & QFileDevice::ReadOther,
                QFileDevice::Permissions());
            b.startRun(); // the next run: the last run's copies go
            QVERIFY(b.isEmpty());
            QVERIFY(QDir(cache).entryList({ QStringLiteral("*.pack") }, QDir::Files).isEmpty());
            QVERIFY(replaceFile(b, f, "e\n"));
        }
        // ... and at exit.
        QVERIFY(QDir(cache).entryList(QDir::Files).isEmpty());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestReplaceBackups)
#include "tst_replacebackups.moc"
