/** @file tst_templaterunner.cpp ** Running templates: tag case, prefixes and suffixes, placeholders,
 ** command requests, status texts and failures. **/
#include "core/errors_utl.h"
#include "core/global_utl.h"
#include "core/status_utl.h"
#include "editor/TMemoSource.h"
#include "platform/ScriptedDialogs.h"
#include "templates/TRequestActions.h"
#include "templates/TScriptedWizard.h"
#include "templates/dynamicMenus_utl.h"
#include "templates/requestSyntax.h"
#include "templates/templateRunner.h"

#include <QtTest>
#include <stdexcept>

namespace {

class RecordingHost : public TStatusSink
{
public:
    RecordingHost() { setStatusSink(this); }
    ~RecordingHost() override { setStatusSink(nullptr); }
    void statusChanged(const QString& text) override { statuses << text; }
    void progressChanged(int position, int maximum) override { lastProgress = {position, maximum}; }
    void busyChanged(bool on) override { busy = on; }
    QStringList statuses;
    QPair<int, int> lastProgress{-1, -1};
    bool busy = false;
};

/// Actions that record their calls and yield scripted texts.
class ScriptedActions : public TRequestActions
{
public:
    ScriptedActions() { setRequestActions(this); }
    ~ScriptedActions() override { setRequestActions(nullptr); }
    void runRequestAction(const QString& p) override { calls << QStringLiteral("run:") + p; }
    std::optional<QString> menuCommandAction(const QString& p) override
    {
        calls << QStringLiteral("menucommand:") + p;
        if (p == QStringLiteral("throw"))
            throw std::runtime_error("menu");
        return yield;
    }
    std::optional<QString> pluginAction(const QString& p) override
    {
        calls << QStringLiteral("plugin:") + p;
        return yield;
    }
    QStringList calls;
    std::optional<QString> yield;
};

struct PageRow {
    QString description, prefix, suffix;
    int type;
    bool optional;
};

} // namespace

class tst_TemplateRunner : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        globalOptions.tagCase = 2;
        dynamicMenusFileName = QStringLiteral("/app/default.mnu");
    }
    void tagCase_data();
    void tagCase();
    void requestsAndAnswers_data();
    void requestsAndAnswers();
    void answersSideBySideStayText_data();
    void answersSideBySideStayText();
    void pagesCarryPrefixSuffixAndTransformedParameters();
    void messagesBecomeStepsWithoutPages();
    void statusTexts();
    void syntaxErrorIsReportedOnce();
    void cancelledWizardGivesNothing();
    void tooManyWizardRequestsAreRefused();
    void tagEditNotOkStopsAtOnce();
    void runEndsTheRun();
    void menuCommandAndPluginInsertText();
    void actionYieldingNothingDropsPrefixAndSuffix();
    void runawayMenuCommandsStop();
    void unexpectedFailureIsCode14();
    void longTemplateLine();
};

void tst_TemplateRunner::tagCase_data()
{
    QTest::addColumn<int>("tagCase");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::newRow("lower") << 0 << "<B>Bold</B>" << "<b>bold</b>";
    QTest::newRow("upper") << 1 << "<b>Bold</b>" << "<B>BOLD</B>";
    QTest::newRow("unchanged") << 2 << "<B>Bold</B>" << "<B>Bold</B>";
    QTest::newRow("goto and unknown requests are plain text")
        << 1 << "x{= 'g', goto['a'] =}{=,=}y{= 'q', NoSuch =}" << "X{= 'G', GOTO['A'] =}{=,=}Y{= 'Q', NOSUCH =}";
    QTest::newRow("empty") << 0 << "" << "";
    // Only ASCII letters change case: a Latin-1 document must stay Latin-1.
    QTest::newRow("upper leaves other letters") << 1 << u"<b>\u00b5\u00ff\u00e9</b>"_qs
                                                << u"<B>\u00b5\u00ff\u00e9</B>"_qs;
    QTest::newRow("lower leaves other letters") << 0 << u"<B>\u00c9\u0130K\u212a</B>"_qs
                                                << u"<b>\u00c9\u0130k\u212a</b>"_qs;
}

