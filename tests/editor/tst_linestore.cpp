/** @file tst_linestore.cpp ** Line records and their arena: memory comes back as lines move. **/
#include "editor/TLineStore.h"

#include <QTest>

#include <vector>

class tst_LineStore : public QObject
{
    Q_OBJECT

private slots:
    void rewriteReusesMemory();
    void bigLineHasItsOwnBlock();
    void spansShareBlocksAndGoBack();
    void wideAndNarrowStorage();
    void colourGoesWithText();
    void longLineEditsInItsGap();
};

void tst_LineStore::rewriteReusesMemory()
{
    TLineStore s;
    const QByteArray text(60, 'x');
    for (int i = 0; i < 200000; ++i)
        s.appendLatin1(text.constData(), text.size() - (i % 7));
    const size_t before = s.mappedBytes();
    QVERIFY(before >= size_t(11) << 20);
    // Moving every line, in order, into longer text (as expandTabs does) lets old blocks go
    // as they drain: the arena holds about one copy, not two.
    s.closeArenaBlock();
    const QByteArray longer(66, 'y');
    for (qsizetype i = 0; i < s.count(); ++i)
        s.setLatin1(i, longer.constData(), longer.size());
    const size_t after = s.mappedBytes();
    QVERIFY2(after < before * 12 / 10 + (size_t(4) << 20),
             qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
    QCOMPARE(s.string(199999), QString::fromLatin1(longer));
}

void tst_LineStore::bigLineHasItsOwnBlock()
{
    TLineStore s;
    s.insertEmpty(0, 2);
    s.set(0, QStringLiteral("small"));
    const size_t small = s.mappedBytes();
    const QByteArray big(3 << 20, 'b');
    s.setLatin1(1, big.constData(), big.size());
    QVERIFY(s.mappedBytes() >= small + big.size());
    s.set(1, QStringLiteral("short again"));
    QCOMPARE(s.mappedBytes(), small); // the big line's block went at once
    QCOMPARE(s.string(0), QStringLiteral("small"));
    QCOMPARE(s.string(1), QStringLiteral("short again"));
}

void tst_LineStore::spansShareBlocksAndGoBack()
{
    // The file reader stores the lines of one read with one copy; every line still gives its
    // part back on its own, so the blocks go once all their lines have moved.
    TLineStore s;
    QByteArray buffer;
    std::vector<TLineSpan> spans;
    QStringList expected;
    for (int read = 0; read < 40; ++read) {
        buffer.clear();
        spans.clear();
        for (int i = 0; i < 5000; ++i) {
            const int size = (read * 7 + i) % 90; // 0: an empty line
            spans.push_back(TLineSpan { uint32_t(buffer.size()), uint32_t(size) });
            const QByteArray text = QByteArray::number(read * 5000 + i).leftJustified(size, '.', true);
            buffer += text + "\r\n";
            expected << QString::fromLatin1(text);
        }
        s.appendLatin1Spans(buffer.constData(), spans.data(), qsizetype(spans.size()));
    }
    QCOMPARE(s.count(), expected.size());
    for (qsizetype i = 0; i < s.count(); i += 997)
        QCOMPARE(s.string(i), expected[i]);
    QCOMPARE(s.string(s.count() - 1), expected.last());
    const size_t loaded = s.mappedBytes();
    QVERIFY(loaded >= size_t(8) << 20);
    s.closeArenaBlock();
    for (qsizetype i = 0; i < s.count(); ++i)
        s.setLatin1(i, "moved", 5);
    // What is left: the block of the moved text and the two kept for reuse.
    QVERIFY2(s.mappedBytes() <= 3 * TLineArena::kBlockSize,
             qPrintable(QStringLiteral("%1 -> %2").arg(loaded).arg(s.mappedBytes())));
    QCOMPARE(s.string(123456), QStringLiteral("moved"));
}

void tst_LineStore::wideAndNarrowStorage()
{
    TLineStore s;
    s.insertEmpty(0, 3);
    s.set(0, QStringLiteral("caf\u00e9  "));
    s.set(1, QStringLiteral("\u20ac\t"));
    s.set(2, QStringLiteral(" \t\r"));
    QVERIFY(!s.text(0).isWide());
    QCOMPARE(s.text(0).size(), 4);
    QVERIFY(s.text(1).isWide());
    QCOMPARE(s.string(1), QStringLiteral("\u20ac"));
    QVERIFY(s.text(2).isEmpty());
    QVERIFY(!s.text(2).latin1() && !s.text(2).utf16());
    s.set(1, QStringLiteral("now narrow"));
    QVERIFY(!s.text(1).isWide());
}

void tst_LineStore::colourGoesWithText()
{
    TLineStore s;
    s.insertEmpty(0, 2);
    s.set(0, QStringLiteral("abc"));
    QVERIFY(!s.colour(0));
    uint8_t* c = s.ensureColour(0);
    QVERIFY(c);
    QCOMPARE(s.ensureColour(0), c);
    QVERIFY(!s.ensureColour(1)); // an empty line has no colour bytes
    s.rec(0).bits |= TLineRec::kReadOnly;
    s.set(0, QStringLiteral("abcd"));
    QVERIFY(!s.colour(0)); // new text, stale colours dropped
    QVERIFY(s.rec(0).readOnly()); // the mark stays with the line
    s.ensureColour(0);
    s.remove(0, 1);
    QCOMPARE(s.count(), 1);
}

void tst_LineStore::longLineEditsInItsGap()
{
    // Random edits of a long line (and now and then of a short one beside it, which takes
    // the gap's place) against a plain copy; every way of reading the line must agree.
    TLineStore s;
    s.insertEmpty(0, 2);
    QByteArray model(TLineStore::kGapLine + 1000, 'a');
    for (qsizetype i = 0; i < model.size(); ++i)
        model[i] = char('a' + i % 26);
    s.setLatin1(0, model.constData(), model.size());
    s.setLatin1(1, "short", 5);
    uint32_t seed = 7;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    for (int step = 0; step < 400; ++step) {
        const qsizetype at = next(uint32_t(model.size()));
        if (next(3) == 0) {
            const qsizetype n = std::min<qsizetype>(1 + next(300), model.size() - at);
            s.removeLatin1(0, at, n);
            model.remove(at, n);
            if (at == model.size())
                model.truncate(trimmedLength(model.constData(), model.size()));
        } else {
            const QByteArray add = step % 50 == 0 ? QByteArray(70000, 'z') : QByteArray("xy");
            s.insertLatin1(0, at, add.constData(), add.size());
            model.insert(at, add);
        }
        if (step % 37 == 0)
            s.insertLatin1(1, 0, "q", 1);
        const LineText v = s.view(0);
        QCOMPARE(v.size(), model.size());
        for (qsizetype k : { qsizetype(0), at - 1, at, model.size() / 2, model.size() - 1 })
            if (k >= 0 && k < model.size())
                QCOMPARE(char(v.at(k)), model.at(k));
        if (step % 20 == 0) {
            const qsizetype from = next(uint32_t(model.size() - 100));
            const LineText piece = s.stretch(0, from, from + 100);
            QCOMPARE(QByteArray(piece.latin1(), 100), model.mid(from, 100));
            QCOMPARE(s.string(0), QString::fromLatin1(model));
            const LineText whole = s.text(0); // closes the gap
            QVERIFY(!whole.hasGap());
            QCOMPARE(s.charCount(), model.size() + s.rec(1).size());
            QCOMPARE(QByteArray(whole.latin1(), whole.size()), model);
        }
    }
    // A cut at the end takes the blanks it leaves, in the gap as outside it.
    const QByteArray tail("end   tail");
    s.insertLatin1(0, model.size(), tail.constData(), tail.size());
    s.removeLatin1(0, model.size() + 3, tail.size() - 3);
    QCOMPARE(s.string(0), QString::fromLatin1(model + "end"));
    QCOMPARE(s.string(1).count(u'q'), 11);
    QCOMPARE(s.charCount(), model.size() + 3 + 16);
    s.remove(0, 1);
    QCOMPARE(s.charCount(), 16);
}

QTEST_GUILESS_MAIN(tst_LineStore)
#include "tst_linestore.moc"
