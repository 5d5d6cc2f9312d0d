/** @file tst_memosource.cpp ** Editing, undo, keys, positions, clipboard and colour scheduling of the text storage. **/
#include "editor/TMemoSource.h"
#include "editor/TextClipboard.h"

#include <QTest>

#include <climits>

namespace {

class FakeClipboard : public TextClipboard
{
public:
    void setText(const QString& text, bool isColumnBlock) override
    {
        m_text = text;
        m_block = isColumnBlock;
    }
    QString text(bool* isColumnBlock) const override
    {
        if (isColumnBlock)
            *isColumnBlock = m_block;
        return m_text;
    }
    QString m_text = QStringLiteral("untouched");
    bool m_block = false;
};

class Recorder : public TMemoListener
{
public:
    void memoChanged(const TMemoChange& change) override { changes.append(change); }
    QList<TMemoChange> changes;
};

QStringList linesOf(const TMemoSource& s)
{
    QStringList out;
    for (int i = 0; i < s.lineCount(); ++i)
        out << s.line(i);
    return out;
}

void fill(TMemoSource& s, const QStringList& lines)
{
    s.setText(lines.join(u'\n') + u'\n'); // a final break keeps a last empty line
}

/// Restores the shared insert/overwrite flag whatever a test does.
struct OverwriteGuard {
    explicit OverwriteGuard(bool on) { TMemoSource::setOverwriteMode(on); }
    ~OverwriteGuard() { TMemoSource::setOverwriteMode(false); }
};

} // namespace

class tst_MemoSource : public QObject
{
    Q_OBJECT

private slots:
    void freshStorage();
    void storeDropsTrailingBlanks_data();
    void storeDropsTrailingBlanks();
    void groupUndo_data();
    void groupUndo();
    void newTypingEmptiesRedo();
    void undoRedoRoundTrip_data();
    void undoRedoRoundTrip();
    void paddingBeyondLineEnd();
    void tabStops_data();
    void tabStops();
    void tabKey_data();
    void tabKey();
    void enterKey_data();
    void enterKey();
    void backspaceKey_data();
    void backspaceKey();
    void deleteKeyAndOverwrite();
    void columnBlockCopyPaste();
    void cutCopyWithoutSelection();
    void positionsFollowEdits_data();
    void positionsFollowEdits();
    void positionInsideDeletion();
    void selectionText_data();
    void selectionText();
    void caseConversion();
    void readOnly();
    void wildPositionsAreClamped();
    void changeBrackets();
    void notifications();
    void wordBoundaries();
    void parseScheduling();
    void parseStateReport();
    void colourDataIsZeroedBeforeEachPass();
};

void tst_MemoSource::freshStorage()
{
    TMemoSource s;
    QCOMPARE(s.lineCount(), 1);
    QCOMPARE(s.TabStops(), QStringLiteral("9,17"));
    QCOMPARE(int(s.Options()), 0x1FF);
    QVERIFY(s.isDelimiter(u' ') && s.isDelimiter(u'\0') && s.isDelimiter(u'\t'));
    QVERIFY(!s.isDelimiter(u'<'));
    s.setDelimeters(QStringLiteral("<>"));
    QVERIFY(s.isDelimiter(u'<') && s.isDelimiter(u' ') && !s.isDelimiter(u'a'));
}

void tst_MemoSource::storeDropsTrailingBlanks_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("spaces") << QStringLiteral("abc   ") << QStringList { "abc" };
    QTest::newRow("tabs and controls")
        << QStringLiteral("abc\t\x01\x1f ") << QStringList { "abc" };
    QTest::newRow("inner blanks stay") << QStringLiteral("a \t b") << QStringList { "a \t b" };
    QTest::newRow("only blanks") << QStringLiteral(" \t ") << QStringList { "" };
    QTest::newRow("wide characters") << QStringLiteral("\u03b1\u03b2  ")
                                     << QStringList { QStringLiteral("\u03b1\u03b2") };
    QTest::newRow("no-break space kept") << QStringLiteral("a\u00a0") << QStringList { "a\u00a0" };
    QTest::newRow("break inside splits")
        << QStringLiteral("one  \r\ntwo \rthree  ") << QStringList { "one", "two", "three" };
}

void tst_MemoSource::storeDropsTrailingBlanks()
{
    QFETCH(QString, input);
    QFETCH(QStringList, expected);
    TMemoSource s;
    s.setLine(0, input);
    QCOMPARE(linesOf(s), expected);
    // Typed text that ends a line is stored the same way.
    TMemoSource t;
    t.insertText(input);
    QCOMPARE(linesOf(t), expected);
}

void tst_MemoSource::groupUndo_data()
{
    QTest::addColumn<bool>("group");
    QTest::addColumn<QString>("afterOneUndo");
    QTest::newRow("grouped") << true << QString();
    QTest::newRow("one at a time") << false << QStringLiteral("abcd");
}

