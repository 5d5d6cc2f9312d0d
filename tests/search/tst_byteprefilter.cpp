/** @file tst_byteprefilter.cpp ** The byte scan never says "no match" where the search of the text
 ** read from the same bytes would find one. **/
#include "editor/TMemoSource.h"
#include "editor/TSearchOptions.h"
#include "search/engine/TBytePrefilter.h"

#include <QTemporaryDir>
#include <QtTest>

class TestBytePrefilter : public QObject
{
    Q_OBJECT

private slots:
    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("find");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("tabs"); // read as a document window reads it
        QTest::addColumn<bool>("mayMatch");
        QTest::newRow("absent") << QByteArray("<p>alpha beta</p>\n") << "gamma" << false << false
                                << false;
        QTest::newRow("present") << QByteArray("<p>alpha beta</p>\n") << "beta" << false << false
                                 << true;
        QTest::newRow("other case, case ignored")
            << QByteArray("BeTa\n") << "beta" << false << false << true;
        QTest::newRow("other case, case sensitive")
            << QByteArray("BeTa\n") << "beta" << true << false << false;
        QTest::newRow("a line break between")
            << QByteArray("be\nta\n") << "beta" << false << false << false;
        QTest::newRow("dotless i upper-cases to I")
            << QByteArray("d\xc4\xb1v\n") << "DIV" << false << false << true;
        QTest::newRow("long s upper-cases to S")
            << QByteArray("\xc5\xbftyle\n") << "style" << false << false << true;
        QTest::newRow("no letter that folds from beyond ASCII")
            << QByteArray("caf\xc3\xa9 table\n") << "tablx" << false << false << false;
        QTest::newRow("Latin-1 bytes")
            << QByteArray("\xe9t\xe9 ABC\n") << "abc" << false << false << true;
        QTest::newRow("tab read as four blanks")
            << QByteArray("a\tb\n") << "a    b" << false << true << true;
        QTest::newRow("tab kept when searching")
            << QByteArray("a\tb\n") << "a    b" << false << false << false;
        QTest::newRow("text to find beyond ASCII: always read")
            << QByteArray("nothing\n") << "caf\u00e9" << false << false << true;
        QTest::newRow("binary") << QByteArray("\0\x01needle\xff", 10) << "NEEDLE" << false << false
                                << true;
    }
    void verdicts()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, find);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, tabs);
        QFETCH(bool, mayMatch);
        TBytePrefilter filter(find, caseSensitive, tabs);
        QCOMPARE(filter.checkBytes(bytes.constData(), bytes.size()) == TBytePrefilter::MayMatch,
            mayMatch);

        // Whatever it says, it never hides a match of the text read from those bytes.
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("f.html"));
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        QCOMPARE(filter.check(name) == TBytePrefilter::MayMatch, mayMatch);
        TMemoSource text;
        QVERIFY(text.loadFile(name));
        if (tabs)
            text.expandTabs(4);
        TSearchOptions o;
        o.TextToFind = find;
        o.CaseSensitive = caseSensitive;
        TSearchPos pos;
        if (findText(text, o, pos, text.delimiterSet()))
            QVERIFY(mayMatch);
    }

    void matchAcrossPieces()
    {
        // The file is read in pieces of 256 KB; a match split by a piece's end is still seen.
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("big.html"));
        QByteArray bytes(256 * 1024 - 3, 'x');
        bytes += "needle";
        bytes += QByteArray(300000, 'y');
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        TBytePrefilter filter(QStringLiteral("needle"), true, false);
        QCOMPARE(filter.check(name), TBytePrefilter::MayMatch);
        TBytePrefilter absent(QStringLiteral("needles"), true, false);
        QCOMPARE(absent.check(name), TBytePrefilter::NoMatch);
        QCOMPARE(absent.check(dir.filePath(QStringLiteral("gone"))), TBytePrefilter::NotAFile);
        QCOMPARE(absent.check(dir.path()), TBytePrefilter::NotAFile);
        // Only a file read whole in one piece keeps its bytes for the undo copy.
        QVERIFY(absent.lastBytes().isEmpty());
        QCOMPARE(filter.check(name), TBytePrefilter::MayMatch);
        QVERIFY(filter.lastBytes().isEmpty());
        const QString small = dir.filePath(QStringLiteral("small.html"));
        QFile s(small);
        QVERIFY(s.open(QIODevice::WriteOnly));
        s.write("a needle here");
        s.close();
        QCOMPARE(filter.check(small), TBytePrefilter::MayMatch);
        QCOMPARE(filter.lastBytes(), QByteArrayView("a needle here"));
        QCOMPARE(filter.lastFile().size, 13);
    }
};

QTEST_GUILESS_MAIN(TestBytePrefilter)
#include "tst_byteprefilter.moc"