void tst_TemplateRunner::tagCase()
{
    QFETCH(int, tagCase);
    QFETCH(QString, text);
    QFETCH(QString, result);
    globalOptions.tagCase = uint8_t(tagCase);
    TScriptedWizard wizard;
    QCOMPARE(runTemplate(text, QStringLiteral("T")), result);
    QVERIFY(wizard.calls().isEmpty()); // no page, no wizard
}

void tst_TemplateRunner::requestsAndAnswers_data()
{
    QTest::addColumn<int>("tagCase");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("result");

    QTest::newRow("link example")
        << 2 << "<A HREF={= 'Link target', url =}>{=,=}</A>" << QStringList{"index.html"}
        << "<A HREF=index.html>{=,=}</A>";
    QTest::newRow("optional empty answer drops the attribute")
        << 2 << "<IMG SRC={= 'Image', image =} ALIGN={= 'Alignment', -align =}>"
        << QStringList{"pic.gif", ""} << "<IMG SRC=pic.gif>";
    QTest::newRow("required empty answer keeps prefix and suffix")
        << 2 << "<IMG ALT=\"{= 'Alt', string =}\">" << QStringList{""} << "<IMG ALT=\"\">";
    QTest::newRow("quoted value travels with its quotes")
        << 2 << "<IMG SRC=\"{= 'Image', -image =}\">" << QStringList{"a.gif"} << "<IMG SRC=\"a.gif\">";
    QTest::newRow("answers are not transformed, the text around is")
        << 0 << "<FONT FACE={= 'Face', string =}>" << QStringList{"Arial BOLD"} << "<font face=Arial BOLD>";
    QTest::newRow("request at the very end keeps its place")
        << 2 << "ab{= 'x', string =}" << QStringList{"Z"} << "abZ";
    QTest::newRow("request at the start takes the text after it as suffix")
        << 1 << "{= 'x', -string =}cd ef" << QStringList{""} << " EF";
    QTest::newRow("percent answer from the wizard is used as given")
        << 2 << "<HR WIDTH={= 'W', percent =}>" << QStringList{"50%"} << "<HR WIDTH=50%>";
    QTest::newRow("an answer that looks like a placeholder stays text")
        << 2 << "<A{= 'a', string =} B{= 'b', string =}>" << QStringList{"{=1=}", "x"}
        << "<A{=1=} Bx>";
    QTest::newRow("multi-line template")
        << 2 << "<UL>\r\n<LI>{= 'Item', text =}\r\n</UL>" << QStringList{"one\r\ntwo"}
        << "<UL>\r\n<LI>one\r\ntwo\r\n</UL>";
}

void tst_TemplateRunner::requestsAndAnswers()
{
    QFETCH(int, tagCase);
    QFETCH(QString, text);
    QFETCH(QStringList, answers);
    QFETCH(QString, result);
    globalOptions.tagCase = uint8_t(tagCase);
    TScriptedWizard wizard;
    wizard.queueAnswers(answers);
    // What the user answered never reads as a request: its "{=" carries a guard that typing drops.
    QCOMPARE(runTemplate(text, QStringLiteral("Entry")).remove(QChar(answerGuard)), result);
    QCOMPARE(wizard.calls().size(), 1);
    QCOMPARE(wizard.calls().at(0).pages.size(), answers.size());
}

void tst_TemplateRunner::answersSideBySideStayText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("typed");

    QTest::newRow("two answers") << "<P {= 'a', string =}{= 'b', string =}>"
                                 << QStringList{"{", "=,=}"} << "<P {=,=}>";
    QTest::newRow("an empty optional answer between two")
        << "{= 'a', string =}{= 'b', -string =}{= 'c', string =}" << QStringList{"{", "", "=,=}"}
        << "{=,=}";
    QTest::newRow("a prefix and an answer") << "x{{= 'a', string =}" << QStringList{"=,=}"}
                                            << "x{=,=}";
    QTest::newRow("answers that make a goto")
        << "<P {= 'a', string =}{= 'b', string =}>" << QStringList{"{", "= 'g', goto[1] =}"}
        << "<P {= 'g', goto[1] =}>";
    QTest::newRow("the template's own caret request still works")
        << "<P {= 'a', string =}>{=,=}</P>" << QStringList{"{"} << "<P {></P>";
}

