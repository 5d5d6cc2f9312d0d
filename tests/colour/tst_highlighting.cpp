/** @file tst_highlighting.cpp ** The line pass with the rule matcher, against a plain reference. **/
#include "colour/ColorRuleMatcher.h"
#include "colour/TDCParser.h"
#include "colour/TRules.h"
#include "editor/TMemoSource.h"

#include <QRandomGenerator>
#include <QtTest>

#include <sys/mman.h>
#include <unistd.h>

namespace {

/// A line in the storage's own layout: one byte per character while all are Latin-1.
struct StoredLine {
    explicit StoredLine(const QString& text, bool forceWide = false) : m_text(text)
    {
        bool narrow = !forceWide;
        for (QChar c : text)
            narrow = narrow && c.unicode() < 256;
        if (narrow)
            m_latin1 = text.toLatin1();
    }
    LineText view() const
    {
        if (m_text.isEmpty())
            return LineText();
        if (!m_latin1.isEmpty())
            return LineText(m_latin1.constData(), m_latin1.size());
        return LineText(reinterpret_cast<const char16_t*>(m_text.utf16()), m_text.size());
    }
    QString m_text;
    QByteArray m_latin1;
};

/// "open|close|style" per rule.
void setRules(TRules& rules, const QStringList& lines)
{
    rules.clear();
    for (const QString& line : lines) {
        const QStringList parts = line.split(u'|');
        rules.add().setValues(QStringLiteral("r"), parts.at(0), parts.at(2).toInt(), parts.at(1));
    }
}

/// One character per colour byte: the digit for 0 to 9, '.' for 255 (no rule), else '?'.
QString picture(const QByteArray& colors)
{
    QString out;
    for (char c : colors) {
        const auto v = static_cast<unsigned char>(c);
        out += v < 10 ? QChar(u'0' + v) : v == 255 ? QChar(u'.') : QChar(u'?');
    }
    return out;
}

struct Pass {
    QByteArray colors;
    int32_t endState;
};

Pass runPass(TDCParser& parser, const QString& text, int32_t initState, bool forceWide = false)
{
    StoredLine line(text, forceWide);
    QByteArray colors(text.size(), '\0');
    const int32_t end = parser.parseLine(line.view(), initState,
                                         reinterpret_cast<uint8_t*>(colors.data()));
    return { colors, end };
}

/// The characters of `line` from `at`, as many as `text` has (fewer at the line's end), equal
/// to `text` once ASCII capitals are lowered.
bool standsAt(const QString& line, qsizetype at, const QString& text)
{
    if (line.size() - at < text.size())
        return false;
    for (qsizetype k = 0; k < text.size(); ++k) {
        char16_t c = line.at(at + k).unicode();
        if (c >= u'A' && c <= u'Z')
            c += 32;
        if (c != text.at(k).unicode())
            return false;
    }
    return true;
}

/// The matcher and line pass written out plainly, rule by rule at every position.
Pass referencePass(const QString& line, int32_t initState, const TRules& rules)
{
    QByteArray colors(line.size(), '\0');
    if (line.isEmpty())
        return { colors, initState };
    int32_t state = initState;
    qsizetype pos = 0;
    while (pos < line.size()) {
        if (state != 0 && state != 10) {
            ++pos;
            continue;
        }
        const qsizetype p = pos;
        const TRule* found = nullptr;
        for (qsizetype i = 0; i < rules.count() && !found; ++i) {
            const TRule& r = rules.at(i);
            if (!r.OpenTag().isEmpty() && standsAt(line, p, r.OpenTag()))
                found = &r;
        }
        int32_t token;
        if (!found) {
            pos = p + 1;
            state = 0;
            token = 0x7FFFFFFF;
        } else if (found->CloseTag().isEmpty()) {
            pos = p + found->OpenTag().size();
            state = 0;
            token = found->StyleIndex();
        } else {
            const QString& close = found->CloseTag();
            qsizetype q = p;
            while (q < line.size() && !standsAt(line, q, close))
                ++q;
            pos = q < line.size() ? q + close.size() : line.size();
            state = q < line.size() ? 0 : 10;
            token = found->StyleIndex();
        }
        if (token == 0)
            break;
        if (token != -1) {
            for (qsizetype i = p; i < pos; ++i)
                colors[i] = char(token & 0xFF);
        }
    }
    return { colors, state };
}

} // namespace

