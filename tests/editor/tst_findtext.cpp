/** @file tst_findtext.cpp ** The line search and Find Next. **/
#include "editor/TMemoSource.h"
#include "editor/TSearchOptions.h"

#include <QTest>

class tst_FindText : public QObject
{
    Q_OBJECT

private slots:
    void find_data();
    void find();
    void firstSearch_data();
    void firstSearch();
    void findNextSelectsMatch();
};

namespace {
void fill(TMemoSource& s, const QStringList& lines)
{
    s.setText(lines.join(u'\n') + u'\n');
}
} // namespace

void tst_FindText::find_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("flags"); // c = case sensitive, w = whole words, b = backward
    QTest::addColumn<QString>("delimiters");
    QTest::addColumn<QPoint>("start"); // x = 1-based index, y = line
    QTest::addColumn<QPoint>("found"); // (0, -1) = not found

    const QStringList doc { "Hello World", "", "say hello again", "HELLO" };
    QTest::newRow("ignores case") << doc << "world" << "" << "" << QPoint(1, 0) << QPoint(7, 0);
    QTest::newRow("case sensitive goes on") << doc << "hello" << "c" << "" << QPoint(1, 0)
                                            << QPoint(5, 2);
    QTest::newRow("at the start index counts") << doc << "hello" << "" << "" << QPoint(5, 2)
                                               << QPoint(5, 2);
    QTest::newRow("after the start index") << doc << "hello" << "" << "" << QPoint(6, 2)
                                           << QPoint(1, 3);
    QTest::newRow("start beyond the line: next line") << doc << "hello" << "" << ""
                                                      << QPoint(40, 0) << QPoint(5, 2);
    QTest::newRow("absent") << doc << "goodbye" << "" << "" << QPoint(1, 0) << QPoint(0, -1);
    QTest::newRow("empty text") << doc << "" << "" << "" << QPoint(1, 0) << QPoint(0, -1);
    QTest::newRow("trailing blanks are not searched")
        << QStringList { "end   " } << "end " << "" << "" << QPoint(1, 0) << QPoint(0, -1);
    QTest::newRow("whole word: first occurrence inside a word hides the rest")
        << QStringList { "foobar foo", "a foo" } << "foo" << "w" << "" << QPoint(1, 0)
        << QPoint(3, 1);
    QTest::newRow("whole word: own word found")
        << QStringList { "x foo bar" } << "foo" << "w" << "" << QPoint(1, 0) << QPoint(3, 0);
    QTest::newRow("whole word: delimiters bound words")
        << QStringList { "<b>bold</b>" } << "b" << "w" << "<>/" << QPoint(1, 0) << QPoint(2, 0);
    QTest::newRow("whole word: blanks only by default")
        << QStringList { "<b>bold</b>" } << "b" << "w" << "" << QPoint(1, 0) << QPoint(0, -1);
    QTest::newRow("backward: last at or before the index")
        << QStringList { "ab ab ab" } << "ab" << "b" << "" << QPoint(6, 0) << QPoint(4, 0);
    QTest::newRow("backward: at the index") << QStringList { "ab ab ab" } << "ab" << "b" << ""
                                            << QPoint(7, 0) << QPoint(7, 0);
    QTest::newRow("backward: earlier lines from their end")
        << QStringList { "ab ab", "zz", "x" } << "AB" << "b" << "" << QPoint(1, 2)
        << QPoint(4, 0);
    QTest::newRow("backward whole word: failed last occurrence skips the line")
        << QStringList { "ab", "ab abc" } << "ab" << "bw" << "" << QPoint(6, 1) << QPoint(1, 0);
    QTest::newRow("Latin-1 letters fold") << QStringList { "une \u00e9cole" } << "\u00c9COLE" << ""
                                          << "" << QPoint(1, 0) << QPoint(5, 0);
    QTest::newRow("y with diaeresis folds to a wide capital")
        << QStringList { "abc\u00ff" } << "\u0178" << "" << "" << QPoint(1, 0) << QPoint(4, 0);
    QTest::newRow("wide line") << QStringList { "\u03c9MEGA \u0394" } << "\u03a9mega" << "" << ""
                               << QPoint(1, 0) << QPoint(1, 0);
    QTest::newRow("wide line case sensitive") << QStringList { "\u03c9MEGA \u03a9mega" }
                                              << "\u03a9mega" << "c" << "" << QPoint(1, 0)
                                              << QPoint(7, 0);
    QTest::newRow("pattern longer than the line") << QStringList { "ab" } << "abc" << "" << ""
                                                  << QPoint(1, 0) << QPoint(0, -1);
    QTest::newRow("start line out of range") << QStringList { "ab" } << "ab" << "" << ""
                                             << QPoint(1, 5) << QPoint(0, -1);
    QTest::newRow("negative start") << QStringList { "ab" } << "ab" << "" << "" << QPoint(-3, -2)
                                    << QPoint(1, 0);
}