void tst_MemoSource::groupUndo()
{
    QFETCH(bool, group);
    QFETCH(QString, afterOneUndo);
    TMemoSource s;
    TStringsOptions o = s.Options();
    o.setFlag(soGroupUndo, group);
    s.setOptions(o);
    for (QChar c : QStringLiteral("abcde"))
        s.insertText(QString(c));
    QCOMPARE(s.line(0), QStringLiteral("abcde"));
    s.Undo();
    QCOMPARE(s.line(0), afterOneUndo);
    QCOMPARE(s.CaretX(), int(afterOneUndo.size()));
    // A different operation in between ends the run even with grouping.
    TMemoSource t;
    t.setOptions(o);
    t.insertText(QStringLiteral("ab"));
    t.setCaret(0, 0);
    t.insertText(QStringLiteral("x"));
    t.Undo();
    QCOMPARE(t.line(0), QStringLiteral("ab"));
    t.Undo(); // the caret move
    QCOMPARE(t.CaretX(), 2);
    QCOMPARE(t.line(0), QStringLiteral("ab"));
}

void tst_MemoSource::newTypingEmptiesRedo()
{
    TMemoSource s;
    s.insertText(QStringLiteral("one"));
    s.Undo();
    QVERIFY(s.canRedo());
    s.setCaret(0, 0); // a caret move alone keeps the redo log
    QVERIFY(s.canRedo());
    s.keyChar(u'x');
    QVERIFY(!s.canRedo());
    s.Redo();
    QCOMPARE(s.line(0), QStringLiteral("x"));
}

using Scenario = void (*)(TMemoSource&);
Q_DECLARE_METATYPE(Scenario)

void tst_MemoSource::undoRedoRoundTrip_data()
{
    QTest::addColumn<QStringList>("start");
    QTest::addColumn<Scenario>("edit");
    const QStringList doc { "<html>", "    <body>", "        <p>text here</p>", "    </body>",
                            "</html>" };
    QTest::newRow("typing and enter") << doc << Scenario([](TMemoSource& s) {
        s.setCaret(10, 2);
        for (QChar c : QStringLiteral("abc"))
            s.keyChar(c);
        s.keyEnter();
        s.keyChar(u'z');
    });
    QTest::newRow("multi-line insert beyond line end") << doc << Scenario([](TMemoSource& s) {
        s.setCaret(20, 1);
        s.insertText(QStringLiteral("x  \r\n  y  \n\nz"));
    });
    QTest::newRow("backspace joins and unindents") << doc << Scenario([](TMemoSource& s) {
        s.setCaret(0, 3);
        s.keyBackspace();
        s.setCaret(8, 2);
        s.keyBackspace();
        s.keyBackspace();
    });
    QTest::newRow("stream selection deleted across lines") << doc << Scenario([](TMemoSource& s) {
        s.setSelection(smStream, 6, 2, 3, 4);
        s.deleteSelection();
    });
    QTest::newRow("selection from beyond a line end") << doc << Scenario([](TMemoSource& s) {
        s.setSelection(smStream, 30, 0, 2, 1);
        s.deleteSelection();
    });
    QTest::newRow("column block deleted") << doc << Scenario([](TMemoSource& s) {
        s.setSelection(smColumn, 9, 0, 2, 4);
        s.deleteSelection();
    });
    QTest::newRow("replace selection") << doc << Scenario([](TMemoSource& s) {
        s.setSelection(smStream, 11, 2, 15, 2);
        s.replaceSelection(QStringLiteral("more\r\ntext"));
    });
    QTest::newRow("line list edits") << doc << Scenario([](TMemoSource& s) {
        s.setLine(1, QStringLiteral("  <body class=x>"));
        s.insertLine(0, QStringLiteral("<!DOCTYPE html>"));
        s.deleteLine(3);
        s.addLine(QStringLiteral("end"));
    });
    QTest::newRow("delete key joins with padding") << doc << Scenario([](TMemoSource& s) {
        s.setCaret(9, 0);
        s.keyDelete();
        s.keyDelete();
    });
    QTest::newRow("upper case") << doc << Scenario([](TMemoSource& s) {
        s.setSelection(smStream, 3, 1, 5, 3);
        s.upperCaseSelection();
    });
}

void tst_MemoSource::undoRedoRoundTrip()
{
    QFETCH(QStringList, start);
    QFETCH(Scenario, edit);
    for (bool group : { true, false }) {
        TMemoSource s;
        TStringsOptions o = s.Options();
        o.setFlag(soGroupUndo, group);
        s.setOptions(o);
        fill(s, start);
        edit(s);
        const QStringList edited = linesOf(s);
        QVERIFY(edited != start);
        const int cx = s.CaretX(), cy = s.CaretY();
        int guard = 0;
        while (s.canUndo() && ++guard < 1000)
            s.Undo();
        QCOMPARE(linesOf(s), start);
        QCOMPARE(s.CaretX(), 0);
        QCOMPARE(s.CaretY(), 0);
        while (s.canRedo() && ++guard < 2000)
            s.Redo();
        QCOMPARE(linesOf(s), edited);
        QCOMPARE(s.CaretX(), cx);
        QCOMPARE(s.CaretY(), cy);
    }
}

