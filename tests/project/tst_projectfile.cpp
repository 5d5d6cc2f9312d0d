/** @file tst_projectfile.cpp ** The project file's lines: what is written, and what reading
 ** makes of good, odd and broken files. **/
#include "project/TProjectFile.h"

#include <QtTest>

namespace {

QByteArray crlf(const char* text)
{
    QByteArray b(text);
    b.replace("\n", "\r\n");
    return b;
}

} // namespace

class TestProjectFile : public QObject
{
    Q_OBJECT

private slots:
    void emptyProjectIsSevenLines()
    {
        TProjectData d;
        d.name = QStringLiteral("Site");
        d.notesWindow = { false, 85, 154, 269, 232 };
        QCOMPARE(projectFileBytes(d),
            crlf("Pagemason Project File\nProject name:\nSite\n"
                 "Project files:\nProject Notes:\n- 85 154 269 232\n\n"));
    }

    void writtenInListOrderWithNotesLast()
    {
        TProjectData d;
        d.files = { { u"a.html"_qs, u"/site/"_qs }, { u"b.html"_qs, u"/site/x/"_qs } };
        d.notesWindow = { true, -5, 0, 300, 200 };
        d.notes = QStringLiteral("first\n\nthird");
        QCOMPARE(projectFileBytes(d),
            crlf("Pagemason Project File\nProject name:\n\nProject files:\n/site/a.html\n"
                 "/site/x/b.html\nProject Notes:\n+ -5 0 300 200\nfirst\n\nthird\n"));
    }

    void reading_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("files"); // "path|filename", in list order
        QTest::addColumn<bool>("windowLine");
        QTest::addColumn<QString>("notes");

