/** @file tst_menusfile.cpp ** The dynamic menus file reader: file rules, failures, names. **/
#include "templates/TMenusFile.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString header = QStringLiteral("Dynamic Menus File - Orvane");
const QString opening = QStringLiteral("{auto insert tags when new html is created");

/// One line per item of the tree: "menu:caption", "  entry:caption#tag@name", indented by depth.
void dump(const TMenuNode& node, int depth, QStringList& out)
{
    const QString indent(depth * 2, u' ');
    if (node.isEntry)
        out << indent + QStringLiteral("entry:%1#%2@%3").arg(node.caption).arg(node.tag).arg(node.name);
    else
        out << indent + QStringLiteral("menu:%1@%2").arg(node.caption, node.name);
    for (const TMenuNode& child : node.children)
        dump(child, depth + 1, out);
}

QStringList dump(const TMenusFile& file)
{
    QStringList out;
    for (const TMenuNode& menu : file.menus)
        dump(menu, 0, out);
    return out;
}

} // namespace

class tst_MenusFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QStringList& lines, const QByteArray& eol = "\r\n")
    {
        static int n = 0;
        const QString name = m_dir.filePath(QStringLiteral("f%1.mnu").arg(++n));
        QFile f(name);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write fixture");
        for (const QString& l : lines)
            f.write(l.toUtf8() + eol);
        return name;
    }

private slots:
    void structure_data();
    void structure();
    void lfLineEndsAreAccepted();
    void failures_data();
    void failures();
    void missingFile();
    void captionCut_data();
    void captionCut();
    void itemNames_data();
    void itemNames();
    void deepNestingIsRefused();
};

void tst_MenusFile::structure_data()
{
    QTest::addColumn<QStringList>("body"); // lines after the auto-insert opening line
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("example from the format")
        << QStringList{"}", "{&Format", "item=[&Bold]", "<B>{=,=}</B>", "{Headings", "item=[H1]",
                       "<H1>{=,=}</H1>", "}", "}"}
        << QStringList{"menu:&Format@", "  entry:&Bold#1@FormatBold", "  menu:Headings@FormatHeadings",
                       "    entry:H1#2@FormatHeadingsH1"}
        << QStringList{"", "<B>{=,=}</B>", "<H1>{=,=}</H1>"};
    QTest::newRow("auto-insert text, comments dropped, final CR LF removed")
        << QStringList{"<HTML>", "  ; a comment", "</HTML>", "  } rest ignored", "{M", "item=[A]", "a", "}"}
        << QStringList{"menu:M@", "  entry:A#1@MA"}
        << QStringList{"<HTML>\r\n</HTML>", "a"};
    QTest::newRow("menus above the opening line are ignored")
        << QStringList{"}"} << QStringList{} << QStringList{""};
    QTest::newRow("three entries give tags 1 to 3")
        << QStringList{"}", "{M", "item=[A]", "a", "item=[B]", "b", "item=[C]", "c", "}"}
        << QStringList{"menu:M@", "  entry:A#1@MA", "  entry:B#2@MB", "  entry:C#3@MC"}
        << QStringList{"", "a", "b", "c"};
    QTest::newRow("indented entry line after a template is template text")
        << QStringList{"}", "{M", "item=[A]", "a", "  item=[B]", "b", "}"}
        << QStringList{"menu:M@", "  entry:A#1@MA"}
        << QStringList{"", "a\r\n  item=[B]\r\nb"};
    QTest::newRow("indented entry line at the start of a body is an entry")
        << QStringList{"}", "{M", "  item=[B]", "b", "}"}
        << QStringList{"menu:M@", "  entry:B#1@MB"} << QStringList{"", "b"};
    QTest::newRow("empty line between entries ends the first template with CR LF")
        << QStringList{"}", "{M", "item=[A]", "a", "", "item=[B]", "b", "}"}
        << QStringList{"menu:M@", "  entry:A#1@MA", "  entry:B#2@MB"}
        << QStringList{"", "a\r\n", "b"};
    QTest::newRow("empty line after a submenu opening is an entry")
        << QStringList{"}", "{M", "{S", "", "x", "}", "}"}
        << QStringList{"menu:M@", "  menu:S@MS", "    entry:#1@MS"} << QStringList{"", "x"};
    QTest::newRow("a request at the start of a line is template text, {Sub is not")
        << QStringList{"}", "{M", "item=[A]", "{=,=}", "{Sub", "item=[B]", "b", "}", "}"}
        << QStringList{"menu:M@", "  entry:A#1@MA", "  menu:Sub@MSub", "    entry:B#2@MSubB"}
        << QStringList{"", "{=,=}", "b"};
    QTest::newRow("comments inside templates and bodies, stray text at top level")
        << QStringList{"}", "stray", "{M", "; c", "item=[A]", "a", "  ;c2", "b", "}", "junk"}
        << QStringList{"menu:M@", "  entry:A#1@MA"} << QStringList{"", "a\r\nb"};
    QTest::newRow("top-level caption keeps trailing blanks, text after first {")
        << QStringList{"}", "  {&Tags {x} ", "item=[T]", "t", "}"}
        << QStringList{"menu:&Tags {x} @", "  entry:T#1@TagsxT"} << QStringList{"", "t"};
    QTest::newRow("submenu and entry of the same derived name do not clash")
        << QStringList{"}", "{M", "{A", "item=[x]", "1", "}", "item=[A]", "2", "}"}
        << QStringList{"menu:M@", "  menu:A@MA", "    entry:x#1@MAx", "  entry:A#2@MA"}
        << QStringList{"", "1", "2"};
}