void tst_TemplateRunner::answersSideBySideStayText()
{
    // Typed into a document, the answers read as the user wrote them: no request forms where
    // one answer meets another or the text around it.
    QFETCH(QString, text);
    QFETCH(QStringList, answers);
    QFETCH(QString, typed);
    globalOptions.tagCase = 2;
    TScriptedWizard wizard;
    wizard.queueAnswers(answers);
    TMemoSource editor;
    insertResult(runTemplate(text, QStringLiteral("Entry")), editor);
    QCOMPARE(editor.lineCount(), 1);
    QCOMPARE(editor.line(0), typed);
    const int caret = typed.endsWith(QStringLiteral("</P>")) ? int(typed.size()) - 4 : int(typed.size());
    QCOMPARE(editor.CaretX(), caret);
}

void tst_TemplateRunner::pagesCarryPrefixSuffixAndTransformedParameters()
{
    globalOptions.tagCase = 0;
    TScriptedWizard wizard;
    RecordingHost host;
    runTemplate(QStringLiteral("<IMG SRC=\"{= 'Image File', image =}\" ALIGN={= 'Align It', -align =}>"
                               "<FONT FACE={= 'Font', -list['Arial','A'] =}>"),
                QStringLiteral("Image"));
    QCOMPARE(wizard.calls().size(), 1);
    const TScriptedWizard::Call& call = wizard.calls().at(0);
    QCOMPARE(call.title, QStringLiteral("Image"));
    const QList<PageRow> expected{
        {"Image File", " src=\"", "\"", rtImage, false},
        {"Align It", " align=", "", rtAlign, true},
        {"Font", " face=", "", rtList, true},
    };
    QCOMPARE(call.pages.size(), expected.size());
    for (qsizetype k = 0; k < expected.size(); ++k) {
        QCOMPARE(call.pages.at(k).description, expected.at(k).description);
        QCOMPARE(call.pages.at(k).prefix, expected.at(k).prefix);
        QCOMPARE(call.pages.at(k).suffix, expected.at(k).suffix);
        QCOMPARE(call.pages.at(k).type, expected.at(k).type);
        QCOMPARE(call.pages.at(k).optional, expected.at(k).optional);
        QCOMPARE(call.steps.at(k).page, int(k));
    }
    QCOMPARE(call.pages.at(2).parameters, QStringLiteral("'arial','a'"));
    QCOMPARE(host.statuses.last(), QStringLiteral("User canceled wizard. Ready"));
}

void tst_TemplateRunner::messagesBecomeStepsWithoutPages()
{
    TScriptedWizard wizard;
    wizard.queueAnswers({"v"});
    // The blank before a msg request goes with it.
    QCOMPARE(runTemplate(QStringLiteral("<BR {= 'n', msg[Read This] =}><P {= 'x', string =}>"),
                         QStringLiteral("T")),
             QStringLiteral("<BR><P v>"));
    const QList<TWizardStep>& steps = wizard.calls().at(0).steps;
    QCOMPARE(steps.size(), 2);
    QCOMPARE(steps.at(0).page, -1);
    QCOMPARE(steps.at(0).text, QStringLiteral("msg Read This"));
    QCOMPARE(steps.at(0).message, QStringLiteral("Read This"));
    QCOMPARE(steps.at(1).page, 0);

    // Messages alone show no wizard and are typed as nothing.
    TScriptedWizard only;
    QCOMPARE(runTemplate(QStringLiteral("a {= 'n', msg[hi] =}"), QStringLiteral("T")), QStringLiteral("a"));
    QVERIFY(only.calls().isEmpty());
}

void tst_TemplateRunner::statusTexts()
{
    RecordingHost host;
    TScriptedWizard wizard;
    wizard.queueAnswers({"x"});
    runTemplate(QStringLiteral("<B>"), QStringLiteral("T"));
    QCOMPARE(host.statuses, (QStringList{"Checking tag syntax...", "Ready"}));
    host.statuses.clear();
    runTemplate(QStringLiteral("<B {= 'x', string =}>"), QStringLiteral("T"));
    QCOMPARE(host.statuses, (QStringList{"Checking tag syntax...", "Waiting for user input...", "Ready"}));
    QCOMPARE(host.lastProgress, qMakePair(100, 100));
    QVERIFY(!host.busy);

    // Without a host of its own the run still reaches the program's status line.
    setStatusSink(nullptr);
    setStatus(QStringLiteral("before"));
    runTemplate(QStringLiteral("<B>"), QStringLiteral("T"));
    QCOMPARE(lastStatusText(), QStringLiteral("Ready"));
    setStatusSink(&host);
}

