/** @file tst_memofiles.cpp ** Loading, saving and tab expansion of the text storage, bad input included. **/
#include "editor/TMemoSource.h"
#include "platform/FullDisk.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

class tst_MemoFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void roundTrip_data();
    void roundTrip();
    void editsTakeTheDocumentsLineEnds_data();
    void editsTakeTheDocumentsLineEnds();
    void newDocumentUsesLF();
    void readBoundaries_data();
    void readBoundaries();
    void sameAsStraightReading();
    void largeFileHalves_data();
    void largeFileHalves();
    void tenMegabyteLine();
    void fixturePage();
    void failedLoadKeepsDocument();
    void failedSaveKeepsOldFile();
    void fullDiskKeepsOldFile_data();
    void fullDiskKeepsOldFile();
    void latin1DocumentWithWideCharacter();
    void loadFileResetsState();
    void expandTabs();

private:
    QString write(const QString& name, const QByteArray& bytes);
    QByteArray read(const QString& name);
    QTemporaryDir m_dir;
};

namespace {
QStringList linesOf(const TMemoSource& s)
{
    QStringList out;
    for (int i = 0; i < s.lineCount(); ++i)
        out << s.line(i);
    return out;
}
} // namespace

QString tst_MemoFiles::write(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray tst_MemoFiles::read(const QString& name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

void tst_MemoFiles::init()
{
    QVERIFY(m_dir.isValid());
}

void tst_MemoFiles::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<int>("lineBreak");
    QTest::addColumn<QByteArray>("saved");
    const QByteArray same; // saved exactly as read
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList { "a", "b" } << int(teUtf8)
                           << int(lbCRLF) << same;
    QTest::newRow("LF") << QByteArray("a\nb\n") << QStringList { "a", "b" } << int(teUtf8)
                        << int(lbLF) << same;
    QTest::newRow("CR only") << QByteArray("a\rb\r\rc") << QStringList { "a", "b", "", "c" }
                             << int(teUtf8) << int(lbCR) << same;
    QTest::newRow("a lone CR") << QByteArray("\r") << QStringList { "" } << int(teUtf8)
                               << int(lbCR) << same;
    QTest::newRow("mixed, CR LF first") << QByteArray("a\r\n\nb\r") << QStringList { "a", "", "b" }
                                        << int(teUtf8) << int(lbCRLF)
                                        << QByteArray("a\r\n\r\nb\r\n");
    QTest::newRow("mixed, LF first") << QByteArray("a\nb\r\nc\rd") << QStringList { "a", "b", "c", "d" }
                                     << int(teUtf8) << int(lbLF) << QByteArray("a\nb\nc\nd");
    QTest::newRow("mixed, CR first") << QByteArray("a\rb\r\nc\n") << QStringList { "a", "b", "c" }
                                     << int(teUtf8) << int(lbCR) << QByteArray("a\rb\rc\r");
    QTest::newRow("no final break") << QByteArray("a\r\nb") << QStringList { "a", "b" }
                                    << int(teUtf8) << int(lbCRLF) << same;
    QTest::newRow("no final break, LF") << QByteArray("a\nb") << QStringList { "a", "b" }
                                        << int(teUtf8) << int(lbLF) << same;
    QTest::newRow("no line end at all") << QByteArray("<p>one line</p>")
                                        << QStringList { "<p>one line</p>" } << int(teUtf8)
                                        << int(lbLF) << same;
    QTest::newRow("empty file") << QByteArray() << QStringList { "" } << int(teUtf8) << int(lbLF)
                                << same;
    QTest::newRow("only a break") << QByteArray("\r\n") << QStringList { "" } << int(teUtf8)
                                  << int(lbCRLF) << same;
    QTest::newRow("only an LF") << QByteArray("\n") << QStringList { "" } << int(teUtf8)
                                << int(lbLF) << same;
    QTest::newRow("trailing blanks dropped") << QByteArray("a \t\r\n  \r\n")
                                             << QStringList { "a", "" } << int(teUtf8)
                                             << int(lbCRLF) << QByteArray("a\r\n\r\n");
    QTest::newRow("trailing blanks dropped, LF") << QByteArray("a \t\n  \n")
                                                 << QStringList { "a", "" } << int(teUtf8)
                                                 << int(lbLF) << QByteArray("a\n\n");
    QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\r\n")
                           << QStringList { QStringLiteral("caf\u00e9 \u20ac \U0001F600") }
                           << int(teUtf8) << int(lbCRLF) << same;
    QTest::newRow("UTF-8, LF") << QByteArray("caf\xc3\xa9\n\xe2\x82\xac\n")
                               << QStringList { QStringLiteral("caf\u00e9"), QStringLiteral("\u20ac") }
                               << int(teUtf8) << int(lbLF) << same;
    QTest::newRow("UTF-8 byte order mark") << QByteArray("\xef\xbb\xbfx\r\n")
                                           << QStringList { QStringLiteral("\ufeffx") }
                                           << int(teUtf8) << int(lbCRLF) << same;
    QTest::newRow("Latin-1") << QByteArray("caf\xe9\r\nna\xefve\r\n")
                             << QStringList { QStringLiteral("caf\u00e9"), QStringLiteral("na\u00efve") }
                             << int(teLatin1) << int(lbCRLF) << same;
    QTest::newRow("Latin-1, LF, no final break")
        << QByteArray("caf\xe9\nna\xefve")
        << QStringList { QStringLiteral("caf\u00e9"), QStringLiteral("na\u00efve") }
        << int(teLatin1) << int(lbLF) << same;
    QTest::newRow("invalid UTF-8 late in the file")
        << QByteArray("\xc3\xa9\r\nok\r\n\xff\xfe\r\n")
        << QStringList { QStringLiteral("\u00c3\u00a9"), "ok", QStringLiteral("\u00ff\u00fe") }
        << int(teLatin1) << int(lbCRLF) << same;
    QTest::newRow("overlong UTF-8 is not UTF-8") << QByteArray("\xc0\xaf\r\n")
                                                 << QStringList { QStringLiteral("\u00c0\u00af") }
                                                 << int(teLatin1) << int(lbCRLF) << same;
    QTest::newRow("encoded surrogate is not UTF-8") << QByteArray("\xed\xa0\x80\r\n")
                                                    << QStringList { QStringLiteral("\u00ed\u00a0\u0080") }
                                                    << int(teLatin1) << int(lbCRLF) << same;
    QTest::newRow("truncated sequence at the end") << QByteArray("ab\xe2\x82")
                                                   << QStringList { QStringLiteral("ab\u00e2\u0082") }
                                                   << int(teLatin1) << int(lbLF) << same;
    QTest::newRow("tabs kept") << QByteArray("\t<p>\n\t\tx\ty\n")
                               << QStringList { "\t<p>", "\t\tx\ty" } << int(teUtf8) << int(lbLF)
                               << same;
    QTest::newRow("NUL bytes") << QByteArray("a\0b\r\n\0\r\n", 8)
                               << QStringList { QString::fromLatin1("a\0b", 3), "" } << int(teUtf8)
                               << int(lbCRLF) << QByteArray("a\0b\r\n\r\n", 7);
}

void tst_MemoFiles::roundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(int, encoding);
    QFETCH(int, lineBreak);
    QFETCH(QByteArray, saved);
    if (saved.isNull())
        saved = bytes;
    const QString in = write(QStringLiteral("in.txt"), bytes);
    TMemoSource s;
    QString error;
    QVERIFY2(s.loadFile(in, &error), qPrintable(error));
    QCOMPARE(linesOf(s), lines);
    QCOMPARE(int(s.encoding()), encoding);
    QCOMPARE(int(s.lineBreak()), lineBreak);
    const QString out = m_dir.filePath(QStringLiteral("out.txt"));
    QVERIFY2(s.saveFile(out, &error), qPrintable(error));
    QCOMPARE(read(out), saved);
}