void tst_MenusFile::structure()
{
    QFETCH(QStringList, body);
    QFETCH(QStringList, tree);
    QFETCH(QStringList, texts);
    QStringList lines{header, "{Early", "item=[X]", "x", "}", opening};
    lines += body;
    const TMenusFile file = readMenusFile(write(lines));
    QCOMPARE(file.errorCode, uint8_t(0));
    QCOMPARE(dump(file), tree);
    QCOMPARE(file.entryTexts, texts);
}

void tst_MenusFile::lfLineEndsAreAccepted()
{
    const TMenusFile file = readMenusFile(
        write({header, opening, "a", "}", "{M", "item=[A]", "x", "}"}, "\n"));
    QCOMPARE(file.errorCode, uint8_t(0));
    QCOMPARE(file.entryTexts, (QStringList{"a", "x"}));
}

void tst_MenusFile::failures_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("errorLine");
    QTest::addColumn<QStringList>("treeKept");
    QTest::addColumn<QStringList>("textsKept");
    QTest::addColumn<QString>("reason"); // what the command-line check prints beside code 4

    const QString badHeader = QStringLiteral("the header is wrong: line 1 must read exactly "
                                             "\"Dynamic Menus File - Orvane\"");
    QTest::newRow("header with a trailing blank")
        << QStringList{header + u' ', opening, "}"} << 1 << QStringList{} << QStringList{} << badHeader;
    QTest::newRow("header in other case")
        << QStringList{header.toUpper(), opening, "}"} << 1 << QStringList{} << QStringList{} << badHeader;
    QTest::newRow("empty file") << QStringList{} << 1 << QStringList{} << QStringList{} << badHeader;
    const QString noOpening = QStringLiteral("no line \"{auto insert tags when new html is created\" "
                                             "opens the auto-insert section");
    QTest::newRow("no auto-insert section")
        << QStringList{header, "{M", "item=[A]", "a", "}"} << 5 << QStringList{} << QStringList{}
        << noOpening;
    QTest::newRow("opening line with a trailing blank")
        << QStringList{header, opening + u' ', "}"} << 3 << QStringList{} << QStringList{} << noOpening;
    QTest::newRow("end of file inside the auto-insert section")
        << QStringList{header, opening, "<HTML>"} << 3 << QStringList{} << QStringList{}
        << "the auto-insert section opened on line 2 has no closing \"}\" line";
    QTest::newRow("end of file inside a menu keeps the finished menus")
        << QStringList{header, opening, "}", "{M", "item=[A]", "a", "}", "{N", "{S", "item=[B]", "b", "}"}
        << 12 << QStringList{"menu:M@", "  entry:A#1@MA"} << QStringList{"", "a", "b"}
        << "the menu \"N\" opened on line 8 has no closing \"}\" line";
    QTest::newRow("end of file inside a template")
        << QStringList{header, opening, "}", "{M", "item=[A]", "a"} << 6 << QStringList{}
        << QStringList{""} << "the menu \"M\" opened on line 4 has no closing \"}\" line";
    QTest::newRow("end of file after a comment")
        << QStringList{header, opening, "}", "{M", "; note"} << 5 << QStringList{}
        << QStringList{""} << "the menu \"M\" opened on line 4 has no closing \"}\" line";
    QTest::newRow("two separators under one menu")
        << QStringList{header, opening, "}", "{M", "item=[-]", "item=[-]", "}"} << 6 << QStringList{}
        << QStringList{"", ""}
        << "the separator on line 6 clashes with the separator on line 5: two separators directly "
           "under one menu take the same name (\"M\")";
    QTest::newRow("names equal without regard to case")
        << QStringList{header, opening, "}", "{M", "item=[ab]", "1", "item=[AB]", "2", "}"} << 7
        << QStringList{} << QStringList{"", "1"}
        << "the entry \"AB\" on line 7 takes the same name (\"MAB\") as the entry \"ab\" on line 5 "
           "of the same menu";
    QTest::newRow("entry whose name is empty")
        << QStringList{header, opening, "}", "{1", "item=[2]", "x", "}"} << 5 << QStringList{}
        << QStringList{""}
        << "the entry \"2\" takes no name: its menu path holds no letter, digit or \"_\"";
    QTest::newRow("submenu whose name is empty")
        << QStringList{header, opening, "}", "{M", "}", "{&", "{!", "}", "}"} << 7
        << QStringList{"menu:M@"} << QStringList{""}
        << "the submenu \"!\" takes no name: its menu path holds no letter, digit or \"_\"";
    QTest::newRow("a caption of any length is quoted short")
        << QStringList{header, opening, "}", "{" + QString(100000, u'x')} << 4 << QStringList{}
        << QStringList{""}
        << "the menu \"" + QString(60, u'x') + "...\" opened on line 4 has no closing \"}\" line";
}

