/** @file tst_tagparser.cpp ** Editing the tag at the caret: finding the tag, reading its
 ** attributes, matching the template line, pre-filled pages and the rebuilt tag. **/
#include "core/StatusRecorder.h"
#include "core/errors_utl.h"
#include "core/global_utl.h"
#include "editor/TMemoSource.h"
#include "platform/ScriptedDialogs.h"
#include "templates/TScriptedWizard.h"
#include "templates/requestSyntax.h"
#include "templates/tagParser.h"
#include "templates/templateRunner.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

/// "type:description=answer" per page, with "(w,h)" for a size handed to an image page.
QStringList describe(const QList<TWizardPage>& pages)
{
    QStringList out;
    for (const TWizardPage& p : pages) {
        QString s = QString::number(p.type) + u':' + p.description + u'=' + p.answer;
        if (p.type == rtImage)
            s += u'(' + p.width + u',' + p.height + u')';
        out << s;
    }
    return out;
}

} // namespace

class TestTagParser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void init() { globalOptions.tagCase = 2; }

    void enclosingTag_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("start");
        const QString img = QStringLiteral("a <IMG SRC=a.gif> b");
        QTest::newRow("inside") << img << 8 << "<IMG SRC=a.gif>" << 3;
        QTest::newRow("just after the >") << img << 17 << "<IMG SRC=a.gif>" << 3;
        QTest::newRow("just after the <") << img << 3 << "" << 0;
        QTest::newRow("just before the <") << img << 2 << "" << 0;
        QTest::newRow("outside, after it") << img << 19 << "" << 0;
        QTest::newRow("column 0 before a tag") << "<B>bold</B>" << 0 << "<B>" << 1;
        QTest::newRow("column 0 before text") << "bold <B>" << 0 << "" << 0;
        QTest::newRow("to the end of the line") << "x <A HREF=page" << 6 << "<A HREF=page" << 3;
        QTest::newRow("from the start of the line") << "SRC=a.gif>" << 3 << "SRC=a.gif>" << 1;
        QTest::newRow("caret beyond the line's end") << "<HR>" << 9 << "<HR>" << 1;
        QTest::newRow("between two tags") << "<A><B>" << 3 << "<A>" << 1;
        QTest::newRow("empty line") << "" << 0 << "" << 0;
    }
    void enclosingTag()
    {
        QFETCH(QString, line);
        QFETCH(int, caret);
        const TEnclosingTag found = findEnclosingTag(line, caret);
        QTEST(found.text, "tag");
        QTEST(found.start, "start");
    }

    void attributes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("namePart");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("closingPart");
        QTest::addColumn<QString>("rest");
        QTest::newRow("double quotes") << " SRC=\"a.gif\" WIDTH=10>"
                                       << " SRC=\""
                                       << "a.gif"
                                       << "\""
                                       << " WIDTH=10>";
        QTest::newRow("no quotes") << " WIDTH=10>"
                                   << " WIDTH="
                                   << "10"
                                   << ""
                                   << ">";
        QTest::newRow("single quotes keep blanks") << " ALT='x y' B=1>"
                                                   << " ALT='"
                                                   << "x y"
                                                   << "'"
                                                   << " B=1>";
        QTest::newRow("blank after =") << " A= \"v\">"
                                       << " A= \""
                                       << "v"
                                       << "\""
                                       << ">";
        QTest::newRow("no value") << " NOSHADE WIDTH=1>"
                                  << " NOSHADE"
                                  << ""
                                  << ""
                                  << " WIDTH=1>";
        QTest::newRow("quote not closed") << " ALT=\"x>"
                                          << " ALT=\""
                                          << "x"
                                          << ""
                                          << ">";
        QTest::newRow("closing part up to {") << " SRC=\"a\"/{x"
                                              << " SRC=\""
                                              << "a"
                                              << "\"/"
                                              << "{x";
    }
    void attributes()
    {
        QFETCH(QString, text);
        QString cut = text;
        qsizetype position = 0;
        const TAttribute a = extractAttribute(cut, position, true);
        QTEST(a.namePart, "namePart");
        QTEST(a.value, "value");
        QTEST(a.closingPart, "closingPart");
        QTEST(cut, "rest");
        QCOMPARE(position, 0);
        // Without cut only the position moves, to where the attribute ended.
        QString kept = text;
        position = 0;
        extractAttribute(kept, position, false);
        QCOMPARE(kept, text);
        QCOMPARE(text.mid(position), cut);
    }

    void templateLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QStringList>("matching");
        const QStringList images { "<IMG SRC={= 'a', image =}>", "<I>{=,=}</I>",
            "<IMG ALT={= 'b', string =}>", "<IMG SRC=x>" };
        QTest::newRow("longest shared prefix, in file order")
            << images << "<IMG SRC=a.gif>" << QStringList { images.at(0), images.at(3) };
        QTest::newRow("lower-case tag, upper-case line")
            << images << "<img alt=x>" << QStringList { images.at(2) };
        QTest::newRow("an indented line never matches")
            << QStringList { " <IMG SRC={= 'a', image =}>" } << "<IMG SRC=a.gif>" << QStringList();
        QTest::newRow("the name alone")
            << images << "<IMG>" << QStringList { images.at(0), images.at(2), images.at(3) };
    }
    void templateLines()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, tag);
        QTEST(matchTemplateLines(lines, tag), "matching");
    }

    void openingTag_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("cut");
        QTest::newRow("after the opening tag") << "<A HREF=\"{= 'x', url =}\">{=,=}</A>"
                                               << "<A HREF=\"{= 'x', url =}\">";
        QTest::newRow("a > inside a request does not end it")
            << "<IMG ALT={= 'a > b', string =}>{=,=}"
            << "<IMG ALT={= 'a > b', string =}>";
        QTest::newRow("no > at all") << "<A HREF={= 'x', url =}"
                                     << "<A HREF={= 'x', url =}";
    }
    void openingTag()
    {
        QFETCH(QString, line);
        QTEST(cutAfterOpeningTag(line), "cut");
    }

    void editTag_data()
    {
        QTest::addColumn<QString>("templates"); ///< lines of the menus file, CR LF between
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("tagCase");
        QTest::addColumn<QStringList>("answers"); ///< the user's changes; none: Finish as shown
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("status");

        const QString img = QStringLiteral("<IMG SRC=\"{= 'Picture', image =}\">{=,=}");
        QTest::newRow("image page and an extra page for what the template lacks")
            << img << "<IMG SRC=\"a.gif\" WIDTH=10 BORDER=0>" << 2 << QStringList()
            << QStringList { "11:Picture=a.gif(10,)", "3: BORDER=0=0" }
            << "<IMG SRC=\"a.gif\" BORDER=0>"
            << "Ready";
        QTest::newRow("changed answers")
            << img << "<IMG SRC=a.gif BORDER=0>" << 2 << QStringList { "b.gif", "2" }
            << QStringList { "11:Picture=a.gif(,)", "3: BORDER=0=0" }
            << "<IMG SRC=\"b.gif\" BORDER=2>"
            << "Ready";
        const QString font = QStringLiteral(
            "<FONT COLOR=\"#{= 'Colour', color =}\" SIZE={= 'Size', -number =}>{=,=}</FONT>");
        QTest::newRow("lower-case tag, rebuilt in the template's case")
            << font << "<font color=\"#ff0000\" size=3>" << 2 << QStringList { "00FF00" }
            << QStringList { "8:Colour=#ff0000", "4:Size=3" } << "<FONT COLOR=\"#00FF00\" SIZE=3>"
            << "Ready";
        QTest::newRow("and in the tag case")
            << font << "<FONT COLOR=\"#FF0000\">" << 0 << QStringList { "FF0000" }
            << QStringList { "8:Colour=#FF0000", "4:Size=" } << "<font color=\"#FF0000\">"
            << "Ready";
        QTest::newRow("an attribute the template writes is not asked again")
            << "<TABLE BORDER=0 WIDTH={= 'Width', number =}>"
            << "<table border=0 width=5>" << 2 << QStringList() << QStringList { "4:Width=5" }
            << "<TABLE BORDER=0 WIDTH=5>"
            << "Ready";
        QTest::newRow("a template tag without = is refused")
            << "<B>{=,=}</B>"
            << "<B>" << 2 << QStringList() << QStringList() << ""
            << "Error. Ready";
        QTest::newRow("an indented template line never matches")
            << " <HR SIZE={= 'Size', number =}>"
            << "<HR SIZE=2>" << 2 << QStringList() << QStringList() << ""
            << "Error. Ready";
        QTest::newRow("no tag at the caret")
            << img << "" << 2 << QStringList() << QStringList() << ""
            << "Error. Ready";
        QTest::newRow("the longest match is used")
            << "<A NAME={= 'n', string =}>\r\n<A HREF={= 'h', url =}>"
            << "<A HREF=x.html>" << 2 << QStringList() << QStringList { "6:h=x.html" }
            << "<A HREF=x.html>"
            << "Ready";
    }
    void editTag()
    {
        QFETCH(QString, templates);
        QFETCH(QString, tag);
        QFETCH(int, tagCase);
        QFETCH(QStringList, answers);
        writeMenus(templates);
        globalOptions.tagCase = uint8_t(tagCase);
        TStatusRecorder status;
        TScriptedWizard wizard;
        wizard.queueAnswers(answers);
        QTEST(editTagAtCaret(tag), "result");
        QTEST(wizard.calls().isEmpty() ? QStringList() : describe(wizard.calls().first().pages),
            "pages");
        QTEST(status.texts.last(), "status");
        QVERIFY(!tagEditState.active);
        if (!wizard.calls().isEmpty())
            QCOMPARE(wizard.calls().first().title, QStringLiteral("Editing tag"));
    }

    void cancelEditsNothing()
    {
        writeMenus(QStringLiteral("<IMG SRC={= 'Picture', image =}>"));
        TStatusRecorder status;
        TScriptedWizard wizard;
        wizard.queueCancel();
        TMemoSource page;
        page.setText(QStringLiteral("x <IMG SRC=a.gif> y"));
        page.setCaret(6, 0);
        QVERIFY(!editTagAtCursor(page));
        QCOMPARE(page.text(), QStringLiteral("x <IMG SRC=a.gif> y"));
        QCOMPARE(status.texts.last(), QStringLiteral("User canceled wizard. Ready"));
    }

    void replacementIsOneUndoStep()
    {
        writeMenus(QStringLiteral("<IMG SRC={= 'Picture', image =} ALT=\"{= 'Text', text =}\">"));
        TScriptedWizard wizard;
        wizard.queueAnswers({ QStringLiteral("b.gif"), QStringLiteral("two\r\nlines") });
        TMemoSource page;
        page.setText(QStringLiteral("first\r\nx <IMG SRC=a.gif> y"));
        page.setCaret(6, 1);
        const qsizetype records = page.undoLog().size();
        QVERIFY(editTagAtCursor(page));
        QCOMPARE(page.text(), QStringLiteral("first\r\nx <IMG SRC=b.gif ALT=\"two\r\nlines\"> y"));
        page.Undo();
        QCOMPARE(page.text(), QStringLiteral("first\r\nx <IMG SRC=a.gif> y"));
        QCOMPARE(page.undoLog().size(), records);
    }

    void unreadableDateIsReportedAndTheWizardOpens()
    {
        writeMenus(QStringLiteral("<META CONTENT=\"{= 'When', date =}\">"));
        pm::ScriptedDialogs dialogs;
        TScriptedWizard wizard;
        wizard.queueCancel();
        editTagAtCaret(QStringLiteral("<META CONTENT=\"tomorrow\">"));
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.shown().first().text,
            formatErrorMessage(14, QStringLiteral("Invalid date:\r\ntomorrow")));
        QCOMPARE(wizard.calls().size(), 1);
    }

    void missingMenusFileIsCode1()
    {
        dynamicMenusFileName = m_dir.filePath(QStringLiteral("missing.mnu"));
        pm::ScriptedDialogs dialogs;
        TScriptedWizard wizard;
        QCOMPARE(editTagAtCaret(QStringLiteral("<B>")), QString());
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.shown().first().text, formatErrorMessage(1, dynamicMenusFileName));
        QVERIFY(wizard.calls().isEmpty());
    }

private:
    /// A menus file whose one entry holds `templates`; only its lines matter to tag editing.
    void writeMenus(const QString& templates)
    {
        dynamicMenusFileName = m_dir.filePath(QStringLiteral("default.mnu"));
        QFile f(dynamicMenusFileName);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Dynamic Menus File - Orvane\r\n{auto insert tags when new html is created\r\n}\r\n"
                "{&Tags\r\nitem=[Entry]\r\n");
        f.write(templates.toUtf8() + "\r\n}\r\n");
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestTagParser)
#include "tst_tagparser.moc"
