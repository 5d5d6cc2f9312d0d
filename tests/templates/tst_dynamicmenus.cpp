/** @file tst_dynamicmenus.cpp ** Typing a template's result into the text storage, the click on an
 ** entry and the auto-insert text of new documents. **/
#include "core/global_utl.h"
#include "core/status_utl.h"
#include "editor/TMemoSource.h"
#include "templates/TRequestActions.h"
#include "templates/TScriptedWizard.h"
#include "templates/dynamicMenus_utl.h"
#include "templates/templateRunner.h"

#include <QtTest>

namespace {

/// "goto" requests put the caret at the start of the document and are logged.
class GotoActions : public TRequestActions
{
public:
    GotoActions() { setRequestActions(this); }
    ~GotoActions() override { setRequestActions(nullptr); }
    void gotoAction(const QString& parameters, TMemoSource& editor) override
    {
        calls << parameters;
        editor.setCaret(0, 0);
    }
    QStringList calls;
};

class StatusHost : public TStatusSink
{
public:
    StatusHost() { setStatusSink(this); }
    ~StatusHost() override { setStatusSink(nullptr); }
    void statusChanged(const QString& text) override { statuses << text; }
    void progressChanged(int, int) override {}
    QStringList statuses;
};

/// Selection as "startColumn,startLine,endColumn,endLine"; empty for none.
void select(TMemoSource& memo, const QString& selection)
{
    if (selection.isEmpty())
        return;
    const QStringList p = selection.split(u',');
    memo.setSelection(smStream, p[0].toInt(), p[1].toInt(), p[2].toInt(), p[3].toInt());
}

/// The lines joined by CR LF, whatever the storage keeps about a final line break.
QString linesOf(const TMemoSource& memo)
{
    QStringList lines;
    for (int i = 0; i < memo.lineCount(); ++i)
        lines << memo.line(i);
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

class tst_DynamicMenus : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        globalOptions.tagCase = 2;
        globalOptions.autoInsertTags = true;
    }
    void insert_data();
    void insert();
    void insertionIsOneUndoStep();
    void gotoRunsWhileTyping();
    void clickRunsTheEntry();
    void clickOutsideTheTableDoesNothing();
    void autoInsertText();
};

void tst_DynamicMenus::insert_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("caretX");
    QTest::addColumn<int>("caretY");

    QTest::newRow("selection goes to the empty request")
        << "Hello world" << "0,0,5,0" << "<B>{=,=}</B>" << "<B>Hello</B> world" << 8 << 0;
    QTest::newRow("without an empty request the selection is not restored")
        << "Hello world" << "0,0,5,0" << "<BR>" << "<BR> world" << 4 << 0;
    QTest::newRow("caret at the empty request, no selection")
        << "" << "" << "<UL>\r\n<LI>{=,=}\r\n</UL>" << "<UL>\r\n<LI>\r\n</UL>" << 4 << 1;
    QTest::newRow("line break ending the selection is not put back")
        << "Hello\r\nworld" << "0,0,0,1" << "<P>{=,=}</P>" << "<P>Hello</P>world" << 8 << 0;
    QTest::newRow("selection over two lines is put back whole")
        << "ab\r\ncd" << "1,0,1,1" << "[{=,=}]" << "a[b\r\nc]d" << 1 << 1;
    QTest::newRow("other requests are dropped, not typed")
        << "" << "" << "a{= 'q', nosuch =}b{= 'x', string =}c" << "abc" << 3 << 0;
    QTest::newRow("empty result still deletes the selection")
        << "Hello world" << "0,0,6,0" << "" << "world" << 0 << 0;
    QTest::newRow("an unclosed {= is typed as text")
        << "" << "" << "a{=b" << "a{=b" << 4 << 0;
    QTest::newRow("a guarded {= from an answer is typed as text, the template's caret wins")
        << "" << ""
        << QString(QStringLiteral("<B>{") + QChar(answerGuard) + QStringLiteral("=,=}{=,=}</B>"))
        << "<B>{=,=}</B>" << 8 << 0;
}

void tst_DynamicMenus::insert()
{
    QFETCH(QString, text);
    QFETCH(QString, selection);
    QFETCH(QString, result);
    QFETCH(QString, expected);
    QFETCH(int, caretX);
    QFETCH(int, caretY);
    TMemoSource memo;
    memo.setText(text);
    select(memo, selection);
    insertResult(result, memo);
    QCOMPARE(linesOf(memo), expected);
    QCOMPARE(memo.CaretX(), caretX);
    QCOMPARE(memo.CaretY(), caretY);
    QVERIFY(!memo.hasSelection());
}

