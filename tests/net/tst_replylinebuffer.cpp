/** @file tst_replylinebuffer.cpp ** Reply lines cut at CR LF however the text arrives, and long
 ** lines kept to a bounded size. **/
#include "net/ReplyLineBuffer.h"

#include <QTest>

using Chunks = QList<QByteArray>;

class TestReplyLineBuffer : public QObject
{
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void longLineKeepsItsStart();
};

void TestReplyLineBuffer::lines_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<Chunks>("lines");
    QTest::addColumn<int>("pending");
    QTest::newRow("one line") << Chunks { "220 Ready.\r\n" } << Chunks { "220 Ready." } << 0;
    QTest::newRow("two in one piece")
        << Chunks { "220-Hi\r\n220 Ready.\r\n" } << Chunks { "220-Hi", "220 Ready." } << 0;
    QTest::newRow("CR and LF apart") << Chunks { "230 In\r", "\n" } << Chunks { "230 In" } << 0;
    QTest::newRow("line in pieces")
        << Chunks { "2", "15 UN", "IX\r\n2" } << Chunks { "215 UNIX" } << 1;
    QTest::newRow("lone LF stays") << Chunks { "250 a\nb\r\n" } << Chunks { "250 a\nb" } << 0;
    QTest::newRow("lone CR stays") << Chunks { "250 a\rb\r\n" } << Chunks { "250 a\rb" } << 0;
    QTest::newRow("empty line") << Chunks { "\r\n" } << Chunks { "" } << 0;
    QTest::newRow("unfinished") << Chunks { "220 Rea" } << Chunks() << 7;
}

void TestReplyLineBuffer::lines()
{
    QFETCH(Chunks, chunks);
    QFETCH(Chunks, lines);
    QFETCH(int, pending);
    ReplyLineBuffer buffer;
    Chunks got;
    for (const QByteArray& chunk : chunks)
        got += buffer.feed(chunk.constData(), int(chunk.size()));
    QCOMPARE(got, lines);
    QCOMPARE(buffer.pendingBytes(), pending);
}

void TestReplyLineBuffer::longLineKeepsItsStart()
{
    const int max = ReplyLineBuffer::kMaxLine;
    // Lengths around the limit, with the CR LF split over two pieces for some.
    for (int length : { max - 1, max, max + 1, max + 2, 100000 }) {
        const QByteArray line = "550 " + QByteArray(length - 4, 'x');
        for (int split : { 0, 1 }) {
            ReplyLineBuffer buffer;
            Chunks got;
            for (qsizetype at = 0; at < line.size(); at += 1000) {
                const QByteArray piece = line.mid(at, 1000);
                got += buffer.feed(piece.constData(), int(piece.size()));
                QVERIFY(buffer.pendingBytes() <= max + 1);
            }
            if (split) {
                got += buffer.feed("\r", 1);
                got += buffer.feed("\n221 Bye\r\n", 10);
            } else {
                got += buffer.feed("\r\n221 Bye\r\n", 11);
            }
            QCOMPARE(got.size(), 2);
            QCOMPARE(got.at(0), line.left(max));
            QCOMPARE(got.at(1), QByteArray("221 Bye"));
            QCOMPARE(buffer.pendingBytes(), 0);
        }
    }
}

QTEST_GUILESS_MAIN(TestReplyLineBuffer)
#include "tst_replylinebuffer.moc"