void tst_MemoFiles::editsTakeTheDocumentsLineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("LF") << QByteArray("<p>\n</p>\n") << QByteArray("<p>\nnew\nlines\n</p>\n");
    QTest::newRow("CR LF") << QByteArray("<p>\r\n</p>\r\n")
                           << QByteArray("<p>\r\nnew\r\nlines\r\n</p>\r\n");
    QTest::newRow("CR") << QByteArray("<p>\r</p>\r") << QByteArray("<p>\rnew\rlines\r</p>\r");
    QTest::newRow("no line end yet") << QByteArray("<p>") << QByteArray("<p>\nnew\nlines");
}

void tst_MemoFiles::editsTakeTheDocumentsLineEnds()
{
    // Text typed or pasted with other line ends takes the document's on saving.
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, saved);
    TMemoSource s;
    QVERIFY(s.loadFile(write(QStringLiteral("edit.html"), bytes)));
    s.setCaret(s.lineLength(0), 0);
    s.insertText(QStringLiteral("\r\nnew\r\nlines"));
    const QString out = m_dir.filePath(QStringLiteral("edited.html"));
    QVERIFY(s.saveFile(out));
    QCOMPARE(read(out), saved);
}

void tst_MemoFiles::newDocumentUsesLF()
{
    TMemoSource s;
    QCOMPARE(s.lineBreak(), lbLF);
    s.insertText(QStringLiteral("<html>\r\n<body>"));
    const QString out = m_dir.filePath(QStringLiteral("new.html"));
    QVERIFY(s.saveFile(out));
    QCOMPARE(read(out), QByteArray("<html>\n<body>\n"));
    // Reading a file afterwards takes that file's line ends.
    QVERIFY(s.loadFile(write(QStringLiteral("crlf.html"), "a\r\n")));
    QCOMPARE(s.lineBreak(), lbCRLF);
}

