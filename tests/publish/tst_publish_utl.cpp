/** @file tst_publish_utl.cpp ** Remote names from the mask, the total size text, and the list of
 ** files with its total. **/
#include "publish/engine/TPublishList.h"
#include "publish/engine/publish_utl.h"

#include <QtTest>

class TestPublishUtl : public QObject
{
    Q_OBJECT

private slots:
    void remoteNames_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<bool>("lower");
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("remote");
        QTest::newRow("star, lower-cased") << "*" << true << "/site/Index.HTML"
                                           << "index.html";
        QTest::newRow("star, as it is") << "*" << false << "/site/Index.HTML"
                                        << "Index.HTML";
        QTest::newRow("two stars") << "pre_*_*.htm" << false << "/w/a.htm"
                                   << "pre_a.htm_a.htm.htm";
        QTest::newRow("the mask lower-cased too") << "PRE_*" << true << "/w/A.htm"
                                                  << "pre_a.htm";
        QTest::newRow("empty mask: the name") << "" << false << "/w/B.htm"
                                              << "B.htm";
        QTest::newRow("no folder") << "x/*" << false << "c.gif"
                                   << "x/c.gif";
    }
    void remoteNames()
    {
        QFETCH(QString, mask);
        QFETCH(bool, lower);
        QFETCH(QString, local);
        QFETCH(QString, remote);
        QCOMPARE(remoteFileName(mask, local, lower), remote);
    }

    void masks()
    {
        QVERIFY(isValidRemoteMask(QStringLiteral("*")));
        QVERIFY(isValidRemoteMask(QStringLiteral("a*b")));
        QVERIFY(!isValidRemoteMask(QStringLiteral("index.html")));
        QVERIFY(!isValidRemoteMask(QString()));
    }

    void totalText_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "Total files size: 0 bytes";
        QTest::newRow("999") << qint64(999) << "Total files size: 999 bytes";
        QTest::newRow("1000") << qint64(1000) << "Total files size: 1,000 bytes";
        QTest::newRow("1234567") << qint64(1234567) << "Total files size: 1,234,567 bytes";
        QTest::newRow("beyond 32 bits")
            << qint64(5000000000) << "Total files size: 5,000,000,000 bytes";
    }
    void totalText()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(totalSizeText(bytes), text);
    }

    void listCountsEachPathOnce()
    {
        TPublishList list;
        QVERIFY(list.add(QStringLiteral("/a.htm"), nullptr, 100));
        QVERIFY(!list.add(QStringLiteral("/a.htm"), nullptr, 100));
        QVERIFY(list.add(QStringLiteral("/b.htm"), nullptr, 20));
        QCOMPARE(list.count(), 2);
        QCOMPARE(list.totalSize(), qint64(120));
        list.rename(1, QStringLiteral("/c.htm"), 30);
        QCOMPARE(list.totalSize(), qint64(130));
        list.removeAt(0);
        QCOMPARE(list.totalSize(), qint64(30));
        QCOMPARE(list.texts(), QStringList { QStringLiteral("/c.htm") });
        list.recount([](const QString&) { return qint64(7); });
        QCOMPARE(list.totalSize(), qint64(7));
    }

    void errorTexts()
    {
        QCOMPARE(ftpErrorLogText(12), QStringLiteral("FTP: Error: connection refused-> "));
        QCOMPARE(ftpErrorLogText(27), QStringLiteral("FTP: Error: access denied-> "));
        QCOMPARE(ftpErrorLogText(18), ftpErrorLogText(2));
        QVERIFY(ftpErrorLogText(0).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPublishUtl)
#include "tst_publish_utl.moc"