void tst_MemoSource::paddingBeyondLineEnd()
{
    TMemoSource s;
    s.setLine(0, QStringLiteral("ab"));
    s.setCaret(6, 0);
    QCOMPARE(s.lineLength(0), 2); // moving there alone changes nothing
    s.insertAtCaret(QStringLiteral("x"));
    QCOMPARE(s.line(0), QStringLiteral("ab    x"));
    QCOMPARE(s.CaretX(), 7);
    s.Undo();
    QCOMPARE(s.line(0), QStringLiteral("ab"));
    // Typing a blank beyond the end stores nothing but still moves the caret.
    s.setCaret(2, 0);
    s.keyChar(u' ');
    QCOMPARE(s.line(0), QStringLiteral("ab"));
    QCOMPARE(s.CaretX(), 3);
    s.keyChar(u'c');
    QCOMPARE(s.line(0), QStringLiteral("ab c"));
}

void tst_MemoSource::tabStops_data()
{
    QTest::addColumn<QString>("stops");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QList<int>>("targets"); // next stop after columns 0, 8, 9, 16, 17, 30
    QTest::newRow("9,17 continues every 8") << "9,17" << true << QList<int> { 9, 9, 17, 17, 25, 33 };
    QTest::newRow("single stop repeats") << "4" << true << QList<int> { 4, 12, 12, 20, 20, 32 };
    QTest::newRow("none: every 8") << "" << true << QList<int> { 8, 16, 16, 24, 24, 32 };
    QTest::newRow("three stops") << "2,5,11" << true << QList<int> { 2, 11, 11, 17, 23, 35 };
    QTest::newRow("decreasing refused") << "17,9" << false << QList<int> { 9, 9, 17, 17, 25, 33 };
    QTest::newRow("repeated refused") << "9,9" << false << QList<int> { 9, 9, 17, 17, 25, 33 };
    QTest::newRow("not a number refused") << "9,x" << false << QList<int> { 9, 9, 17, 17, 25, 33 };
    QTest::newRow("negative refused") << "-1,4" << false << QList<int> { 9, 9, 17, 17, 25, 33 };
}

void tst_MemoSource::tabStops()
{
    QFETCH(QString, stops);
    QFETCH(bool, accepted);
    QFETCH(QList<int>, targets);
    TMemoSource s;
    QCOMPARE(s.setTabStops(stops), accepted);
    QCOMPARE(s.TabStops(), accepted ? stops : QStringLiteral("9,17"));
    const int columns[] = { 0, 8, 9, 16, 17, 30 };
    for (int i = 0; i < 6; ++i)
        QCOMPARE(s.nextTabStop(columns[i]), targets[i]);
}

void tst_MemoSource::tabKey_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("smart");
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("caret");
    const QStringList doc { "alpha   beta  gamma", "", "xy" };
    QTest::newRow("plain stop") << doc << 0 << false << false << "         xy" << 9;
    QTest::newRow("smart: next word above") << doc << 0 << true << false << "        xy" << 8;
    QTest::newRow("smart from inside a word") << doc << 1 << true << false << "x       y" << 8;
    QTest::newRow("smart: no word left, tab stop")
        << doc << 15 << true << false << "xy" << 17;
    QTest::newRow("overwrite only moves") << doc << 0 << true << true << "xy" << 8;
}

void tst_MemoSource::tabKey()
{
    QFETCH(QStringList, lines);
    QFETCH(int, column);
    QFETCH(bool, smart);
    QFETCH(bool, overwrite);
    QFETCH(QString, result);
    QFETCH(int, caret);
    OverwriteGuard ow(overwrite);
    TMemoSource s;
    TStringsOptions o = s.Options();
    o.setFlag(soSmartTab, smart);
    s.setOptions(o);
    fill(s, lines);
    s.setCaret(column, 2);
    s.keyTab();
    QCOMPARE(s.line(2), result);
    QCOMPARE(s.CaretX(), caret);
    QCOMPARE(s.CaretY(), 2);
}