void tst_MenusFile::failures()
{
    QFETCH(QStringList, lines);
    QFETCH(int, errorLine);
    QFETCH(QStringList, treeKept);
    QFETCH(QStringList, textsKept);
    QFETCH(QString, reason);
    const TMenusFile file = readMenusFile(write(lines));
    QCOMPARE(file.errorCode, uint8_t(4));
    QCOMPARE(file.errorLine, errorLine);
    QCOMPARE(dump(file), treeKept);
    QCOMPARE(file.entryTexts, textsKept);
    QCOMPARE(file.errorReason, reason);
}

void tst_MenusFile::missingFile()
{
    const TMenusFile file = readMenusFile(m_dir.filePath(QStringLiteral("none.mnu")));
    QCOMPARE(file.errorCode, uint8_t(1));
    QVERIFY(file.entryTexts.isEmpty());
    QCOMPARE(readMenusFile(m_dir.path()).errorCode, uint8_t(1)); // a folder is no file
}

void tst_MenusFile::captionCut_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("caption");
    QTest::newRow("plain") << "item=[Bold]" << "Bold";
    QTest::newRow("indented, other case") << "   ITEM=[Bold]" << "Bold";
    QTest::newRow("trailing blank cuts the blank") << "item=[Bold] " << "Bold]";
    QTest::newRow("no item=[ loses five and one") << "abcdefgh" << "fg";
    QTest::newRow("empty line") << "" << "";
    QTest::newRow("shorter than five") << "abc" << "";
    QTest::newRow("empty caption") << "item=[]" << "";
    QTest::newRow("separator") << "item=[-]" << "-";
}

void tst_MenusFile::captionCut()
{
    QFETCH(QString, line);
    QFETCH(QString, caption);
    QCOMPARE(entryCaptionFromLine(line), caption);
}

void tst_MenusFile::itemNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("accelerators and blanks") << "&TagsText style&Bold" << "TagsTextstyleBold";
    QTest::newRow("leading digits dropped") << "&1stHeader" << "stHeader";
    QTest::newRow("underscore and inner digits kept") << "a_1 b2" << "a_1b2";
    QTest::newRow("non-ASCII letters dropped") << QStringLiteral("Ünïcode") << "ncode";
    QTest::newRow("nothing usable") << "123 &-" << "";
}

void tst_MenusFile::itemNames()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(menuItemNameFromPath(path), name);
}

void tst_MenusFile::deepNestingIsRefused()
{
    QStringList lines{header, opening, "}"};
    for (int i = 0; i < 5000; ++i)
        lines << QStringLiteral("{L%1").arg(i);
    const TMenusFile file = readMenusFile(write(lines));
    QCOMPARE(file.errorCode, uint8_t(4));
    QVERIFY(file.menus.isEmpty());
}

QTEST_GUILESS_MAIN(tst_MenusFile)
#include "tst_menusfile.moc"