void tst_TemplateRunner::syntaxErrorIsReportedOnce()
{
    RecordingHost host;
    pm::ScriptedDialogs dialogs;
    TScriptedWizard wizard;
    QCOMPARE(runTemplate(QStringLiteral("{= 'Width' number =}"), QStringLiteral("T")), QString());
    QCOMPARE(host.statuses.last(), QStringLiteral("Error in tag syntax. Ready"));
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().at(0).text, formatErrorMessage(8, QStringLiteral("19")));
    QVERIFY(wizard.calls().isEmpty());
    QVERIFY(!host.busy);
}

void tst_TemplateRunner::tooManyWizardRequestsAreRefused()
{
    RecordingHost host;
    pm::ScriptedDialogs dialogs;
    TScriptedWizard wizard;
    QString text;
    for (int i = 0; i <= maxWizardPages; ++i)
        text += QStringLiteral("<P>{= 'v', string =}</P>");
    QCOMPARE(runTemplate(text, QStringLiteral("T")), QString());
    QVERIFY(wizard.calls().isEmpty());
    QCOMPARE(dialogs.shown().size(), 1);
    QVERIFY(dialogs.shown().at(0).text.contains(QStringLiteral("at most 100")));
    QCOMPARE(host.statuses.last(), QStringLiteral("Error. Ready"));

    // One page fewer is still asked.
    text.chop(QStringLiteral("<P>{= 'v', string =}</P>").size());
    QStringList answers;
    for (int i = 0; i < maxWizardPages; ++i)
        answers << QStringLiteral("x");
    wizard.queueAnswers(answers);
    QVERIFY(!runTemplate(text, QStringLiteral("T")).isEmpty());
    QCOMPARE(wizard.calls().size(), 1);
}

void tst_TemplateRunner::cancelledWizardGivesNothing()
{
    RecordingHost host;
    TScriptedWizard wizard;
    wizard.queueCancel();
    QCOMPARE(runTemplate(QStringLiteral("<B {= 'x', string =}>"), QStringLiteral("T")), QString());
    QCOMPARE(host.statuses.last(), QStringLiteral("User canceled wizard. Ready"));
}

void tst_TemplateRunner::tagEditNotOkStopsAtOnce()
{
    RecordingHost host;
    tagEditState.ok = false;
    QCOMPARE(runTemplateCore(QStringLiteral("<B>"), QStringLiteral("Editing tag")), QString());
    QCOMPARE(host.statuses, QStringList{"Error. Ready"});
    // A fresh run resets the state.
    QCOMPARE(runTemplate(QStringLiteral("<B>"), QStringLiteral("T")), QStringLiteral("<B>"));
    QVERIFY(tagEditState.ok);
}

void tst_TemplateRunner::runEndsTheRun()
{
    globalOptions.tagCase = 0;
    RecordingHost host;
    ScriptedActions actions;
    TScriptedWizard wizard;
    QCOMPARE(runTemplate(QStringLiteral("A{= 'r', run[/Usr/Bin/Prog] =}{= 'x', string =}"),
                         QStringLiteral("T")),
             QString());
    QCOMPARE(actions.calls, QStringList{"run:/Usr/Bin/Prog"}); // not transformed
    QCOMPARE(host.statuses.last(), QStringLiteral("Ready"));
    QVERIFY(wizard.calls().isEmpty());
    QVERIFY(!host.busy);
}