void tst_MemoSource::enterKey_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QPoint>("caret");
    QTest::addColumn<bool>("autoIndent");
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QPoint>("caretAfter");
    QTest::newRow("end of indented line") << QStringList { "    abc" } << QPoint(7, 0) << true << false
                                          << QStringList { "    abc", "" } << QPoint(4, 1);
    QTest::newRow("inside leading blanks") << QStringList { "    abc" } << QPoint(2, 0) << true << false
                                           << QStringList { "", "    abc" } << QPoint(2, 1);
    QTest::newRow("column 0 of a blank-led line")
        << QStringList { "  abc" } << QPoint(0, 0) << true << false << QStringList { "", "  abc" }
        << QPoint(0, 1);
    QTest::newRow("between words") << QStringList { "    ab cd" } << QPoint(6, 0) << true << false
                                   << QStringList { "    ab", "     cd" } << QPoint(4, 1);
    QTest::newRow("empty line takes indent from above")
        << QStringList { "  x", "" } << QPoint(0, 1) << true << false
        << QStringList { "  x", "", "" } << QPoint(2, 2);
    QTest::newRow("no auto indent") << QStringList { "    abc" } << QPoint(7, 0) << false << false
                                    << QStringList { "    abc", "" } << QPoint(0, 1);
    QTest::newRow("overwrite: next line's first word")
        << QStringList { "a", "   b" } << QPoint(1, 0) << true << true
        << QStringList { "a", "   b" } << QPoint(3, 1);
    QTest::newRow("overwrite: same column in blanks")
        << QStringList { "    a", "b" } << QPoint(2, 0) << true << true
        << QStringList { "    a", "b" } << QPoint(2, 1);
    QTest::newRow("overwrite without auto indent")
        << QStringList { "a", "   b" } << QPoint(1, 0) << false << true
        << QStringList { "a", "   b" } << QPoint(0, 1);
}

void tst_MemoSource::enterKey()
{
    QFETCH(QStringList, lines);
    QFETCH(QPoint, caret);
    QFETCH(bool, autoIndent);
    QFETCH(bool, overwrite);
    QFETCH(QStringList, expected);
    QFETCH(QPoint, caretAfter);
    OverwriteGuard ow(overwrite);
    TMemoSource s;
    TStringsOptions o = s.Options();
    o.setFlag(soAutoIndent, autoIndent);
    s.setOptions(o);
    fill(s, lines);
    s.setCaret(caret.x(), caret.y());
    s.keyEnter();
    QCOMPARE(linesOf(s), expected);
    QCOMPARE(QPoint(s.CaretX(), s.CaretY()), caretAfter);
}

void tst_MemoSource::backspaceKey_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QPoint>("caret");
    QTest::addColumn<bool>("unindent");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QPoint>("caretAfter");
    QTest::newRow("inside text") << QStringList { "abc" } << QPoint(2, 0) << true
                                 << QStringList { "ac" } << QPoint(1, 0);
    QTest::newRow("unindent to a space above")
        << QStringList { "if (a) {", "      x" } << QPoint(6, 1) << true
        << QStringList { "if (a) {", "   x" } << QPoint(3, 1);
    QTest::newRow("unindent passes empty and deeper lines")
        << QStringList { "ab cd", "        q", "", "    x" } << QPoint(4, 3) << true
        << QStringList { "ab cd", "        q", "", "   x" } << QPoint(3, 3);
    QTest::newRow("unindent: no space, column 0")
        << QStringList { "abcdefgh", "    x" } << QPoint(4, 1) << true
        << QStringList { "abcdefgh", "x" } << QPoint(0, 1);
    QTest::newRow("without unindent one character")
        << QStringList { "if (a) {", "      x" } << QPoint(6, 1) << false
        << QStringList { "if (a) {", "     x" } << QPoint(5, 1);
    QTest::newRow("beyond the end only moves")
        << QStringList { "ab" } << QPoint(5, 0) << true << QStringList { "ab" } << QPoint(4, 0);
    QTest::newRow("column 0 joins") << QStringList { "ab", "cd" } << QPoint(0, 1) << true
                                    << QStringList { "abcd" } << QPoint(2, 0);
    QTest::newRow("column 0 of line 0") << QStringList { "ab" } << QPoint(0, 0) << true
                                        << QStringList { "ab" } << QPoint(0, 0);
}

void tst_MemoSource::backspaceKey()
{
    QFETCH(QStringList, lines);
    QFETCH(QPoint, caret);
    QFETCH(bool, unindent);
    QFETCH(QStringList, expected);
    QFETCH(QPoint, caretAfter);
    TMemoSource s;
    TStringsOptions o = s.Options();
    o.setFlag(soBackUnindents, unindent);
    s.setOptions(o);
    fill(s, lines);
    s.setCaret(caret.x(), caret.y());
    s.keyBackspace();
    QCOMPARE(linesOf(s), expected);
    QCOMPARE(QPoint(s.CaretX(), s.CaretY()), caretAfter);
}

