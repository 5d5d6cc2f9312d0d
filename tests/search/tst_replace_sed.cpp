/** @file tst_replace_sed.cpp ** A plain replacement leaves the same bytes as sed -i on pages
 ** without tabs or trailing blanks, whatever their line ends. **/
#include "search/engine/TFileSearch.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestReplaceSed : public QObject
{
    Q_OBJECT

private slots:
    void sameBytesAsSed_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("LF") << QByteArray("<p>river and river</p>\n<p>no</p>\n<a>River</a>\n");
        QTest::newRow("LF, no final line end") << QByteArray("a river\nriver");
        QTest::newRow("LF, UTF-8") << QByteArray("caf\xc3\xa9 river \xe2\x82\xac\n");
        QTest::newRow("CR LF") << QByteArray("<p>river</p>\r\n\r\n<p>x river y</p>\r\n");
        QTest::newRow("Latin-1") << QByteArray("caf\xe9 river\n");
    }
    void sameBytesAsSed()
    {
        QFETCH(QByteArray, page);
        const QString sed = QStandardPaths::findExecutable(QStringLiteral("sed"));
        if (sed.isEmpty())
            QSKIP("sed is not installed");
        QTemporaryDir dir;
        const QString ours = dir.filePath(QStringLiteral("ours.html"));
        const QString theirs = dir.filePath(QStringLiteral("theirs.html"));
        for (const QString& name : { ours, theirs }) {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(page);
        }
        QCOMPARE(QProcess::execute(
                     sed, { QStringLiteral("-i"), QStringLiteral("s/river/stream/g"), theirs }),
            0);
        TSearchOptions o;
        o.CaseSensitive = true;
        o.TextToFind = QStringLiteral("river");
        o.ReplaceWith = QStringLiteral("stream");
        TReplaceHost yesToAllFiles;
        const TReplaceRunResult r
            = replaceInFiles({ TSearchEntry { ours, nullptr } }, o, yesToAllFiles, nullptr);
        QCOMPARE(r.filesWritten, 1);
        QCOMPARE(readAll(ours), readAll(theirs));
    }
};

QTEST_GUILESS_MAIN(TestReplaceSed)
#include "tst_replace_sed.moc"