void tst_TemplateRunner::menuCommandAndPluginInsertText()
{
    globalOptions.tagCase = 1;
    ScriptedActions actions;
    actions.yield = QStringLiteral("<b {= 'w', string =}>");
    TScriptedWizard wizard;
    wizard.queueAnswers({"one", "two"});
    const QString result = runTemplate(
        QStringLiteral("<p {= 'm', menucommand[Format|Bold] =}>{= 'p', plugin[tools.so, Up] =}"),
        QStringLiteral("T"));
    // Inserted texts' requests become pages of the same wizard. A menu entry's text is
    // transformed; a plug-in's is typed as the plug-in wrote it.
    QCOMPARE(actions.calls, (QStringList{"menucommand:FORMAT|BOLD", "plugin:TOOLS.SO, UP"}));
    QCOMPARE(wizard.calls().at(0).pages.size(), 2);
    QCOMPARE(result, QStringLiteral("<P <B one>><b two>"));
}

void tst_TemplateRunner::actionYieldingNothingDropsPrefixAndSuffix()
{
    ScriptedActions actions;
    QCOMPARE(runTemplate(QStringLiteral("a {= 'm', menucommand[X] =}b c"), QStringLiteral("T")),
             QStringLiteral("a c"));
    // The inert default actions behave the same.
    setRequestActions(nullptr);
    QCOMPARE(runTemplate(QStringLiteral("a {= 'p', plugin[x,y] =}b c"), QStringLiteral("T")),
             QStringLiteral("a c"));
}

void tst_TemplateRunner::runawayMenuCommandsStop()
{
    RecordingHost host;
    pm::ScriptedDialogs dialogs;
    ScriptedActions actions;
    actions.yield = QStringLiteral("x{= 'm', menucommand[Self] =}");
    // An entry that includes itself stops at the nesting limit ...
    QCOMPARE(runTemplate(QStringLiteral("{= 'm', menucommand[Self] =}"), QStringLiteral("T")), QString());
    QCOMPARE(actions.calls.size(), maxActionDepth + 1);
    QCOMPARE(dialogs.shown().size(), 1);
    QVERIFY(dialogs.shown().at(0).text.contains(dynamicMenusFileName));
    QVERIFY(dialogs.shown().at(0).text.contains(QStringLiteral("menucommand[SELF]"))
            || dialogs.shown().at(0).text.contains(QStringLiteral("menucommand[Self]")));
    QCOMPARE(host.statuses.last(), QStringLiteral("Error. Ready"));
    // ... texts inserted side by side pass ...
    actions.calls.clear();
    dialogs.clear();
    actions.yield = QStringLiteral("x");
    QString chain = QStringLiteral("{= 'm', menucommand[Self] =}").repeated(maxActionInsertions);
    QCOMPARE(runTemplate(chain, QStringLiteral("T")), QString(maxActionInsertions, u'x'));
    QVERIFY(dialogs.shown().isEmpty());
    // ... up to the limit of insertions in one run.
    chain += QStringLiteral("{= 'm', menucommand[Self] =}");
    QCOMPARE(runTemplate(chain, QStringLiteral("T")), QString());
    QCOMPARE(dialogs.shown().size(), 1);
}

void tst_TemplateRunner::unexpectedFailureIsCode14()
{
    RecordingHost host;
    pm::ScriptedDialogs dialogs;
    ScriptedActions actions;
    QCOMPARE(runTemplate(QStringLiteral("{= 'm', menucommand[throw] =}"), QStringLiteral("T")), QString());
    QCOMPARE(host.statuses.last(), QStringLiteral("Unknown error in tag. Ready"));
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().at(0).text,
             formatErrorMessage(14, QStringLiteral("An error has occured while trying to parse the text "
                                                   "assocciated with the menu item. Please check the "
                                                   "Dynamic Menus file (/app/default.mnu).")));
    QVERIFY(!host.busy);
}

void tst_TemplateRunner::longTemplateLine()
{
    globalOptions.tagCase = 0;
    TScriptedWizard wizard;
    wizard.queueAnswers({"v"});
    const QString text = QString(100000, u'A') + QStringLiteral("{= 'x', string =}");
    const QString result = runTemplate(text, QStringLiteral("T"));
    QCOMPARE(result.size(), 100000 + 1);
    QVERIFY(result.endsWith(QStringLiteral("av")) && result.startsWith(u'a'));
}

QTEST_GUILESS_MAIN(tst_TemplateRunner)
#include "tst_templaterunner.moc"