void tst_MemoSource::deleteKeyAndOverwrite()
{
    TMemoSource s;
    fill(s, { "ab", "cd" });
    s.setCaret(4, 0);
    s.keyDelete(); // at or beyond the end: the next line joins at the caret
    QCOMPARE(linesOf(s), QStringList { "ab  cd" });
    s.setCaret(0, 0);
    s.keyDelete();
    QCOMPARE(s.line(0), QStringLiteral("b  cd"));
    {
        OverwriteGuard ow(true);
        s.keyChar(u'X');
        s.keyChar(u'Y');
        QCOMPARE(s.line(0), QStringLiteral("XY cd"));
        s.setCaret(5, 0);
        s.keyChar(u'!'); // at the end it appends
        QCOMPARE(s.line(0), QStringLiteral("XY cd!"));
    }
    s.setCaret(0, 0);
    s.keyChar(u'>');
    QCOMPARE(s.line(0), QStringLiteral(">XY cd!"));
}

void tst_MemoSource::columnBlockCopyPaste()
{
    FakeClipboard clip;
    TMemoSource s;
    s.setClipboard(&clip);
    fill(s, { "abcdef", "ghijkl", "mn" });
    s.setSelection(smColumn, 3, 2, 1, 0); // corners in any order
    QCOMPARE(s.SelText(), QStringLiteral("bc\r\nhi\r\nn "));
    s.CopyToClipboard();
    QVERIFY(clip.m_block);
    QCOMPARE(clip.m_text, QStringLiteral("bc\r\nhi\r\nn "));
    s.clearSelection();
    s.setCaret(4, 1);
    s.PasteFromClipboard();
    // Each row goes into its own line at the caret column; missing lines are added.
    QCOMPARE(linesOf(s), (QStringList { "abcdef", "ghijbckl", "mn  hi", "    n" }));
    QCOMPARE(QPoint(s.CaretX(), s.CaretY()), QPoint(6, 3));
    s.Undo();
    QCOMPARE(linesOf(s), (QStringList { "abcdef", "ghijkl", "mn" }));

    // A stream copy pastes as ordinary text; cutting removes it.
    s.setSelection(smStream, 4, 0, 2, 1);
    s.CutToClipboard();
    QVERIFY(!clip.m_block);
    QCOMPARE(clip.m_text, QStringLiteral("ef\r\ngh"));
    QCOMPARE(linesOf(s), (QStringList { "abcdijkl", "mn" }));
    s.setCaret(0, 1);
    s.PasteFromClipboard();
    QCOMPARE(linesOf(s), (QStringList { "abcdijkl", "ef", "ghmn" }));
    QCOMPARE(QPoint(s.CaretX(), s.CaretY()), QPoint(2, 2));
}

void tst_MemoSource::cutCopyWithoutSelection()
{
    FakeClipboard clip;
    TMemoSource s;
    s.setClipboard(&clip);
    s.setLine(0, QStringLiteral("keep"));
    s.CutToClipboard();
    QCOMPARE(clip.m_text, QString()); // emptied with soForceCutCopy
    QCOMPARE(s.line(0), QStringLiteral("keep"));
    clip.m_text = QStringLiteral("x");
    s.setOptions(s.Options() & ~TStringsOptions(soForceCutCopy));
    s.CopyToClipboard();
    QCOMPARE(clip.m_text, QStringLiteral("x"));
}

void tst_MemoSource::positionsFollowEdits_data()
{
    QTest::addColumn<Scenario>("edit");
    // The watched position sits on the 'T' of "Target" at (4, 2).
    QTest::newRow("insert before on its line") << Scenario([](TMemoSource& s) {
        s.setCaret(1, 2);
        s.insertText(QStringLiteral("xyz"));
    });
    QTest::newRow("insert lines above") << Scenario([](TMemoSource& s) {
        s.setCaret(0, 0);
        s.insertText(QStringLiteral("a\nb\nc"));
    });
    QTest::newRow("break before it on its line") << Scenario([](TMemoSource& s) {
        s.setCaret(2, 2);
        s.keyEnter();
    });
    QTest::newRow("join into the line above") << Scenario([](TMemoSource& s) {
        s.setCaret(0, 2);
        s.keyBackspace();
    });
    QTest::newRow("delete across lines before it") << Scenario([](TMemoSource& s) {
        s.setSelection(smStream, 1, 0, 2, 2);
        s.deleteSelection();
    });
    QTest::newRow("insertion at its very place") << Scenario([](TMemoSource& s) {
        s.setCaret(4, 2);
        s.insertText(QStringLiteral("<b>"));
    });
    QTest::newRow("edits after it") << Scenario([](TMemoSource& s) {
        s.setCaret(10, 2);
        s.insertText(QStringLiteral("\n\n"));
        s.deleteLine(4);
    });
    QTest::newRow("undo of an insertion above") << Scenario([](TMemoSource& s) {
        s.setCaret(0, 1);
        s.insertText(QStringLiteral("new\nline"));
        s.Undo();
    });
}