void tst_DynamicMenus::insertionIsOneUndoStep()
{
    TMemoSource memo;
    memo.setText(QStringLiteral("Hello world"));
    memo.setSelection(smStream, 0, 0, 5, 0);
    insertResult(QStringLiteral("<B>\r\n{=,=}\r\n</B>"), memo);
    QCOMPARE(linesOf(memo), QStringLiteral("<B>\r\nHello\r\n</B> world"));
    QVERIFY(memo.undoLog().size() > 1);
    for (const TUndoRecord& r : memo.undoLog())
        QCOMPARE(int(r.OpCode), int(opInsertResult));
    memo.setOptions(memo.Options() & ~TStringsOptions(soGroupUndo));
    memo.Undo();
    QCOMPARE(linesOf(memo), QStringLiteral("Hello world"));
}

void tst_DynamicMenus::gotoRunsWhileTyping()
{
    GotoActions actions;
    TMemoSource memo;
    insertResult(QStringLiteral("ab{= 'g', goto['x', 1] =}cd"), memo);
    QCOMPARE(actions.calls, QStringList{"'x', 1"});
    QCOMPARE(linesOf(memo), QStringLiteral("cdab"));
}

void tst_DynamicMenus::clickRunsTheEntry()
{
    // The worked example: a link around the selected word, caret after it.
    menuEntryTexts = {QString(), QStringLiteral("<A HREF={= 'Link target', url =}>{=,=}</A>")};
    TScriptedWizard wizard;
    wizard.queueAnswers({"index.html"});
    TMemoSource memo;
    memo.setText(QStringLiteral("Home"));
    memo.setSelection(smStream, 0, 0, 4, 0);
    dynamicMenuItemClick(1, QStringLiteral("&Link"), &memo);
    QCOMPARE(wizard.calls().size(), 1);
    QCOMPARE(wizard.calls().at(0).title, QStringLiteral("Link"));
    QCOMPARE(linesOf(memo), QStringLiteral("<A HREF=index.html>Home</A>"));
    QCOMPARE(memo.CaretX(), 23);

    // Cancelled: nothing typed, but the selection is gone.
    wizard.queueCancel();
    memo.setSelection(smStream, 19, 0, 23, 0);
    dynamicMenuItemClick(1, QStringLiteral("&Link"), &memo);
    QCOMPARE(linesOf(memo), QStringLiteral("<A HREF=index.html></A>"));
}

void tst_DynamicMenus::clickOutsideTheTableDoesNothing()
{
    menuEntryTexts = {QString(), QStringLiteral("X")};
    TScriptedWizard wizard;
    TMemoSource memo;
    memo.setText(QStringLiteral("abc"));
    memo.setSelection(smStream, 0, 0, 3, 0);
    for (int tag : {-1, 2, 1000})
        dynamicMenuItemClick(tag, QStringLiteral("E"), &memo);
    dynamicMenuItemClick(1, QStringLiteral("E"), nullptr);
    QCOMPARE(linesOf(memo), QStringLiteral("abc"));
    QVERIFY(memo.hasSelection());
    dynamicMenuItemClick(1, QStringLiteral("E"), &memo);
    QCOMPARE(linesOf(memo), QStringLiteral("X"));
}

void tst_DynamicMenus::autoInsertText()
{
    menuEntryTexts = {QStringLiteral("<HTML>\r\n<TITLE>{=,=}</TITLE>\r\n</HTML>")};
    StatusHost host;
    TMemoSource memo;
    insertAutoInsertTags(memo);
    QCOMPARE(linesOf(memo), QStringLiteral("<HTML>\r\n<TITLE></TITLE>\r\n</HTML>"));
    QCOMPARE(memo.CaretX(), 7);
    QCOMPARE(memo.CaretY(), 1);
    QCOMPARE(host.statuses.first(), QStringLiteral("Inserting auto-insert tags...."));
    QCOMPARE(host.statuses.last(), QStringLiteral("Ready"));

    globalOptions.autoInsertTags = false;
    TMemoSource untouched;
    insertAutoInsertTags(untouched);
    QCOMPARE(linesOf(untouched), QString());

    // No table yet (the menus file never loaded): an empty text, nothing typed.
    globalOptions.autoInsertTags = true;
    menuEntryTexts.clear();
    TMemoSource empty;
    insertAutoInsertTags(empty);
    QCOMPARE(linesOf(empty), QString());
}

QTEST_GUILESS_MAIN(tst_DynamicMenus)
#include "tst_dynamicmenus.moc"
