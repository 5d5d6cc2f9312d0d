/** @file tst_findtext.cpp ** The line search and Find Next. **/
#include "editor/TMemoSource.h"
#include "editor/TSearchOptions.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
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
    void sameAsLineByLine();
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

namespace {
/// The search as written: line by line, the first occurrence of each line decides.
TSearchPos referenceFind(const QStringList& lines, const QString& text, bool caseSensitive,
                         bool wholeWords, const TCharSet& delimiters, TSearchPos from)
{
    const auto fold = [caseSensitive](QChar c) {
        return caseSensitive ? c.unicode() : searchUpper(c.unicode());
    };
    for (int l = std::max(from.Line, 0); l < lines.size(); ++l) {
        const QString& line = lines[l];
        const int startAt = l == from.Line ? std::max(from.Index, 1) - 1 : 0;
        for (int i = startAt; i + text.size() <= line.size(); ++i) {
            bool same = true;
            for (int k = 0; same && k < text.size(); ++k)
                same = fold(line[i + k]) == fold(text[k]);
            if (!same)
                continue;
            int a = i, b = i + int(text.size());
            while (a > 0 && !delimiters.contains(line[a - 1].unicode()))
                --a;
            while (b < line.size() && !delimiters.contains(line[b].unicode()))
                ++b;
            if (!wholeWords || b - a == text.size())
                return TSearchPos { i + 1, l };
            break;
        }
    }
    return TSearchPos { 0, -1 };
}
} // namespace

void tst_FindText::sameAsLineByLine()
{
    // A page read from a file has its lines one after another in memory, and the search scans
    // such runs as one piece: matches must never run across a line end, and edited lines,
    // empty lines and wide lines must break the runs without losing anything.
    QTemporaryDir dir;
    QRandomGenerator random(20261210);
    const QString alphabet = QStringLiteral("aAbB .\u00e9\u00c9");
    const TCharSet delimiters = TCharSet::delimiters(QStringLiteral("."));
    for (int round = 0; round < 200; ++round) {
        QStringList lines;
        const int lineCount = 1 + random.bounded(12);
        for (int l = 0; l < lineCount; ++l) {
            QString line;
            const int length = random.bounded(8);
            for (int c = 0; c < length; ++c)
                line += alphabet[random.bounded(alphabet.size())];
            if (random.bounded(10) == 0)
                line += QStringLiteral("\u20ac"); // a wide line
            while (line.endsWith(u' '))
                line.chop(1);
            lines << line;
        }
        const QString path = dir.filePath(QStringLiteral("runs.txt"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        // Blanks after the text and CR LF breaks lie between the lines in memory.
        QString written;
        for (const QString& line : std::as_const(lines))
            written += line + QString(random.bounded(3), u' ') + (random.bounded(2) ? u"\r\n" : u"\n");
        f.write(written.toUtf8());
        f.close();
        TMemoSource s;
        QVERIFY(s.loadFile(path));
        if (random.bounded(3) == 0) {
            // Edit a line so that its text moves away from its neighbours.
            const int l = random.bounded(lineCount);
            s.setCaret(0, l);
            s.keyChar(u'b');
            lines[l].prepend(u'b');
        }
        QCOMPARE(s.lineCount(), lines.size());
        QString text;
        const int textLength = 1 + random.bounded(3);
        for (int c = 0; c < textLength; ++c)
            text += alphabet[random.bounded(5)]; // letters, blank and "."
        for (int flags = 0; flags < 4; ++flags) {
            TSearchOptions o;
            o.TextToFind = text;
            o.CaseSensitive = flags & 1;
            o.WholeWordsOnly = flags & 2;
            TSearchPos pos;
            pos.Line = random.bounded(2) ? 0 : random.bounded(lineCount);
            pos.Index = 1 + random.bounded(3);
            const TSearchPos want = referenceFind(lines, text, o.CaseSensitive, o.WholeWordsOnly, delimiters, pos);
            const bool ok = findText(s, o, pos, delimiters);
            const QString what = QStringLiteral("round %1 text '%2' flags %3 lines '%4'")
                                     .arg(round).arg(text).arg(flags).arg(lines.join(u'|'));
            QVERIFY2(ok == (want.Line >= 0), qPrintable(what));
            if (ok)
                QVERIFY2(pos.Index == want.Index && pos.Line == want.Line, qPrintable(what));
        }
    }
}

#include "tst_findtext.moc"