void tst_FindText::find()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, text);
    QFETCH(QString, flags);
    QFETCH(QString, delimiters);
    QFETCH(QPoint, start);
    QFETCH(QPoint, found);
    TMemoSource s;
    fill(s, lines);
    TSearchOptions o;
    o.TextToFind = text;
    o.CaseSensitive = flags.contains(u'c');
    o.WholeWordsOnly = flags.contains(u'w');
    o.Direction = flags.contains(u'b') ? sdBackward : sdForward;
    TSearchPos pos;
    pos.Index = start.x();
    pos.Line = start.y();
    const bool ok = findText(s, o, pos, TCharSet::delimiters(delimiters));
    QCOMPARE(ok, found.y() >= 0);
    if (ok)
        QCOMPARE(QPoint(pos.Index, pos.Line), found);
    else
        QCOMPARE(QPoint(pos.Index, pos.Line), start); // untouched on failure
}

void tst_FindText::firstSearch_data()
{
    QTest::addColumn<bool>("entireScope");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<QPoint>("found");
    // The caller's position (index 3 of line 1) is ignored only with the entire scope.
    QTest::newRow("entire scope forward") << true << false << QPoint(1, 0);
    QTest::newRow("entire scope backward") << true << true << QPoint(4, 2);
    QTest::newRow("from cursor forward") << false << false << QPoint(4, 1);
    QTest::newRow("from cursor backward") << false << true << QPoint(1, 1);
}

void tst_FindText::firstSearch()
{
    QFETCH(bool, entireScope);
    QFETCH(bool, backward);
    QFETCH(QPoint, found);
    TMemoSource s;
    fill(s, { "ab", "ab ab", "xyzab" });
    TSearchOptions o;
    o.TextToFind = QStringLiteral("ab");
    o.FirstSearch = true;
    o.Origin = entireScope ? soEntireScope : soFromCursor;
    o.Direction = backward ? sdBackward : sdForward;
    TSearchPos pos;
    pos.Index = 3;
    pos.Line = 1;
    QVERIFY(findText(s, o, pos, s.delimiterSet()));
    QCOMPARE(QPoint(pos.Index, pos.Line), found);
    QVERIFY(!o.FirstSearch);
}

void tst_FindText::findNextSelectsMatch()
{
    TMemoSource s;
    fill(s, { "one two one", "one" });
    TSearchOptions& o = searchOptions();
    o = TSearchOptions();
    o.TextToFind = QStringLiteral("ONE");
    o.Direction = sdBackward; // Find Next always searches forward
    QVERIFY(findNext(s));
    // From caret column 0 the search starts at index 1: the match at the caret counts.
    int c1, l1, c2, l2;
    s.getSelection(c1, l1, c2, l2);
    QCOMPARE(s.selectionMode(), smStream);
    QCOMPARE(QRect(QPoint(c1, l1), QPoint(c2, l2)), QRect(QPoint(0, 0), QPoint(3, 0)));
    QCOMPARE(QPoint(s.CaretX(), s.CaretY()), QPoint(3, 0));
    QVERIFY(findNext(s));
    QCOMPARE(QPoint(s.CaretX(), s.CaretY()), QPoint(11, 0));
    QCOMPARE(s.SelText(), QStringLiteral("one"));
    QVERIFY(findNext(s));
    QCOMPARE(QPoint(s.CaretX(), s.CaretY()), QPoint(3, 1));
    QVERIFY(!findNext(s));
    QCOMPARE(QPoint(s.CaretX(), s.CaretY()), QPoint(3, 1));
    o = TSearchOptions();
}

QTEST_GUILESS_MAIN(tst_FindText)
#include "tst_findtext.moc"