void tst_MemoSource::positionsFollowEdits()
{
    QFETCH(Scenario, edit);
    TMemoSource s;
    fill(s, { "first line", "second", "    Target word", "last" });
    TPosition watched(&s, 4, 2);
    edit(s);
    QVERIFY(watched.line() < s.lineCount());
    QCOMPARE(s.line(watched.line()).mid(watched.column(), 6), QStringLiteral("Target"));
}

void tst_MemoSource::positionInsideDeletion()
{
    TMemoSource s;
    fill(s, { "abc", "defghij", "k" });
    TPosition inside(&s, 4, 1);
    TPosition after(&s, 6, 1);
    TPosition beyondEnd(&s, 9, 0); // in the space past "abc"
    s.setSelection(smStream, 2, 0, 5, 1);
    s.deleteSelection();
    QCOMPARE(linesOf(s), (QStringList { "abij", "k" }));
    QCOMPARE(QPoint(inside.column(), inside.line()), QPoint(2, 0));
    QCOMPARE(QPoint(after.column(), after.line()), QPoint(3, 0)); // still on 'j'
    QCOMPARE(QPoint(beyondEnd.column(), beyondEnd.line()), QPoint(2, 0));
    s.Undo();
    QCOMPARE(linesOf(s), (QStringList { "abc", "defghij", "k" }));
    QCOMPARE(QPoint(after.column(), after.line()), QPoint(6, 1));
}

void tst_MemoSource::selectionText_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QRect>("range"); // x/y = start column/line, right/bottom = end
    QTest::addColumn<QString>("text");
    QTest::newRow("stream on one line") << 1 << QRect(QPoint(1, 0), QPoint(3, 0)) << "bc";
    QTest::newRow("stream backwards") << 1 << QRect(QPoint(2, 1), QPoint(1, 0))
                                      << "bcd\r\nxy";
    QTest::newRow("stream ends beyond the text") << 1 << QRect(QPoint(3, 0), QPoint(20, 0)) << "d";
    QTest::newRow("stream over three lines") << 1 << QRect(QPoint(3, 0), QPoint(1, 2))
                                             << "d\r\nxyz\r\n";
    QTest::newRow("block") << 2 << QRect(QPoint(1, 0), QPoint(3, 1)) << "bc\r\nyz";
    QTest::newRow("none") << 0 << QRect(QPoint(1, 0), QPoint(3, 1)) << "";
}

void tst_MemoSource::selectionText()
{
    QFETCH(int, mode);
    QFETCH(QRect, range);
    QFETCH(QString, text);
    TMemoSource s;
    fill(s, { "abcd", "xyz", "" });
    s.setSelection(TSelectionMode(mode), range.left(), range.top(), range.right(), range.bottom());
    QCOMPARE(s.SelText(), text);
}

void tst_MemoSource::caseConversion()
{
    TMemoSource s;
    fill(s, { "Straße one", "two Three" });
    s.setSelection(smStream, 2, 0, 3, 1);
    s.upperCaseSelection();
    QCOMPARE(linesOf(s), (QStringList { "StRASSE ONE", "TWO Three" }));
    // The selection still covers the converted text.
    QCOMPARE(s.SelText(), QStringLiteral("RASSE ONE\r\nTWO"));
    s.lowerCaseSelection();
    QCOMPARE(linesOf(s), (QStringList { "Strasse one", "two Three" }));
    s.Undo();
    s.Undo();
    QCOMPARE(linesOf(s), (QStringList { "Straße one", "two Three" }));
}

void tst_MemoSource::readOnly()
{
    TMemoSource s;
    fill(s, { "abc", "def" });
    s.setLineReadOnly(1, true);
    s.setCaret(1, 1);
    s.keyChar(u'x');
    s.insertText(QStringLiteral("y"));
    s.keyBackspace();
    QCOMPARE(s.line(1), QStringLiteral("def"));
    s.setCaret(3, 0);
    s.keyDelete(); // would join the read-only line
    QCOMPARE(linesOf(s), (QStringList { "abc", "def" }));
    s.keyChar(u'!');
    QCOMPARE(s.line(0), QStringLiteral("abc!"));
    s.setReadOnly(true);
    s.keyChar(u'?');
    s.Undo();
    QCOMPARE(s.line(0), QStringLiteral("abc!"));
}

