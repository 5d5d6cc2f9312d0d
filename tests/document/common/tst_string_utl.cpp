/** @file tst_string_utl.cpp ** Tag case, template matching, the tag at a position, the closing
 ** part of a template, the WaCkY case and relative paths. **/
#include "core/global_utl.h"
#include "document/common/TFakeWizardDocument.h"
#include "document/common/string_utl.h"
#include "platform/ScriptedDialogs.h"

#include <QtTest>

class tst_StringUtl : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { globalOptions = optns(); }

    void tagCase_data();
    void tagCase();
    void matchingEntries_data();
    void matchingEntries();
    void tagAt_data();
    void tagAt();
    void closingPosition_data();
    void closingPosition();
    void wacky_data();
    void wacky();
    void relativePath_data();
    void relativePath();
    void relativePathOfUntitled();
};

void tst_StringUtl::tagCase_data()
{
    QTest::addColumn<int>("tagCase");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("lower") << 0 << "</TABLE>" << "</table>";
    QTest::newRow("upper") << 1 << "</table Ab>" << "</TABLE AB>";
    QTest::newRow("as written") << 2 << "</TaBle>" << "</TaBle>";
    QTest::newRow("out of range") << 7 << "</TaBle>" << "</TaBle>";
    QTest::newRow("upper leaves non-ASCII") << 1 << QString::fromUtf8("<b>é ß</b>")
                                            << QString::fromUtf8("<B>é ß</B>");
    QTest::newRow("lower leaves non-ASCII") << 0 << QString::fromUtf8("<B>É</B>")
                                            << QString::fromUtf8("<b>É</b>");
}

void tst_StringUtl::tagCase()
{
    QFETCH(int, tagCase);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    globalOptions.tagCase = uint8_t(tagCase);
    QCOMPARE(applyTagCase(text), expected);
}

void tst_StringUtl::matchingEntries_data()
{
    const QStringList menu = { "<B>{=,=}</B>",
                               "<BR>",
                               "<BODY>{=,=}</BODY>",
                               "<TABLE BORDER=1>{=,=}</TABLE>",
                               "<TABLE>{=,=}</TABLE>",
                               "<b>again</b>" };
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("bold, longest prefix wins") << menu << "<b>>" << QList<int> { 0, 5 };
    QTest::newRow("br") << menu << "<br>>" << QList<int> { 1 };
    QTest::newRow("prefix up to the space") << menu << "<table border=1>>" << QList<int> { 3 };
    QTest::newRow("attributes differ: the shared part decides")
        << menu << "<table border=2>>" << QList<int> { 3 };
    QTest::newRow("table without attributes") << menu << "<table>>" << QList<int> { 4 };
    QTest::newRow("closing tag finds nothing") << menu << "</b>>" << QList<int>();
    QTest::newRow("first pass finds nothing") << menu << "<i>>" << QList<int>();
    QTest::newRow("no '>' compares the whole text") << menu << "<BO" << QList<int> { 2 };
    QTest::newRow("'>' first compares the whole text") << menu << ">" << QList<int>();
    QTest::newRow("empty text") << menu << "" << QList<int>();
    QTest::newRow("empty list") << QStringList() << "<b>>" << QList<int>();
}

void tst_StringUtl::matchingEntries()
{
    QFETCH(QStringList, list);
    QFETCH(QString, typed);
    QFETCH(QList<int>, expected);
    QCOMPARE(findMatchingEntries(list, typed), expected);
}

void tst_StringUtl::tagAt_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::newRow("on the closing character") << "ab <b> cd" << 5 << "<b>" << 3;
    QTest::newRow("on the opening character") << "ab <b> cd" << 3 << "<b>" << 3;
    QTest::newRow("inside") << "x<a href=\"y\">z" << 6 << "<a href=\"y\">" << 1;
    QTest::newRow("second tag") << "<i>text<b>" << 9 << "<b>" << 7;
    QTest::newRow("between tags") << "<i>text<b>" << 5 << "" << -1;
    QTest::newRow("no opening") << "a b>" << 3 << "" << -1;
    QTest::newRow("no closing") << "<a b" << 2 << "" << -1;
    QTest::newRow("opening before the closing") << "<a <b>" << 1 << "" << -1;
    QTest::newRow("out of range") << "<b>" << 3 << "" << -1;
    QTest::newRow("negative") << "<b>" << -1 << "" << -1;
}

void tst_StringUtl::tagAt()
{
    QFETCH(QString, line);
    QFETCH(int, position);
    QFETCH(QString, text);
    QFETCH(int, start);
    const TTagAt tag = getTagAt(line, position, QStringLiteral("<"), QStringLiteral(">"));
    QCOMPARE(tag.text, text);
    QCOMPARE(tag.start, start);
}

