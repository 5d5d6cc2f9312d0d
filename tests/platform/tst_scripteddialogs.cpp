/** @file tst_scripteddialogs.cpp ** The dialogs double other areas' tests rely on: queued answers,
 ** the log of boxes, file answers, and putting the previous service back. **/
#include "platform/ScriptedDialogs.h"

#include <QTest>

using pm::Dialogs;

class TestScriptedDialogs : public QObject
{
    Q_OBJECT
private slots:
    void answersInOrderThenHarmlessDefaults();
    void fileDialogs();
    void nestsAndRestores();
};

void TestScriptedDialogs::answersInOrderThenHarmlessDefaults()
{
    pm::ScriptedDialogs scripted;
    scripted.queueAnswer(Dialogs::Answer::Yes);
    scripted.queueAnswer(Dialogs::Answer::Cancel);
    Dialogs& d = pm::dialogs();
    QCOMPARE(d.message(Dialogs::Kind::Warning, u"Save?"_qs, Dialogs::Buttons::YesNoCancel),
        Dialogs::Answer::Yes);
    QCOMPARE(d.message(Dialogs::Kind::Question, u"Sure?"_qs, Dialogs::Buttons::YesNo, u"Cap"_qs),
        Dialogs::Answer::Cancel);
    QCOMPARE(scripted.unanswered(), 0);
    // Nothing queued: the answer that changes nothing, counted so a test can notice.
    QCOMPARE(d.message(Dialogs::Kind::Warning, u"a"_qs, Dialogs::Buttons::YesNoCancel),
        Dialogs::Answer::Cancel);
    QCOMPARE(
        d.message(Dialogs::Kind::Warning, u"b"_qs, Dialogs::Buttons::YesNo), Dialogs::Answer::No);
    d.error(u"c"_qs);
    QCOMPARE(scripted.unanswered(), 3);
    QCOMPARE(scripted.shown().size(), 5);
    QCOMPARE(scripted.shown().at(1).caption, u"Cap"_qs);
    QCOMPARE(scripted.shown().at(4).kind, Dialogs::Kind::Error);
    QCOMPARE(scripted.shown().at(4).buttons, Dialogs::Buttons::Ok);
}

void TestScriptedDialogs::fileDialogs()
{
    pm::ScriptedDialogs scripted;
    scripted.queueFiles({ u"/a.htm"_qs, u"/b.htm"_qs }, 1);
    scripted.queueFiles({});
    Dialogs::FileRequest request;
    request.title = u"Open"_qs;
    request.filter = u"HTML (*.htm);;All (*)"_qs;
    QCOMPARE(pm::dialogs().openFiles(request), QStringList({ u"/a.htm"_qs, u"/b.htm"_qs }));
    QCOMPARE(request.filterIndex, 1);
    request.filterIndex = 0;
    QCOMPARE(pm::dialogs().saveFile(request), QString()); // cancelled
    QCOMPARE(request.filterIndex, 0);
    QCOMPARE(scripted.fileRequests().size(), 2);
    QCOMPARE(scripted.fileRequests().first().title, u"Open"_qs);
}

void TestScriptedDialogs::nestsAndRestores()
{
    Dialogs* before = &pm::dialogs();
    {
        pm::ScriptedDialogs outer;
        {
            pm::ScriptedDialogs inner;
            pm::dialogs().information(u"x"_qs);
            QCOMPARE(inner.shown().size(), 1);
        }
        QCOMPARE(&pm::dialogs(), static_cast<Dialogs*>(&outer));
        QVERIFY(outer.shown().isEmpty());
    }
    QCOMPARE(&pm::dialogs(), before);
}

QTEST_GUILESS_MAIN(TestScriptedDialogs)
#include "tst_scripteddialogs.moc"