void tst_MemoFiles::readBoundaries_data()
{
    // Reads go in 1 MiB pieces: line breaks and characters that straddle a piece.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("tails"); // last 3 characters of each line
    QTest::addColumn<int>("lineBreak");
    const int chunk = 1 << 20;
    QTest::newRow("CR LF split") << QByteArray(QByteArray(chunk - 1, 'x') + "\r\nyz\r\n")
                                 << QStringList { "xxx", "yz" } << int(lbCRLF);
    QTest::newRow("lone CR at the end of a piece")
        << QByteArray(QByteArray(chunk - 1, 'x') + "\rnext") << QStringList { "xxx", "ext" }
        << int(lbCR);
    QTest::newRow("lone CR ends the file")
        << QByteArray(QByteArray(chunk - 1, 'x') + "\r") << QStringList { "xxx" } << int(lbCR);
    QTest::newRow("UTF-8 character split")
        << QByteArray(QByteArray(chunk - 1, 'x') + "\xc3\xa9" + "\r\n")
        << QStringList { QStringLiteral("xx\u00e9") } << int(lbCRLF);
    QTest::newRow("many CR-only lines") << QByteArray(QByteArray("ab\r").repeated(chunk))
                                        << QStringList {} << int(lbCR);
}

void tst_MemoFiles::readBoundaries()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, tails);
    QFETCH(int, lineBreak);
    TMemoSource s;
    QString error;
    const QString path = write(QStringLiteral("big.txt"), bytes);
    QVERIFY2(s.loadFile(path, &error), qPrintable(error));
    QCOMPARE(int(s.lineBreak()), lineBreak);
    // Each file has one kind of line end, so it is saved back byte for byte.
    const QString out = m_dir.filePath(QStringLiteral("big2.txt"));
    QVERIFY(s.saveFile(out));
    QVERIFY(read(out) == bytes);
    if (tails.isEmpty()) {
        QCOMPARE(s.lineCount(), 1 << 20);
        QCOMPARE(s.line((1 << 20) - 1), QStringLiteral("ab"));
        return;
    }
    QCOMPARE(s.lineCount(), tails.size());
    for (int i = 0; i < tails.size(); ++i)
        QCOMPARE(s.line(i).right(3), tails[i]);
}

