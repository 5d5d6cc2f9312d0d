/** @file tst_shell.cpp ** What the shell hands to the desktop for a path or an address. **/
#include "platform/RecordingShell.h"

#include <QDir>
#include <QTest>

class TestShell : public QObject
{
    Q_OBJECT
private slots:
    void urlFor_data();
    void urlFor();
    void doubleRecordsAndRestores();
};

void TestShell::urlFor_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QUrl>("expected");
    QTest::newRow("web address") << "http://example.com/a b?x=1"
                                 << QUrl(u"http://example.com/a b?x=1"_qs);
    QTest::newRow("mail address") << "mailto:me@example.com" << QUrl(u"mailto:me@example.com"_qs);
    QTest::newRow("absolute path with blanks")
        << "/tmp/my site/a#1.htm" << QUrl::fromLocalFile(u"/tmp/my site/a#1.htm"_qs);
    QTest::newRow("relative path")
        << "notes.txt" << QUrl::fromLocalFile(QDir::current().absoluteFilePath(u"notes.txt"_qs));
    QTest::newRow("colon after one letter is a path")
        << "c:x" << QUrl::fromLocalFile(QDir::current().absoluteFilePath(u"c:x"_qs));
}

void TestShell::urlFor()
{
    QFETCH(QString, target);
    QFETCH(QUrl, expected);
    QCOMPARE(pm::Shell::urlFor(target), expected);
}

void TestShell::doubleRecordsAndRestores()
{
    pm::Shell* before = &pm::shell();
    {
        pm::RecordingShell recorder;
        QCOMPARE(&pm::shell(), static_cast<pm::Shell*>(&recorder));
        QVERIFY(pm::shell().open(u"/tmp/a.txt"_qs));
        QVERIFY(pm::shell().startDetached(u"viewer"_qs, { u"a b; rm x"_qs }));
        QCOMPARE(recorder.opened, QStringList { u"/tmp/a.txt"_qs });
        QCOMPARE(recorder.openedUrls.first(), QUrl(u"file:///tmp/a.txt"_qs));
        QCOMPARE(recorder.started.first().arguments, QStringList { u"a b; rm x"_qs });
    }
    QCOMPARE(&pm::shell(), before);
}

QTEST_GUILESS_MAIN(TestShell)
#include "tst_shell.moc"