class tst_Highlighting : public QObject
{
    Q_OBJECT

private slots:
    void singleLine_data();
    void singleLine();
    void stateCarriesOverEmptyLines();
    void rulesChangedAfterFirstParse();
    void hugeRuleDoesNotHang();
    void matchesReferenceOnRandomLines_data();
    void matchesReferenceOnRandomLines();
    void linesEndingAtAnUnreadablePage();
    void handlerBesideTheMatcherIsStillCalled_data();
    void handlerBesideTheMatcherIsStillCalled();
    void handlerThatDoesNotConsumeStillProgresses();
    void onlyRegisteredCharactersAndStatesCallTheHandler();
    void longLineColouredPieceByPiece_data();
    void longLineColouredPieceByPiece();
};

namespace {
/// Takes one character; registered beside the matcher, it stops the matcher handling its
/// state alone.
int32_t takeOneAsSix(void* calls, TDCParser& parser)
{
    if (calls)
        ++*static_cast<int*>(calls);
    parser.setPosition(parser.position() + 1);
    parser.setState(0);
    return 6;
}
} // namespace

void tst_Highlighting::singleLine_data()
{
    QTest::addColumn<QStringList>("rules");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("initState");
    QTest::addColumn<QString>("colors");
    QTest::addColumn<int>("endState");

    const QStringList tagThenComment{ QStringLiteral("<|>|3"), QStringLiteral("<!--|-->|4") };
    const QStringList commentThenTag{ QStringLiteral("<!--|-->|4"), QStringLiteral("<|>|3") };
    QTest::newRow("first rule wins over a longer later one")
        << QStringList{ QStringLiteral("<||1"), QStringLiteral("<!--||2") }
        << QStringLiteral("<!--") << 0 << QStringLiteral("1...") << 0;
    QTest::newRow("tag rule first: comment coloured to its first >")
        << tagThenComment << QStringLiteral("<!--a>b-->") << 0 << QStringLiteral("333333....")
        << 0;
    QTest::newRow("comment rule first: whole comment")
        << commentThenTag << QStringLiteral("<!--a>b-->") << 0 << QStringLiteral("4444444444")
        << 0;
    QTest::newRow("unclosed span runs to the end in state 10")
        << commentThenTag << QStringLiteral("x<!--a") << 0 << QStringLiteral(".44444") << 10;
    QTest::newRow("closing text equal to opening text colours the opening only")
        << QStringList{ QStringLiteral("\"|\"|5") } << QStringLiteral("a\"b\"c") << 0
        << QStringLiteral(".5.5.") << 0;
    QTest::newRow("closing text searched from the opening text itself")
        << QStringList{ QStringLiteral("<!--|<|6") } << QStringLiteral("<!--x") << 0
        << QStringLiteral("6....") << 0;
    QTest::newRow("style 0 ends the pass")
        << QStringList{ QStringLiteral("<|>|0"), QStringLiteral("b||7") }
        << QStringLiteral("b<x>b") << 0 << QStringLiteral("70000") << 0;
    QTest::newRow("style 0 ends the pass in the state it set")
        << QStringList{ QStringLiteral("<|>|0"), QStringLiteral("b||7") }
        << QStringLiteral("b<xb") << 0 << QStringLiteral("7000") << 10;
    QTest::newRow("style -1 leaves its span unwritten and goes on")
        << QStringList{ QStringLiteral("<|>|-1"), QStringLiteral("b||7") }
        << QStringLiteral("b<b>b") << 0 << QStringLiteral("70007") << 0;
    QTest::newRow("only the low byte of the style is written")
        << QStringList{ QStringLiteral("x||257"), QStringLiteral("y||2") }
        << QStringLiteral("xy") << 0 << QStringLiteral("12") << 0;
    QTest::newRow("ASCII capitals in the line match")
        << QStringList{ QStringLiteral("<SCRIPT|</Script>|6") }
        << QStringLiteral("<sCrIpT>x</SCRIPT>") << 0 << QStringLiteral("666666666666666666")
        << 0;
    QTest::newRow("non-ASCII capitals do not fold")
        << QStringList{ QStringLiteral("\u00e9||3") } << QStringLiteral("\u00c9\u00e9") << 0
        << QStringLiteral(".3") << 0;
    QTest::newRow("rule written with a non-ASCII capital matches only that capital")
        << QStringList{ QStringLiteral("\u00c9||3") } << QStringLiteral("\u00c9\u00e9") << 0
        << QStringLiteral("3.") << 0;
    QTest::newRow("opening text longer than the rest of the line")
        << QStringList{ QStringLiteral("<!--||4") } << QStringLiteral("a<!-") << 0
        << QStringLiteral("....") << 0;
    QTest::newRow("characters above Latin-1")
        << QStringList{ QStringLiteral("\u201c|\u201d|2") }
        << QStringLiteral("a\u201cb\u201dc\u201c") << 0 << QStringLiteral(".222.2") << 10;
    QTest::newRow("long opening found where it overlaps an earlier place")
        << QStringList{ QStringLiteral("z|b|1"), QStringLiteral("ab").repeated(17) + QStringLiteral("||2") }
        << QStringLiteral("Z") + QStringLiteral("ab").repeated(18) << 0
        << QStringLiteral("111") + QString(34, u'2') << 0;
    QTest::newRow("empty opening text never matches")
        << QStringList{ QStringLiteral("||9"), QStringLiteral("|b|8"), QStringLiteral("a||1") }
        << QStringLiteral("ab") << 0 << QStringLiteral("1.") << 0;
    QTest::newRow("opening text with a line break never matches")
        << QStringList{ QStringLiteral("a\nb||9") } << QStringLiteral("ab") << 0
        << QStringLiteral("..") << 0;
    QTest::newRow("state 10 does not change how a line is coloured")
        << commentThenTag << QStringLiteral("b-->") << 10 << QStringLiteral("....") << 0;
    QTest::newRow("empty line keeps its starting state")
        << commentThenTag << QString() << 10 << QString() << 10;
}

