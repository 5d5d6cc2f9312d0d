/** @file tst_profilefile.cpp ** The history file: profile semantics and damaged files. **/
#include "platform/FullDisk.h"
#include "templates/wizard/TProfileFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

class tst_ProfileFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    static void write(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray read(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void keysAndSections_data();
    void keysAndSections();
    void writesKeepEverythingElse();
    void addsSectionAndFile();
    void refusesKeysThatCannotReadBack();
    void damagedFiles_data();
    void damagedFiles();
    void hugeFileIsLeftAlone();
    void fullDiskSaysSo();
};

void tst_ProfileFile::keysAndSections_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QStringList>("keys");
    const QByteArray file = "[FileName]\r\nb.htm=\r\na.htm=\r\n\r\n[URL]\r\nhttp://x=\r\n";
    QTest::newRow("file order") << file << "FileName" << QStringList{"b.htm", "a.htm"};
    QTest::newRow("section name without case") << file << "filename" << QStringList{"b.htm", "a.htm"};
    QTest::newRow("next section ends it") << file << "URL" << QStringList{"http://x"};
    QTest::newRow("missing section") << file << "ImageFN" << QStringList{};
    QTest::newRow("LF line ends, blanks, comments")
        << QByteArray("[ ImageFN ]\n ; note\n  a.gif = \nnot an entry\nb.gif=\n") << "ImageFN"
        << QStringList{"a.gif", "b.gif"};
    QTest::newRow("duplicate without case once")
        << QByteArray("[URL]\nA=\na=\nb=\n") << "URL" << QStringList{"A", "b"};
    QTest::newRow("first of two like-named sections")
        << QByteArray("[URL]\nx=\n[url]\ny=\n") << "URL" << QStringList{"x"};
}

void tst_ProfileFile::keysAndSections()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QStringList, keys);
    const QString file = path("keys.lst");
    write(file, content);
    QCOMPARE(TProfileFile::readKeys(file, section), keys);
}

void tst_ProfileFile::writesKeepEverythingElse()
{
    const QString file = path("keep.lst");
    write(file, "; my notes\n[FileName]\na.htm=\nB.htm=old\n\n[Other]\nk=v\n");
    // New key lands after the section's last entry, not after the blank line.
    QVERIFY(TProfileFile::writeString(file, QStringLiteral("filename"), QStringLiteral("c.htm"),
                                      QString()));
    // Existing key (any case) keeps its spelling and gets the value.
    QVERIFY(TProfileFile::writeString(file, QStringLiteral("FileName"), QStringLiteral("b.htm"),
                                      QString()));
    QCOMPARE(read(file), QByteArray("; my notes\r\n[FileName]\r\na.htm=\r\nB.htm=\r\nc.htm=\r\n\r\n"
                                    "[Other]\r\nk=v\r\n"));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral("keep")),
             QStringList{QStringLiteral("keep.lst")}); // no temporary left behind
}

void tst_ProfileFile::addsSectionAndFile()
{
    const QString file = path("new.lst");
    QVERIFY(TProfileFile::writeString(file, QStringLiteral("URL"), QStringLiteral("http://a"),
                                      QString()));
    QVERIFY(TProfileFile::writeString(file, QStringLiteral("ImageFN"), QStringLiteral("a.gif"),
                                      QString()));
    QCOMPARE(read(file), QByteArray("[URL]\r\nhttp://a=\r\n\r\n[ImageFN]\r\na.gif=\r\n"));
}

void tst_ProfileFile::refusesKeysThatCannotReadBack()
{
    const QString file = path("refuse.lst");
    write(file, "[URL]\nx=\n");
    for (const QString& key : {QStringLiteral("a=b"), QStringLiteral("[x]"), QStringLiteral(";c"),
                               QStringLiteral(" padded"), QStringLiteral("two\nlines"),
                               QString()})
        QVERIFY2(!TProfileFile::writeString(file, QStringLiteral("URL"), key, QString()),
                 qPrintable(key));
    QCOMPARE(read(file), QByteArray("[URL]\nx=\n"));
}

void tst_ProfileFile::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 37) % 256));
    QTest::newRow("binary") << binary;
    QTest::newRow("binary inside the section") << (QByteArray("[URL]\na=\n") + binary + "\nb=\n");
    QByteArray many = "[URL]\r\n";
    for (int i = 0; i < 20000; ++i)
        many += "key" + QByteArray::number(i) + "=\r\n";
    QTest::newRow("thousands of keys") << many;
    QTest::newRow("no line end, no ']'") << QByteArray("[URL\na=");
}

void tst_ProfileFile::damagedFiles()
{
    QFETCH(QByteArray, content);
    const QString file = path("damaged.lst");
    write(file, content);
    const QStringList before = TProfileFile::readKeys(file, QStringLiteral("URL"));
    for (const QString& key : before)
        for (QChar c : key)
            QVERIFY(c.unicode() >= 0x20);
    QVERIFY(TProfileFile::readKeys(file, QStringLiteral("URL"), 11).size() <= 11);
    QVERIFY(TProfileFile::writeString(file, QStringLiteral("URL"), QStringLiteral("added"),
                                      QString()));
    const QByteArray after = read(file);
    // Nothing that was there is lost: every old line is still in the file, in order.
    qsizetype from = 0;
    for (QByteArray line : content.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype at = after.indexOf(line, from);
        QVERIFY2(at >= 0, line.left(40).toHex().constData());
        from = at + line.size();
    }
    QCOMPARE(TProfileFile::readKeys(file, QStringLiteral("URL")), before + QStringList{"added"});
}

void tst_ProfileFile::hugeFileIsLeftAlone()
{
    const QString file = path("huge.lst");
    QByteArray content = "[URL]\r\na=\r\n";
    content += QByteArray(TProfileFile::maxFileSize, 'x');
    write(file, content);
    QVERIFY(TProfileFile::readKeys(file, QStringLiteral("URL")).isEmpty());
    QVERIFY(!TProfileFile::writeString(file, QStringLiteral("URL"), QStringLiteral("b"), QString()));
    QCOMPARE(QFileInfo(file).size(), qint64(content.size()));
}

void tst_ProfileFile::fullDiskSaysSo()
{
    const QByteArray old = "[URL]\r\nhttp://a/=\r\n";
    QTemporaryDir folder;
    const std::optional<QByteArray> result = pm::runOnFullDisk(
        folder.path(), [&](const QString& f) { write(f + QStringLiteral("/recent.lst"), old); },
        [&](const QString& f) -> QByteArray {
            const QString file = f + QStringLiteral("/recent.lst");
            TProfileFile profile(file);
            QString error;
            const bool saved = profile.load()
                && profile.setValue(QStringLiteral("URL"), QStringLiteral("http://b/"), QString())
                && profile.save(&error);
            return QByteArray(saved ? "saved" : "refused") + '|' + error.toUtf8() + '|'
                + (read(file) == old ? "old file whole" : "old file changed");
        });
    if (!result)
        QSKIP("this machine lets no process mount a file system of its own");
    QCOMPARE(QString::fromUtf8(*result),
             QStringLiteral("refused|") + QString::fromLocal8Bit(std::strerror(ENOSPC))
                 + QStringLiteral("|old file whole"));
}

QTEST_GUILESS_MAIN(tst_ProfileFile)
#include "tst_profilefile.moc"