void tst_StringUtl::closingPosition_data()
{
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<int>("position");
    QTest::newRow("plain pair") << "<B>{=,=}</B>" << 9;
    QTest::newRow("request in the opening tag")
        << "<A HREF=\"{=Address,url=}\">{=,=}</A>" << 32;
    QTest::newRow("no closing tag") << "<BR>" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("closing tag template") << "</B>" << 0;
    // The caret request inside the opening tag: the closing part is searched after it and
    // counted from the template's start.
    QTest::newRow("caret request before '>'") << "<A HREF=\"{=,=}\"></A>" << 17;
    QTest::newRow("caret request before '>' and '</'") << "<P {=,=}>x</P>" << 11;
    QTest::newRow("nothing after the caret request") << "<P {=,=}>x" << 0;
}

void tst_StringUtl::closingPosition()
{
    QFETCH(QString, templateText);
    QFETCH(int, position);
    QCOMPARE(closingTagPosition(templateText), position);
}

void tst_StringUtl::wacky_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ABC") << "ABC" << 0 << "AbC";
    QTest::newRow("hello world") << "hello world" << 0 << "HeLlO WoRlD";
    QTest::newRow("line breaks count") << "ab\r\ncd" << 0 << "Ab\r\nCd";
    QTest::newRow("odd offset") << "abc" << 1 << "aBc";
    QTest::newRow("non-ASCII kept") << QString::fromUtf8("éaé") << 0 << QString::fromUtf8("éaé");
    QTest::newRow("empty") << "" << 0 << "";
}

void tst_StringUtl::wacky()
{
    QFETCH(QString, text);
    QFETCH(int, offset);
    QFETCH(QString, expected);
    QCOMPARE(wackyCase(text, offset), expected);
}

void tst_StringUtl::relativePath_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("same folder") << "/site/index.html" << "/site/a.gif" << "a.gif";
    QTest::newRow("below") << "/site/index.html" << "/site/img/a.gif" << "img/a.gif";
    QTest::newRow("one above") << "/site/sub/p.html" << "/site/a.gif" << "../a.gif";
    QTest::newRow("two above") << "/site/a/b/p.html" << "/site/x.gif" << "../../x.gif";
    QTest::newRow("at the root") << "/site/p.html" << "/x.gif" << "../x.gif";
    QTest::newRow("beside stays absolute") << "/site/sub/p.html" << "/site/img/a.gif"
                                           << "/site/img/a.gif";
    QTest::newRow("folder name inside another path") << "/a/p.html" << "/x/a/b.gif"
                                                     << "/x/a/b.gif";
    QTest::newRow("prefix of a folder name") << "/site/p.html" << "/sitemap/a.gif"
                                             << "/sitemap/a.gif";
    QTest::newRow("case differs") << "/Site/p.html" << "/site/a.gif" << "/site/a.gif";
    QTest::newRow("relative unchanged") << "/site/p.html" << "img/a.gif" << "img/a.gif";
    QTest::newRow("empty") << "/site/p.html" << "" << "";
}

void tst_StringUtl::relativePath()
{
    QFETCH(QString, document);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    pm::ScriptedDialogs dialogs;
    TFakeWizardDocument doc;
    doc.name = document;
    QCOMPARE(makeRelativePath(path, &doc), expected);
    QCOMPARE(makeRelativePath(path, nullptr), path);
    QVERIFY(dialogs.shown().isEmpty());
}

void tst_StringUtl::relativePathOfUntitled()
{
    pm::ScriptedDialogs dialogs;
    TFakeWizardDocument doc;
    const QString path = QStringLiteral("/site/img/a.gif");
    dialogs.queueAnswer(pm::Dialogs::Answer::No);
    QCOMPARE(makeRelativePath(path, &doc), path);
    QCOMPARE(doc.saves, 0);
    dialogs.queueAnswer(pm::Dialogs::Answer::Yes); // and the Save dialog is cancelled
    QCOMPARE(makeRelativePath(path, &doc), path);
    QCOMPARE(doc.saves, 1);
    doc.savedAs = QStringLiteral("/site/new.html");
    dialogs.queueAnswer(pm::Dialogs::Answer::Yes);
    QCOMPARE(makeRelativePath(path, &doc), QStringLiteral("img/a.gif"));
    QCOMPARE(dialogs.shown().size(), 3);
    QCOMPARE(dialogs.shown().first().text, relativePathSaveQuestion);
    QCOMPARE(dialogs.shown().first().kind, pm::Dialogs::Kind::Warning);
    QCOMPARE(dialogs.shown().first().buttons, pm::Dialogs::Buttons::YesNo);
    QCOMPARE(dialogs.unanswered(), 0);
}

QTEST_GUILESS_MAIN(tst_StringUtl)
#include "tst_string_utl.moc"