void tst_Highlighting::singleLine()
{
    QFETCH(QStringList, rules);
    QFETCH(QString, line);
    QFETCH(int, initState);
    QFETCH(QString, colors);
    QFETCH(int, endState);

    TRules ruleSet;
    setRules(ruleSet, rules);
    TDCParser parser;
    ColorRuleMatcher matcher(parser, ruleSet);
    for (bool wide : { false, true }) {
        const Pass pass = runPass(parser, line, initState, wide);
        QCOMPARE(picture(pass.colors), colors);
        QCOMPARE(pass.endState, endState);
    }
}

void tst_Highlighting::stateCarriesOverEmptyLines()
{
    TRules rules;
    setRules(rules, { QStringLiteral("<!--|-->|4") });
    TDCParser parser;
    ColorRuleMatcher matcher(parser, rules);
    const TOnParseSyntaxEvent event = parser.parseSyntaxEvent();

    const QStringList lines{ QStringLiteral("<!-- a"), QString(), QStringLiteral("b -->") };
    int32_t state = 0;
    QList<int32_t> ends;
    QStringList pictures;
    for (const QString& text : lines) {
        StoredLine line(text);
        QByteArray colors(text.size(), '\0');
        state = event(line.view(), state, reinterpret_cast<uint8_t*>(colors.data()));
        ends << state;
        pictures << picture(colors);
    }
    QCOMPARE(ends, (QList<int32_t>{ 10, 10, 0 }));
    // The comment's colouring stops at its line's end; the closing line starts afresh.
    QCOMPARE(pictures, (QStringList{ QStringLiteral("444444"), QString(),
                                     QStringLiteral(".....") }));
}

void tst_Highlighting::rulesChangedAfterFirstParse()
{
    TRules rules;
    setRules(rules, { QStringLiteral("a||1") });
    TDCParser parser;
    ColorRuleMatcher matcher(parser, rules);
    QCOMPARE(picture(runPass(parser, QStringLiteral("ab"), 0).colors), QStringLiteral("1."));

    rules[0].setValues(QStringLiteral("r"), QStringLiteral("b"), 2, QString());
    QCOMPARE(picture(runPass(parser, QStringLiteral("ab"), 0).colors), QStringLiteral(".2"));
    rules.add().setValues(QStringLiteral("r"), QStringLiteral("A"), 3, QString());
    QCOMPARE(picture(runPass(parser, QStringLiteral("ab"), 0).colors), QStringLiteral("32"));
    rules.remove(0);
    QCOMPARE(picture(runPass(parser, QStringLiteral("ab"), 0).colors), QStringLiteral("3."));
}