void tst_MemoSource::wildPositionsAreClamped()
{
    TMemoSource s;
    fill(s, { "abc", "de" });
    FakeClipboard clip;
    s.setClipboard(&clip);
    s.setCaret(INT_MAX, INT_MAX);
    QCOMPARE(s.CaretY(), 1);
    QVERIFY(s.CaretX() <= 1 << 16);
    s.moveCaret(INT_MAX, INT_MIN);
    QCOMPARE(s.CaretY(), 0);
    s.moveCaret(INT_MIN, INT_MAX);
    QCOMPARE(QPoint(s.CaretX(), s.CaretY()), QPoint(0, 1));
    s.setCaret(-7, -7);
    QCOMPARE(QPoint(s.CaretX(), s.CaretY()), QPoint(0, 0));
    s.setSelection(smStream, -5, -5, INT_MAX, INT_MAX);
    int c1, l1, c2, l2;
    s.getSelection(c1, l1, c2, l2);
    QCOMPARE(QPoint(c1, l1), QPoint(0, 0));
    QCOMPARE(l2, 1);
    QCOMPARE(s.SelText(), QStringLiteral("abc\r\nde"));
    s.CopyToClipboard();
    s.deleteSelection();
    QCOMPARE(linesOf(s), QStringList { "" });
    s.setSelection(smColumn, INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    s.upperCaseSelection();
    s.setSelection(TSelectionMode(7), 1, 1, 2, 2);
    QVERIFY(!s.hasSelection());
    s.PasteFromClipboard();
    QCOMPARE(linesOf(s), (QStringList { "abc", "de" }));
    QCOMPARE(s.line(99), QString());
    QCOMPARE(s.lineLength(-1), 0);
    s.setLine(99, QStringLiteral("x"));
    s.deleteLine(-1);
    s.insertLine(99, QStringLiteral("x"));
    QCOMPARE(s.lineCount(), 2);
}

void tst_MemoSource::changeBrackets()
{
    TMemoSource s;
    s.beginChange(opInsertText);
    s.insertAtCaret(QStringLiteral("ab"));
    s.keyEnter();
    s.insertAtCaret(QStringLiteral("cd"));
    s.endChange();
    const QList<TUndoRecord>& log = s.undoLog();
    QVERIFY(log.size() >= 4);
    for (int i = 0; i < log.size(); ++i) {
        QCOMPARE(log[i].OpCode, uint8_t(opInsertText)); // the outermost code marks them all
        QCOMPARE(log[i].GroupStart, i == 0);
    }
    QCOMPARE(log[0].Kind, uint8_t(ukTextInserted));
    QCOMPARE(log[0].Count1, 2);
    // Without soGroupUndo the bracket is still one group.
    s.setOptions(s.Options() & ~TStringsOptions(soGroupUndo));
    s.Undo();
    QCOMPARE(linesOf(s), QStringList { "" });
}

void tst_MemoSource::notifications()
{
    TMemoSource s;
    Recorder r;
    s.attach(&r);
    s.keyChar(u'a');
    QCOMPARE(r.changes.size(), 1);
    QCOMPARE(r.changes[0].State, uint32_t(msTextChanged | msCaretMoved | msModifiedChanged));
    QCOMPARE(r.changes[0].FirstLine, 0);
    s.keyChar(u'b'); // Modified was already set
    QCOMPARE(r.changes[1].State, uint32_t(msTextChanged | msCaretMoved));
    s.keyEnter();
    QVERIFY(r.changes[2].State & msLineCountChanged);
    QCOMPARE(r.changes[2].LineDelta, 1);
    QCOMPARE(r.changes[2].LastLine, 1);
    s.setModified(false);
    QCOMPARE(r.changes.last().State, uint32_t(msModifiedChanged));
    s.setSelection(smStream, 0, 0, 1, 0);
    QCOMPARE(r.changes.last().State, uint32_t(msSelectionChanged));
    TMemoSource::setOverwriteMode(true);
    TMemoSource::setOverwriteMode(false);
    QCOMPARE(r.changes.last().State, uint32_t(msOverwriteChanged));
    const int before = int(r.changes.size());
    s.detach(&r);
    s.keyChar(u'c');
    QCOMPARE(int(r.changes.size()), before);
    QVERIFY(s.Modified());
}

void tst_MemoSource::wordBoundaries()
{
    TMemoSource s;
    s.setDelimeters(QStringLiteral("<>=\""));
    fill(s, { "<p class=\"big\">text", "", "  next" });
    int a, b;
    s.wordAt(5, 0, a, b);
    QCOMPARE(QPoint(a, b), QPoint(3, 8));
    s.wordAt(0, 0, a, b);
    QCOMPARE(QPoint(a, b), QPoint(0, 0)); // a delimiter
    int c = 1, l = 0;
    s.nextWordStart(c, l);
    QCOMPARE(QPoint(c, l), QPoint(3, 0));
    c = 15;
    s.nextWordStart(c, l);
    QCOMPARE(QPoint(c, l), QPoint(19, 0)); // end of the line first
    s.nextWordStart(c, l);
    QCOMPARE(QPoint(c, l), QPoint(0, 1));
    s.nextWordStart(c, l);
    QCOMPARE(QPoint(c, l), QPoint(2, 2));
    s.previousWordStart(c, l);
    QCOMPARE(QPoint(c, l), QPoint(0, 2));
    s.previousWordStart(c, l);
    QCOMPARE(QPoint(c, l), QPoint(0, 1));
    c = 8;
    l = 0;
    s.previousWordStart(c, l);
    QCOMPARE(QPoint(c, l), QPoint(3, 0));
}

namespace {
/// Counts calls; the end state is 10 for a line ending in "\\" and passes through empty lines.
struct CountingParser {
    QList<int> parsed;
    TMemoSource* source = nullptr;
    int32_t operator()(const LineText& text, int32_t init, uint8_t* colours)
    {
        for (int i = 0; i < source->lineCount(); ++i) {
            if (source->lineText(i).latin1() == text.latin1() && text.size() > 0) {
                parsed << i;
                break;
            }
        }
        if (text.isEmpty()) {
            parsed << -1;
            return init;
        }
        for (qsizetype i = 0; i < text.size(); ++i)
            colours[i] = uint8_t(text.at(i) == u'<' ? 3 : 1);
        return text.at(text.size() - 1) == u'\\' ? 10 : 0;
    }
};
} // namespace

void tst_MemoSource::parseScheduling()
{
    TMemoSource s;
    QStringList doc;
    for (int i = 0; i < 100; ++i)
        doc << QStringLiteral("<p>line %1").arg(i);
    fill(s, doc);
    CountingParser counter;
    counter.source = &s;
    s.setOnParseSyntax([&counter](const LineText& t, int32_t init, uint8_t* c) {
        return counter(t, init, c);
    });
    QCOMPARE(s.parseMark(), 0);
    const uint8_t* c = s.colorData(10);
    QVERIFY(c);
    QCOMPARE(c[0], uint8_t(3));
    QCOMPARE(c[1], uint8_t(1));
    QCOMPARE(counter.parsed, (QList<int> { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 }));
    QCOMPARE(s.parseMark(), 11);
    counter.parsed.clear();
    s.colorData(10);
    s.colorData(11);
    QCOMPARE(counter.parsed, QList<int> { 11 }); // line 10 is cached, 11 is next
    counter.parsed.clear();
    s.colorData(5); // parsed before only for its state: coloured alone, from line 4's state
    QCOMPARE(counter.parsed, QList<int> { 5 });

    // An edit lowers the mark to its line; lines above stay valid.
    s.setCaret(0, 50);
    s.keyChar(u'x');
    QCOMPARE(s.parseMark(), 12); // nothing below 12 was parsed yet
    counter.parsed.clear();
    s.setCaret(0, 7);
    s.keyChar(u'y');
    QCOMPARE(s.parseMark(), 7);
    s.colorData(5);
    QVERIFY(counter.parsed.isEmpty());
    s.colorData(8);
    QCOMPARE(counter.parsed, (QList<int> { 7, 8 }));
    QVERIFY(!s.colorData(-1));
    QVERIFY(!s.colorData(100));
}

void tst_MemoSource::parseStateReport()
{
    TMemoSource s;
    fill(s, { "a", "b", "", "", "c", "d" });
    CountingParser counter;
    counter.source = &s;
    s.setOnParseSyntax([&counter](const LineText& t, int32_t init, uint8_t* c) {
        return counter(t, init, c);
    });
    for (int i = 0; i < 6; ++i)
        s.colorData(i);
    QCOMPARE(s.takeLastStateChange(), -1); // every state stayed 0
    // Line 1 now ends inside a rule: its state and the empty lines after it change.
    s.setCaret(1, 1);
    s.keyChar(u'\\');
    for (int i = 0; i < 6; ++i)
        s.colorData(i);
    QCOMPARE(s.lineEndState(1), 10);
    QCOMPARE(s.lineEndState(3), 10);
    QCOMPARE(s.lineEndState(4), 0);
    QCOMPARE(s.takeLastStateChange(), 3);
    QCOMPARE(s.takeLastStateChange(), -1);
}

void tst_MemoSource::colourDataIsZeroedBeforeEachPass()
{
    TMemoSource s;
    s.setLine(0, QStringLiteral("abc"));
    bool writeAll = true;
    s.setOnParseSyntax([&writeAll](const LineText& t, int32_t, uint8_t* c) {
        for (qsizetype i = 0; i < (writeAll ? t.size() : std::min<qsizetype>(1, t.size())); ++i)
            c[i] = 7;
        return 0;
    });
    QCOMPARE(s.colorData(0)[2], uint8_t(7));
    writeAll = false;
    s.invalidateColors(0);
    const uint8_t* c = s.colorData(0);
    QCOMPARE(c[0], uint8_t(7));
    QCOMPARE(c[1], uint8_t(0));
    QCOMPARE(c[2], uint8_t(0));
    s.setLine(0, QString());
    QVERIFY(!s.colorData(0)); // an empty line has no colour bytes
}

QTEST_GUILESS_MAIN(tst_MemoSource)
#include "tst_memosource.moc"