void tst_MemoFiles::sameAsStraightReading()
{
    // Breaks are looked for 64 bytes at a time: random files of breaks, blanks, ASCII,
    // UTF-8 and stray bytes must split and decode as a plain reading of the bytes does.
    const QList<QByteArray> pieces { "a", "b", " ", "\t", "\r", "\n", "\r\n", "\xc3\xa9", "\xe2\x82\xac", "\xe9" };
    QRandomGenerator random(1210);
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes;
        const int length = random.bounded(300);
        const bool stray = random.bounded(4) == 0; // a byte that is not UTF-8
        while (bytes.size() < length)
            bytes += pieces[random.bounded(stray ? 10 : 9)];
        const bool utf8 = !bytes.contains('\xe9'); // a lone lead byte: never UTF-8 here
        QStringList expected;
        QByteArray line;
        bool finalBreak = false;
        int firstBreak = -1;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const char c = bytes[i];
            finalBreak = c == '\r' || c == '\n';
            if (!finalBreak) {
                line += c;
                continue;
            }
            const bool pair = c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
            if (firstBreak < 0)
                firstBreak = pair ? lbCRLF : c == '\r' ? lbCR : lbLF;
            if (pair)
                ++i;
            expected << (utf8 ? QString::fromUtf8(line) : QString::fromLatin1(line));
            line.clear();
        }
        if (!line.isEmpty() || !finalBreak)
            expected << (utf8 ? QString::fromUtf8(line) : QString::fromLatin1(line));
        for (QString& e : expected) {
            while (!e.isEmpty() && e.back().unicode() <= 32)
                e.chop(1);
        }
        TMemoSource s;
        QVERIFY(s.loadFile(write(QStringLiteral("random.txt"), bytes)));
        const QString what = QStringLiteral("round %1: %2").arg(round).arg(QString::fromLatin1(bytes.toHex()));
        QVERIFY2(linesOf(s) == expected, qPrintable(what));
        QVERIFY2(s.encoding() == (utf8 ? teUtf8 : teLatin1), qPrintable(what));
        QVERIFY2(s.finalLineBreak() == (finalBreak || bytes.isEmpty()), qPrintable(what));
        QVERIFY2(int(s.lineBreak()) == (firstBreak < 0 ? int(lbLF) : firstBreak), qPrintable(what));
    }
}

void tst_MemoFiles::largeFileHalves_data()
{
    // Files this large are read in two halves at once: whatever lies on either side of the
    // middle, the lines and the encoding must be those of one straight reading.
    QTest::addColumn<QByteArray>("lineBreak");
    QTest::addColumn<QByteArray>("odd"); // put in one line of the given half
    QTest::addColumn<int>("half"); // 0 first, 1 second
    QTest::addColumn<int>("encoding");
    QTest::addColumn<bool>("finalBreak");
    QTest::newRow("CR LF, ASCII") << QByteArray("\r\n") << QByteArray() << 0 << int(teUtf8) << true;
    QTest::newRow("LF, no final break") << QByteArray("\n") << QByteArray() << 0 << int(teUtf8) << false;
    QTest::newRow("not UTF-8 only in the second half")
        << QByteArray("\r\n") << QByteArray("caf\xe9") << 1 << int(teLatin1) << true;
    QTest::newRow("not UTF-8 only in the first half")
        << QByteArray("\r\n") << QByteArray("caf\xe9") << 0 << int(teLatin1) << true;
    QTest::newRow("wide characters in the second half")
        << QByteArray("\r\n") << QByteArray("\xe2\x82\xac") << 1 << int(teUtf8) << true;
}