void tst_Highlighting::hugeRuleDoesNotHang()
{
    const QString huge(100000, u'x');
    TRules rules;
    rules.add().setValues(QStringLiteral("big"), huge, 1, huge);
    TDCParser parser;
    ColorRuleMatcher matcher(parser, rules);
    const QString line = QString(99999, u'X') + u'<';
    const Pass miss = runPass(parser, line, 0);
    QCOMPARE(miss.colors, QByteArray(line.size(), char(255)));
    const Pass hit = runPass(parser, huge, 0);
    QCOMPARE(hit.colors, QByteArray(huge.size(), char(1)));

    // Near misses at every position: comparing the whole opening or closing text at each one
    // would take length x line steps.
    const QString nearly = QString(50000, u'x') + u'y';
    rules.clear();
    rules.add().setValues(QStringLiteral("open"), nearly, 2, QString());
    rules.add().setValues(QStringLiteral("close"), QStringLiteral("<"), 3, nearly);
    const QString line2 = QString(150000, u'X') + u'y' + u'<' + QString(150000, u'x') + u'y';
    const Pass both = runPass(parser, line2, 0);
    QCOMPARE(both.colors, QByteArray(100000, char(255)) + QByteArray(50001, char(2))
                 + QByteArray(150002, char(3)));
    QCOMPARE(both.endState, 0);
}

void tst_Highlighting::matchesReferenceOnRandomLines_data()
{
    QTest::addColumn<QString>("alphabet");
    QTest::addColumn<QString>("ruleAlphabet");
    QTest::addColumn<int>("maxOpen");
    QTest::addColumn<int>("maxLine");

    // Few characters, so that openings, closings and case variants collide often.
    const QString mixed = QStringLiteral("<>!-\"aAbB&;\u00e9\u00c9 \u201c\u201d");
    QTest::newRow("short rules, mixed characters") << mixed << mixed << 3 << 40;
    // Openings long enough to take the once-per-line search.
    QTest::newRow("long rules, two letters")
        << QStringLiteral("aAb") << QStringLiteral("aAb") << 40 << 160;
    // Long runs where no rule starts and spans many blocks of 16 long, around few places
    // where rules start or close.
    QTest::newRow("long lines, rules start rarely")
        << QString(40, u'x') + QStringLiteral("  <>&;-aA\u00e9") << QStringLiteral("<>&;-aA")
        << 3 << 300;
}

void tst_Highlighting::matchesReferenceOnRandomLines()
{
    QFETCH(QString, alphabet);
    QFETCH(QString, ruleAlphabet);
    QFETCH(int, maxOpen);
    QFETCH(int, maxLine);
    QRandomGenerator random(20261210);
    const auto text = [&](const QString& from, int minLength, int maxLength) {
        QString s;
        const int length = minLength + random.bounded(maxLength - minLength + 1);
        for (int i = 0; i < length; ++i)
            s += from.at(random.bounded(from.size()));
        return s;
    };
    const int styles[] = { -1, 0, 1, 2, 3, 7, 255, 300 };

    // The matcher alone in both states colours whole lines itself; beside another handler
    // (for a character no line holds) it must go token by token in that state.
    TRules rules;
    TDCParser alone;
    ColorRuleMatcher matcherAlone(alone, rules);
    TDCParser besideIn0;
    ColorRuleMatcher matcherBesideIn0(besideIn0, rules);
    besideIn0.registerHandler({ 0 }, &takeOneAsSix, nullptr, TDCParser::TCharSet::of(u"\u0001"));
    TDCParser besideIn10;
    ColorRuleMatcher matcherBesideIn10(besideIn10, rules);
    besideIn10.registerHandler({ ColorRuleMatcher::kOpenSpanState }, &takeOneAsSix, nullptr,
                               TDCParser::TCharSet::of(u"\u0001"));
    const std::pair<const char*, TDCParser*> parsers[]
        = { { "alone", &alone }, { "beside in 0", &besideIn0 }, { "beside in 10", &besideIn10 } };

    for (int set = 0; set < 300; ++set) {
        rules.clear();
        const int ruleCount = random.bounded(12);
        for (int r = 0; r < ruleCount; ++r)
            rules.add().setValues(QStringLiteral("r"), text(ruleAlphabet, maxOpen / 2, maxOpen),
                                  styles[random.bounded(8)],
                                  random.bounded(2) ? text(ruleAlphabet, 0, maxOpen) : QString());
        for (int l = 0; l < 40; ++l) {
            const QString line = text(alphabet, 0, maxLine);
            const int32_t init = random.bounded(2) ? 10 : 0;
            const Pass expected = referencePass(line, init, rules);
            for (const auto& [name, parser] : parsers) {
                for (bool wide : { false, true }) {
                    const Pass actual = runPass(*parser, line, init, wide);
                    if (actual.colors == expected.colors && actual.endState == expected.endState)
                        continue;
                    QString ruleList;
                    for (qsizetype i = 0; i < rules.count(); ++i)
                        ruleList += rules.at(i).OpenTag() + u'|' + rules.at(i).CloseTag() + u'|'
                            + QString::number(rules.at(i).StyleIndex()) + u' ';
                    QFAIL(qPrintable(
                        QStringLiteral("%1%2: line [%3] rules [%4]: %5/%6 expected %7/%8")
                            .arg(QLatin1String(name), wide ? QStringLiteral(", wide") : QString(),
                                 line, ruleList, QString::fromLatin1(actual.colors.toHex()))
                            .arg(actual.endState)
                            .arg(QString::fromLatin1(expected.colors.toHex()))
                            .arg(expected.endState)));
                }
            }
        }
    }
}