        const int ok = TProjectRead::Ok;
        const int invalid = TProjectRead::NotAProjectFile;
        const int bad = TProjectRead::BadNotesWindowLine;
        QTest::newRow("whole file, lines 2 and 4 skipped whatever they hold")
            << crlf("Pagemason Project File\nanything\nMy site\nanything\n/s/b.html\n/s/A.html\n"
                    "Project Notes:\n- 85 154 269 232\nnote one\n\n\nnote two\n")
            << ok << "My site" << QStringList { "/s/|A.html", "/s/|b.html" } << true
            << "note one\nnote two";
        QTest::newRow("LF line ends") << QByteArray(
            "Pagemason Project File\nn:\nx\nf:\n/a/b.htm\nProject Notes:\n+ 1 2 3 4\nn\n")
                                      << ok << "x" << QStringList { "/a/|b.htm" } << true << "n";
        QTest::newRow("a file line without a slash has an empty Path")
            << crlf("Pagemason Project File\n\n\n\nindex.html\nProject Notes:\n- 1 2 3 4\n") << ok
            << "" << QStringList { "|index.html" } << true << "";
        QTest::newRow("no duplicate check on reading")
            << crlf("Pagemason Project File\n\n\n\n/a/x\n/a/x\nProject Notes:\n- 1 2 3 4\n") << ok
            << "" << QStringList { "/a/|x", "/a/|x" } << true << "";
        QTest::newRow("\"project notes:\" in another case is a file")
            << crlf("Pagemason Project File\n\n\n\nproject notes:\nProject Notes:\n- 1 2 3 4\n")
            << ok << "" << QStringList { "|project notes:" } << true << "";
        QTest::newRow("ends before the notes window line")
            << crlf("Pagemason Project File\nProject name:\nn\nProject files:\n/a/x.html\n") << ok
            << "n" << QStringList { "/a/|x.html" } << false << "";
        QTest::newRow("ends right after the notes heading")
            << crlf("Pagemason Project File\nProject name:\nn\nProject files:\nProject Notes:\n")
            << ok << "n" << QStringList() << false << "";
        QTest::newRow("only the header")
            << QByteArray("Pagemason Project File") << ok << "" << QStringList() << false << "";
        QTest::newRow("empty file")
            << QByteArray() << invalid << "" << QStringList() << false << "";
        QTest::newRow("header in another case") << crlf("pagemason project file\n\n\n\n") << invalid
                                                << "" << QStringList() << false << "";
        QTest::newRow("header with more after it")
            << crlf("Pagemason Project File v2\n") << invalid << "" << QStringList() << false << "";
        QTest::newRow("binary") << QByteArray("\x7f"
                                              "ELF\x02\x01\x01\0\0\0\n\xff\xfe",
            14) << invalid << "" << QStringList()
                                << false << "";
        QTest::newRow("words for numbers")
            << crlf("Pagemason Project File\n\nn\n\n/a/x\nProject Notes:\n- 85 left 269 232\nz\n")
            << bad << "" << QStringList() << false << "";
        QTest::newRow("a number too large")
            << crlf("Pagemason Project File\n\nn\n\nProject Notes:\n- 1 2 3 99999999999\n") << bad
            << "" << QStringList() << false << "";
        QTest::newRow("two spaces")
            << crlf("Pagemason Project File\n\nn\n\nProject Notes:\n-  1 2 3 4\n") << bad << ""
            << QStringList() << false << "";
        QTest::newRow("three numbers")
            << crlf("Pagemason Project File\n\nn\n\nProject Notes:\n- 1 2 3\n") << bad << ""
            << QStringList() << false << "";
    }
    void reading()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, outcome);
        QFETCH(QString, name);
        QFETCH(QStringList, files);
        QFETCH(bool, windowLine);
        QFETCH(QString, notes);
        const TProjectRead read = readProjectBytes(bytes);
        QCOMPARE(int(read.outcome), outcome);
        if (outcome != TProjectRead::Ok)
            return;
        QCOMPARE(read.data.name, name);
        QStringList got;
        for (const TProjectItem& i : read.data.files)
            got.append(i.path + u'|' + i.fileName);
        QCOMPARE(got, files);
        QCOMPARE(read.data.hasNotesWindowLine, windowLine);
        QCOMPARE(read.data.notes, notes);
    }

    void notesWindowLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QList<int>>("numbers"); // Top, Left, Width, Height
        QTest::newRow("hidden, Top before Left")
            << "- 85 154 269 232" << true << false << QList<int> { 85, 154, 269, 232 };
        QTest::newRow("shown, negative")
            << "+ -10 -20 30 40" << true << true << QList<int> { -10, -20, 30, 40 };
        QTest::newRow("any other sign hides")
            << "x 1 2 3 4" << true << false << QList<int> { 1, 2, 3, 4 };
        QTest::newRow("empty") << "" << false << false << QList<int>();
        QTest::newRow("height with more after it")
            << "+ 1 2 3 4 5" << false << false << QList<int>();
        QTest::newRow("hexadecimal") << "+ 1 2 3 0x10" << false << false << QList<int>();
    }
    void notesWindowLine()
    {
        QFETCH(QString, line);
        QFETCH(bool, ok);
        QFETCH(bool, visible);
        QFETCH(QList<int>, numbers);
        TNotesWindowState s;
        s.visible = true;
        QCOMPARE(parseNotesWindowLine(line, s), ok);
        if (!ok)
            return;
        QCOMPARE(s.visible, visible);
        QCOMPARE((QList<int> { s.top, s.left, s.width, s.height }), numbers);
        QCOMPARE(::notesWindowLine(s), line.at(0) == u'+' ? line : u'-' + line.mid(1));
    }

    void roundTripDropsBlankNotesLines()
    {
        TProjectData d;
        d.name = QStringLiteral("Caf\u00e9 \u4e2d");
        d.files = { { u"\u00e9t\u00e9.html"_qs, u"/home/u/site/"_qs } };
        d.notes = QStringLiteral("one\n\n  two\n\n");
        const TProjectRead read = readProjectBytes(projectFileBytes(d));
        QCOMPARE(int(read.outcome), int(TProjectRead::Ok));
        QCOMPARE(read.data.name, d.name);
        QCOMPARE(read.data.files, d.files);
        QCOMPARE(read.data.notes, QStringLiteral("one\n  two"));
    }

    void latin1FileReadsAsWritten()
    {
        const QByteArray bytes(
            "Pagemason Project File\r\n\r\nCaf\xe9\r\n\r\n/s/\xe9t\xe9.html\r\n");
        const TProjectRead read = readProjectBytes(bytes);
        QCOMPARE(read.data.name, QStringLiteral("Caf\u00e9"));
        QCOMPARE(read.data.files.first().fileName, QStringLiteral("\u00e9t\u00e9.html"));
    }

    void itemPaths_data()
    {
        QTest::addColumn<QString>("full");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("absolute") << "/a/b/c.html"
                                  << "/a/b/"
                                  << "c.html";
        QTest::newRow("no slash") << "c.html"
                                  << ""
                                  << "c.html";
        QTest::newRow("folder only") << "/a/"
                                     << "/a/"
                                     << "";
    }
    void itemPaths()
    {
        QFETCH(QString, full);
        QFETCH(QString, path);
        QFETCH(QString, fileName);
        const TProjectItem item = projectItemFor(full);
        QCOMPARE(item.path, path);
        QCOMPARE(item.fileName, fileName);
        QCOMPARE(projectItemPath(item), full);
    }
};

QTEST_GUILESS_MAIN(TestProjectFile)
#include "tst_projectfile.moc"