void tst_MemoFiles::largeFileHalves()
{
    QFETCH(QByteArray, lineBreak);
    QFETCH(QByteArray, odd);
    QFETCH(int, half);
    QFETCH(int, encoding);
    QFETCH(bool, finalBreak);
    constexpr int kLines = 250000; // about 10 MB
    QByteArray bytes;
    bytes.reserve(kLines * 48);
    QStringList expected;
    for (int i = 0; i < kLines; ++i) {
        QByteArray line = "<p id=\"" + QByteArray::number(i) + "\">line text " + QByteArray::number(i * 7);
        if (!odd.isEmpty() && i == (half == 0 ? 10 : kLines - 10))
            line += odd;
        // Lines alternate in length so that the middle of the file may fall anywhere in one.
        line += QByteArray(i % 13, 'x');
        bytes += line;
        if (i + 1 < kLines || finalBreak)
            bytes += lineBreak;
        expected << (encoding == teLatin1 ? QString::fromLatin1(line) : QString::fromUtf8(line));
    }
    const QString path = write(QStringLiteral("halves.html"), bytes);
    TMemoSource s;
    QString error;
    QVERIFY2(s.loadFile(path, &error), qPrintable(error));
    QCOMPARE(int(s.encoding()), encoding);
    QCOMPARE(s.finalLineBreak(), finalBreak);
    QCOMPARE(s.lineBreak(), lineBreak == "\n" ? lbLF : lbCRLF);
    QCOMPARE(s.lineCount(), kLines);
    const QStringList got = linesOf(s);
    for (int i = 0; i < kLines; ++i) {
        if (got[i] != expected[i])
            QFAIL(qPrintable(QStringLiteral("line %1: '%2' instead of '%3'").arg(i).arg(got[i], expected[i])));
    }
    const QString out = m_dir.filePath(QStringLiteral("halves2.html"));
    QVERIFY(s.saveFile(out));
    QVERIFY(read(out) == bytes);
    // The lines that came from the second half are edited and given back like any other.
    s.setCaret(0, kLines - 1);
    s.keyChar(u'!');
    QVERIFY(s.line(kLines - 1).startsWith(u'!'));
    s.Undo();
    QCOMPARE(s.line(kLines - 1), expected.last());
}

void tst_MemoFiles::tenMegabyteLine()
{
    QByteArray bytes;
    bytes.reserve(10 << 20);
    for (int i = 0; bytes.size() < (10 << 20); ++i)
        bytes += "<td class=\"c" + QByteArray::number(i % 97) + "\">\t";
    bytes += "end";
    const QString path = write(QStringLiteral("long.html"), bytes);
    TMemoSource s;
    QVERIFY(s.loadFile(path));
    QCOMPARE(s.lineCount(), 1);
    QCOMPARE(s.lineLength(0), int(bytes.size()));
    // Editing and searching at its far end stay correct.
    s.setCaret(s.lineLength(0), 0);
    s.keyChar(u'!');
    QCOMPARE(s.line(0).right(4), QStringLiteral("end!"));
    s.Undo();
    QVERIFY(s.saveFile(m_dir.filePath(QStringLiteral("long2.html"))));
    QCOMPARE(read(m_dir.filePath(QStringLiteral("long2.html"))), bytes);
    s.expandTabs(4);
    QVERIFY(!s.line(0).contains(u'\t'));
    QCOMPARE(s.lineLength(0), int(bytes.size() + 3 * bytes.count('\t')));
}

void tst_MemoFiles::fixturePage()
{
    // A Latin-1 page with CR LF breaks, tabs and no final break round-trips byte for byte.
    const QString fixture = QStringLiteral(TEST_DATA_DIR "/editor/latin1_page.html");
    const QByteArray bytes = read(fixture);
    QVERIFY(bytes.contains('\xe9') && bytes.contains('\t') && !bytes.endsWith('\n'));
    TMemoSource s;
    QVERIFY(s.loadFile(fixture));
    QCOMPARE(s.encoding(), teLatin1);
    QVERIFY(!s.finalLineBreak());
    const QString out = m_dir.filePath(QStringLiteral("page.html"));
    QVERIFY(s.saveFile(out));
    QCOMPARE(read(out), bytes);
}

void tst_MemoFiles::failedLoadKeepsDocument()
{
    TMemoSource s;
    s.insertText(QStringLiteral("precious\nwork"));
    QString error;
    QVERIFY(!s.loadFile(m_dir.filePath(QStringLiteral("missing.html")), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!s.loadFile(m_dir.path(), &error)); // a folder
    QVERIFY(!error.isEmpty());
    error.clear();
    QVERIFY(!s.loadFile(QStringLiteral("/dev/zero"), &error)); // would never end
    QVERIFY(!error.isEmpty());
    QCOMPARE(linesOf(s), (QStringList { "precious", "work" }));
    QVERIFY(s.canUndo());
}

void tst_MemoFiles::failedSaveKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.html"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old content\r\n");
    }
    TMemoSource s;
    s.setText(QStringLiteral("new"));
    QString error;
    QVERIFY(!s.saveFile(dir.filePath(QStringLiteral("no/such/folder/x.html")), &error));
    QVERIFY(!error.isEmpty());
    // The name is taken by a folder: nothing can be renamed over it.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken")));
    error.clear();
    QVERIFY(!s.saveFile(dir.filePath(QStringLiteral("taken")), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(read(path), QByteArray("old content\r\n"));
    QVERIFY(s.saveFile(path, &error));
    QCOMPARE(read(path), QByteArray("new"));
    // No temporary files are left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList { "old.html" });
}

void tst_MemoFiles::fullDiskKeepsOldFile_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("a short page") << 100; // what a buffered save replaced by an empty file
    QTest::newRow("a long page") << 200000;
}

