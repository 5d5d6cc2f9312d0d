/** @file tst_safesave.cpp ** Saving through a temporary file: the old file stays whole on any
 ** failure, and the failure says what the system said. **/
#include "platform/FullDisk.h"
#include "platform/SafeSave.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

namespace {

const QString noSpace = QString::fromLocal8Bit(std::strerror(ENOSPC));

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

} // namespace

class tst_SafeSave : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void replacesTheFile();
    void failuresLeaveTheOldFile();
    void fullDisk_data();
    void fullDisk();
};

void tst_SafeSave::replacesTheFile()
{
    const QString path = m_dir.filePath(QStringLiteral("a.txt"));
    QVERIFY(pm::saveFileSafely(path, "old"));
    pm::SafeSave file(path);
    QVERIFY(file.open());
    QVERIFY(file.write("new ") && file.write("text"));
    QCOMPARE(readAll(path), QByteArray("old")); // nothing shows before the commit
    QVERIFY(file.commit());
    QCOMPARE(readAll(path), QByteArray("new text"));
    QVERIFY(file.errorString().isEmpty());
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.txt"});
}

void tst_SafeSave::failuresLeaveTheOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.txt"));
    QVERIFY(pm::saveFileSafely(path, "old"));
    {
        pm::SafeSave abandoned(path); // destroyed without a commit
        QVERIFY(abandoned.open());
        QVERIFY(abandoned.write("half"));
    }
    QCOMPARE(readAll(path), QByteArray("old"));
    QString error;
    QVERIFY(!pm::saveFileSafely(dir.filePath(QStringLiteral("no/such/folder/c.txt")), "x", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"b.txt"});
}

void tst_SafeSave::fullDisk_data()
{
    QTest::addColumn<QString>("target"); // relative to the full file system's folder
    QTest::addColumn<int>("size");
    // A small file is where a bare QSaveFile fails: its buffer is flushed on commit, and the
    // failure there does not stop the rename, so the old file is replaced by an empty one.
    QTest::newRow("a few bytes") << "page.txt" << 100;
    QTest::newRow("more than a buffer") << "page.txt" << 100000;
    // A device is written in place: renaming over it would replace the device.
    QTest::newRow("/dev/full") << "/dev/full" << 100;
}

void tst_SafeSave::fullDisk()
{
    QFETCH(QString, target);
    QFETCH(int, size);
    QTemporaryDir folder;
    const std::optional<QByteArray> result = pm::runOnFullDisk(
        folder.path(),
        [](const QString& f) { pm::saveFileSafely(f + QStringLiteral("/page.txt"), "old text"); },
        [&](const QString& f) -> QByteArray {
            const QString path = target.startsWith(u'/') ? target : f + u'/' + target;
            QString error;
            const bool ok = pm::saveFileSafely(path, QByteArray(size, 'x'), &error);
            const QStringList left = QDir(f).entryList(QDir::Files | QDir::Hidden);
            const bool device = !QFileInfo(QStringLiteral("/dev/full")).isFile();
            return QByteArray(ok ? "saved" : "refused") + '|' + error.toUtf8() + '|'
                + readAll(f + QStringLiteral("/page.txt")) + '|' + left.join(u',').toUtf8()
                + (device ? "" : "|/dev/full replaced");
        });
    if (!result)
        QSKIP("this machine lets no process mount a file system of its own");
    QCOMPARE(*result, "refused|" + noSpace.toUtf8() + "|old text|.fill,page.txt");
    QVERIFY(QDir(folder.path()).isEmpty()); // the parent never saw the small file system
}

QTEST_GUILESS_MAIN(tst_SafeSave)
#include "tst_safesave.moc"