void tst_Highlighting::linesEndingAtAnUnreadablePage()
{
    // Lines whose last byte is the last readable one, and lines that start a page: looking
    // at many characters at once must never read into the page after the line, nor before it.
    const auto pageSize = size_t(sysconf(_SC_PAGESIZE));
    void* map = mmap(nullptr, 3 * pageSize, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    QVERIFY(map != MAP_FAILED);
    auto* bytes = static_cast<char*>(map);
    QCOMPARE(mprotect(bytes, pageSize, PROT_NONE), 0);
    QCOMPARE(mprotect(bytes + 2 * pageSize, pageSize, PROT_NONE), 0);
    char* const pageStart = bytes + pageSize;
    char* const pageEnd = bytes + 2 * pageSize;

    TRules rules;
    setRules(rules, { QStringLiteral("<!--|-->|5"), QStringLiteral("<|>|3"),
                      QStringLiteral("&amp;||7") });
    TDCParser parser;
    ColorRuleMatcher matcher(parser, rules);
    const QByteArray pattern = QByteArrayLiteral("ab <x> &amp; <!-- c --> <open");
    for (qsizetype size = 1; size <= 70; ++size) {
        QByteArray text;
        while (text.size() < size)
            text += pattern;
        text.truncate(size);
        const Pass expected = referencePass(QString::fromLatin1(text), 0, rules);
        for (char* at : { pageEnd - size, pageStart }) {
            std::memcpy(at, text.constData(), size_t(size));
            QByteArray colors(size, '\0');
            const int32_t end = parser.parseLine(LineText(at, size), 0,
                                                 reinterpret_cast<uint8_t*>(colors.data()));
            QCOMPARE(picture(colors), picture(expected.colors));
            QCOMPARE(end, expected.endState);
        }
    }
    munmap(map, 3 * pageSize);
}

void tst_Highlighting::handlerBesideTheMatcherIsStillCalled_data()
{
    QTest::addColumn<int>("initState");
    QTest::addColumn<QString>("colors");
    QTest::addColumn<int>("calls");

    QTest::newRow("from state 0") << 0 << QStringLiteral(".6333..6") << 2;
    // State 10 is still the matcher's alone: it colours on from there until the handler's
    // state 0 comes back.
    QTest::newRow("from state 10") << 10 << QStringLiteral(".6333..6") << 2;
}

void tst_Highlighting::handlerBesideTheMatcherIsStillCalled()
{
    QFETCH(int, initState);
    QFETCH(QString, colors);
    QFETCH(int, calls);

    TRules rules;
    setRules(rules, { QStringLiteral("<|>|3") });
    TDCParser parser;
    ColorRuleMatcher matcher(parser, rules);
    int called = 0;
    parser.registerHandler({ 0 }, &takeOneAsSix, &called, TDCParser::TCharSet::of(u"x"));
    // The 'x' after 'a' and the last one are the handler's; the one inside the tag is not,
    // as the tag's span takes it.
    const Pass pass = runPass(parser, QStringLiteral("ax<x>yax"), initState);
    QCOMPARE(picture(pass.colors), colors);
    QCOMPARE(pass.endState, 0);
    QCOMPARE(called, calls);
}

namespace {
int32_t standStill(void*, TDCParser&)
{
    return 4;
}
int32_t takeOne(void* calls, TDCParser& parser)
{
    ++*static_cast<int*>(calls);
    parser.setPosition(parser.position() + 1);
    parser.setState(parser.line().at(parser.tokenStart()) == u'a' ? 7 : 0);
    return 1;
}
} // namespace

void tst_Highlighting::handlerThatDoesNotConsumeStillProgresses()
{
    TDCParser parser;
    parser.registerHandler({ 0 }, &standStill, nullptr, TDCParser::TCharSet::all());
    QCOMPARE(picture(runPass(parser, QStringLiteral("abc"), 0).colors), QStringLiteral("444"));
}

void tst_Highlighting::onlyRegisteredCharactersAndStatesCallTheHandler()
{
    TDCParser parser;
    int calls = 0;
    // State 2 gets a table too (every state up to the highest), but no entries.
    parser.registerHandler({ 0, 3 }, &takeOne, &calls, TDCParser::TCharSet::of(u"ab"));
    const Pass pass = runPass(parser, QStringLiteral("xbxax b"), 0);
    // After 'a' the state is 7, which has no table: the rest is passed over.
    QCOMPARE(picture(pass.colors), QStringLiteral("01010" "00"));
    QCOMPARE(pass.endState, 7);
    QCOMPARE(calls, 2);
    QCOMPARE(picture(runPass(parser, QStringLiteral("bb"), 2).colors), QStringLiteral("00"));
    QCOMPARE(picture(runPass(parser, QStringLiteral("bb"), -5).colors), QStringLiteral("00"));
}

void tst_Highlighting::longLineColouredPieceByPiece_data()
{
    QTest::addColumn<QStringList>("ruleLines");
    QTest::addColumn<QString>("piece");
    QTest::newRow("tags, entities, comments")
        << QStringList { QStringLiteral("<!--|-->|4"), QStringLiteral("<|>|3"),
                         QStringLiteral("&|;|2"), QStringLiteral("\"|\"|1") }
        << QStringLiteral("<td class=\"c\">text &amp; <!-- note --> more</td> ");
    // Spans longer than the stretches the storage parses at once, one never closed.
    QTest::newRow("long spans")
        << QStringList { QStringLiteral("[|]|5"), QStringLiteral("{|}|0"), QStringLiteral("(||6") }
        << QStringLiteral("[") + QString(3000, u'x') + QStringLiteral("] (a) ")
            + QString(500, u'y');
}

void tst_Highlighting::longLineColouredPieceByPiece()
{
    // The storage colours a long line from stops an earlier pass left, and only as far as
    // asked; after edits anywhere, every byte it hands out must be what a pass over the
    // whole line gives, and so must the line's end state.
    QFETCH(QStringList, ruleLines);
    QFETCH(QString, piece);
    TRules rules;
    setRules(rules, ruleLines);
    TDCParser parser;
    ColorRuleMatcher matcher(parser, rules);
    TDCParser reference;
    ColorRuleMatcher referenceMatcher(reference, rules);

    TMemoSource source;
    source.setText(QStringLiteral("before <b>\n") + piece.repeated(int(200000 / piece.size()))
                   + QStringLiteral("{ open\nafter"));
    source.setOnParseSyntax(parser.parseSyntaxEvent());
    source.setOnParseSyntaxFrom(parser.parseSyntaxFromEvent());
    QRandomGenerator random(20261211);
    const QString typed = QStringLiteral("<>&;\"[](x-!");
    for (int step = 0; step < 60; ++step) {
        const int length = source.lineLength(1);
        const int to = random.bounded(length + 1);
        const uint8_t* colours = source.colorData(1, to);
        QVERIFY(colours);
        const Pass whole = runPass(reference, source.line(1), source.lineEndState(0));
        for (int i = 0; i < to; ++i)
            if (colours[i] != uint8_t(whole.colors.at(i)))
                QFAIL(qPrintable(QStringLiteral("step %1: column %2 of %3 differs")
                                     .arg(step).arg(i).arg(to)));
        if (step % 10 == 0)
            QCOMPARE(source.lineEndState(1), whole.endState);
        source.setCaret(random.bounded(length), 1);
        if (random.bounded(3) == 0)
            source.keyBackspace();
        else
            source.keyChar(typed.at(random.bounded(typed.size())));
    }
    const Pass whole = runPass(reference, source.line(1), source.lineEndState(0));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(source.colorData(1)), source.lineLength(1)),
             whole.colors);
    QCOMPARE(source.lineEndState(1), whole.endState);
}

QTEST_GUILESS_MAIN(tst_Highlighting)
#include "tst_highlighting.moc"