void tst_MemoFiles::fullDiskKeepsOldFile()
{
    QFETCH(int, size);
    QTemporaryDir folder;
    const std::optional<QByteArray> result = pm::runOnFullDisk(
        folder.path(),
        [](const QString& f) {
            QFile old(f + QStringLiteral("/page.html"));
            if (old.open(QIODevice::WriteOnly))
                old.write("old content\r\n");
        },
        [&](const QString& f) -> QByteArray {
            const QString path = f + QStringLiteral("/page.html");
            TMemoSource s;
            s.setText(QString(size, u'n'));
            QString error;
            const bool saved = s.saveFile(path, &error);
            return QByteArray(saved ? "saved" : "refused") + '|' + error.toUtf8() + '|'
                + read(path);
        });
    if (!result)
        QSKIP("this machine lets no process mount a file system of its own");
    QCOMPARE(QString::fromUtf8(*result),
             QStringLiteral("refused|") + QString::fromLocal8Bit(std::strerror(ENOSPC))
                 + QStringLiteral("|old content\r\n"));
}

void tst_MemoFiles::latin1DocumentWithWideCharacter()
{
    const QString path = write(QStringLiteral("l1.txt"), "caf\xe9\r\n");
    TMemoSource s;
    QVERIFY(s.loadFile(path));
    QCOMPARE(s.encoding(), teLatin1);
    s.setCaret(4, 0);
    s.keyChar(QChar(0x20AC));
    QVERIFY(s.saveFile(path));
    // Latin-1 cannot hold the euro sign: the file is written as UTF-8 and nothing is lost.
    QCOMPARE(read(path), QByteArray("caf\xc3\xa9\xe2\x82\xac\r\n"));
    TMemoSource back;
    QVERIFY(back.loadFile(path));
    QCOMPARE(back.line(0), QStringLiteral("caf\u00e9\u20ac"));
}

void tst_MemoFiles::loadFileResetsState()
{
    const QString path = write(QStringLiteral("doc.html"), "one\r\ntwo\r\n");
    TMemoSource s;
    s.insertText(QStringLiteral("a\nb\nc\nd"));
    s.setSelection(smStream, 0, 0, 1, 2);
    TPosition mark(&s, 3, 3);
    int calls = 0;
    s.setOnParseSyntax([&calls](const LineText&, int32_t, uint8_t*) {
        ++calls;
        return 0;
    });
    s.colorData(3);
    QVERIFY(s.parseMark() > 0);
    QVERIFY(s.loadFile(path));
    QCOMPARE(linesOf(s), (QStringList { "one", "two" }));
    QVERIFY(!s.hasSelection());
    QVERIFY(!s.canUndo() && !s.canRedo());
    QCOMPARE(s.parseMark(), 0);
    QCOMPARE(QPoint(s.CaretX(), s.CaretY()), QPoint(0, 0));
    QVERIFY(mark.line() < s.lineCount());
}

void tst_MemoFiles::expandTabs()
{
    TMemoSource s;
    s.setText(QStringLiteral("\ta\t b\t\n\u03a9\tx\nplain"));
    s.insertText(QStringLiteral("z"));
    s.expandTabs(4);
    QCOMPARE(linesOf(s), (QStringList { "z    a     b", QStringLiteral("\u03a9    x"), "plain" }));
    QVERIFY(!s.canUndo());
    s.expandTabs(4); // nothing left to do
    QCOMPARE(s.line(0), QStringLiteral("z    a     b"));
}

QTEST_GUILESS_MAIN(tst_MemoFiles)
#include "tst_memofiles.moc"
