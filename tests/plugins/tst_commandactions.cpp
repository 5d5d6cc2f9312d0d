/** @file tst_commandactions.cpp ** The command requests of templates: plugin with its error
 ** codes, menucommand paths, the goto forms, run through the shell double, message steps. **/
#include "core/errors_utl.h"
#include "core/global_utl.h"
#include "document/common/string_utl.h"
#include "editor/TMemoSource.h"
#include "editor/TSearchOptions.h"
#include "platform/RecordingShell.h"
#include "platform/ScriptedDialogs.h"
#include "templates/TMenusFile.h"
#include "templates/TRequestActions.h"
#include "templates/TScriptedWizard.h"
#include "templates/commandActions_utl.h"
#include "templates/dynamicMenusBar.h"
#include "templates/dynamicMenus_utl.h"
#include "templates/pluginCall.h"
#include "templates/requestCommands_utl.h"
#include "templates/templateRunner.h"

#include <QAction>
#include <QFile>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

/// The command actions of the program, on a menu bar and an editor of the test's own.
class ModelActions : public TRequestActions
{
public:
    QMenuBar* menu = nullptr;
    TMemoSource* editor = nullptr;
    ModelActions() { setRequestActions(this); }
    ~ModelActions() override { setRequestActions(nullptr); }
    void runRequestAction(const QString& p) override { ::runRequestAction(p); }
    std::optional<QString> menuCommandAction(const QString& p) override
    {
        return ::menuCommandAction(menu, p);
    }
    std::optional<QString> pluginAction(const QString& p) override
    {
        return ::pluginAction(p, exportedValuesFor(editor));
    }
    void gotoAction(const QString& p, TMemoSource& e) override { ::gotoAction(p, e); }
};

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList shownTexts(const pm::ScriptedDialogs& dialogs)
{
    QStringList out;
    for (const auto& s : dialogs.shown())
        out << s.text;
    return out;
}

} // namespace

class TestCommandActions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        setPluginHostProgram(QStringLiteral(APP_DIR "pagemason-plugin-host"));
        setPluginWaitWindow(nullptr);
        // A plug-ins folder holding the shipped collection and the test ones.
        const QString folder = m_dir.filePath(QStringLiteral("plugins/"));
        QDir().mkpath(folder);
        QVERIFY(QFile::link(QStringLiteral(APP_DIR "plugins/tools.so"), folder + "tools.so"));
        for (const char* name : { "good", "segfault", "loop" })
            QVERIFY(QFile::link(
                QStringLiteral(TEST_PLUGINS_DIR) + name + ".so", folder + name + ".so"));
        pluginsFolder = folder;
        applicationFolder = m_dir.path() + u'/';
        errorLogFileName = applicationFolder + QStringLiteral("Pagemason.err");
        dynamicMenusFileName = m_dir.filePath(QStringLiteral("default.mnu"));
        writeFile(dynamicMenusFileName,
            "Dynamic Menus File - Orvane\r\n{auto insert tags when new html is created\r\n}\r\n"
            "{&Format\r\nitem=[&Bold]\r\n<B>{=,=}</B>\r\n{Headings\r\nitem=[H1]\r\n<H1>{=,=}</"
            "H1>\r\n}\r\n"
            "item=[Self]\r\nx{= 'again', menucommand[Format|Self] =}\r\n}\r\n");
        loadDynamicMenus(dynamicMenusFileName, &m_bar, 0, [](QAction*) {});
        QCOMPARE(menuEntryTexts.size(), 4);
        m_actions.menu = &m_bar;
        m_actions.editor = &m_editor;
    }
    void init()
    {
        globalOptions.tagCase = 2;
        m_editor.setText(QStringLiteral("hello world\r\nsecond line"));
        m_editor.clearSelection();
        m_editor.setCaret(0, 0);
    }

    void pluginParameters_data()
    {
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QString>("collection");
        QTest::addColumn<QString>("function");
        QTest::newRow("blanks in the function name") << "tools.so, Upper Case"
                                                     << "tools.so"
                                                     << "UpperCase";
        QTest::newRow("leading blanks stay") << "  tools.so  ,Up,per"
                                             << "  tools.so"
                                             << "Upper";
        QTest::newRow("no comma") << "Upper Case"
                                  << ""
                                  << "UpperCase";
    }
    void pluginParameters()
    {
        QFETCH(QString, parameters);
        const TPluginRequest r = parsePluginParameters(parameters);
        QTEST(r.collection, "collection");
        QTEST(r.function, "function");
    }

    void pluginRequests_data()
    {
        QTest::addColumn<int>("tagCase");
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("error"); ///< the one message shown, or none

        QTest::newRow("Upper Case calls UpperCase of the collection")
            << 2 << "{= 'u', plugin[tools.so, Upper Case] =}"
            << "HELLO"
            << "";
        QTest::newRow("empty text keeps prefix and suffix")
            << 2 << "<IMG ALT=\"{= 'a', plugin[good.so, Empty] =}\">"
            << "<IMG ALT=\"\">"
            << "";
        QTest::newRow("lower tag case lowers the function name")
            << 0 << "{= 'c', plugin[good.so, Callbacks] =}"
            << "" << formatErrorMessage(21, QStringLiteral("callbacks"));
        // The shipped collection exports its names in all three cases, and the collection is
        // found whatever the case of its name; the plug-in's text is not changed.
        QTest::newRow("upper tag case: collection found, text kept")
            << 1 << "x{= 'l', plugin[tools.so, LowerCase] =}"
            << "Xhello"
            << "";
        QTest::newRow("lower tag case: text kept") << 0 << "X{= 'l', plugin[tools.so, UpperCase] =}"
                                                   << "xHELLO"
                                                   << "";
        QTest::newRow("missing collection, named without its folder")
            << 2 << "a {= 'u', plugin[nosuch.so, F] =} b"
            << "a b" << formatErrorMessage(22, QStringLiteral("nosuch.so"));
        QTest::newRow("text with requests becomes pages")
            << 2 << "{= 'w', plugin[good.so, WithRequest] =}"
            << "<B bold>"
            << "";
    }
    void pluginRequests()
    {
        QFETCH(int, tagCase);
        QFETCH(QString, templateText);
        QFETCH(QString, error);
        globalOptions.tagCase = uint8_t(tagCase);
        m_editor.setSelection(smStream, 0, 0, 5, 0); // "hello"
        pm::ScriptedDialogs dialogs;
        TScriptedWizard wizard;
        wizard.queueAnswers({ QStringLiteral("bold") });
        QTEST(runTemplate(templateText, QStringLiteral("T")), "result");
        QCOMPARE(shownTexts(dialogs), error.isEmpty() ? QStringList() : QStringList { error });
        QVERIFY(!templateRunAbandoned());
    }

    void crashingPluginAbandonsTheRun()
    {
        pm::ScriptedDialogs dialogs;
        m_editor.setSelection(smStream, 0, 0, 5, 0);
        menuEntryTexts.append(QStringLiteral("<P>{= 'x', plugin[segfault.so, Fault] =}</P>"));
        dynamicMenuItemClick(
            int32_t(menuEntryTexts.size() - 1), QStringLiteral("Crash"), &m_editor);
        menuEntryTexts.removeLast();
        QCOMPARE(shownTexts(dialogs), QStringList { formatErrorMessage(23, QString()) });
        QVERIFY(templateRunAbandoned());
        QCOMPARE(m_editor.text(), QStringLiteral("hello world\r\nsecond line"));
        QCOMPARE(m_editor.SelText(), QStringLiteral("hello"));
    }

    void menuPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("found"); ///< caption of the item, empty for none
        QTest::newRow("entry of a menu") << "Format|Bold"
                                         << "&Bold";
        QTest::newRow("captions without & and case") << "FORMAT|bold"
                                                     << "&Bold";
        QTest::newRow("a missing segment is skipped") << "Format|Nosuch|Bold"
                                                      << "&Bold";
        QTest::newRow("entry of a submenu") << "Format|Headings|H1"
                                            << "H1";
        QTest::newRow("a submenu") << "Format|Headings"
                                   << "Headings";
        QTest::newRow("top-level menu only") << "Format"
                                             << "";
        QTest::newRow("no such top-level menu") << "Nosuch|Bold"
                                                << "";
        QTest::newRow("& of the path is not a caption's") << "&Format|Bold"
                                                          << "";
    }
    void menuPaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, found);
        QAction* item = findMenuItemByPath(&m_bar, path);
        QCOMPARE(item ? item->text() : QString(), found);
    }

    void menuCommands_data()
    {
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("error");
        QTest::newRow("inserts the entry's template") << "x{= 'b', menucommand[Format|Bold] =}y"
                                                      << "x<B>{=,=}</B>y"
                                                      << "";
        QTest::newRow("top-level path: code 19")
            << "a {= 'b', menucommand[Format] =} c"
            << "a c" << formatErrorMessage(19, QStringLiteral("Format"));
        QTest::newRow("a submenu inserts nothing, silently")
            << "a {= 'b', menucommand[Format|Headings] =} c"
            << "a c"
            << "";
    }
    void menuCommands()
    {
        QFETCH(QString, templateText);
        QFETCH(QString, error);
        pm::ScriptedDialogs dialogs;
        QTEST(runTemplate(templateText, QStringLiteral("T")), "result");
        QCOMPARE(shownTexts(dialogs), error.isEmpty() ? QStringList() : QStringList { error });
    }

    void menuCommandReachingItselfStops()
    {
        pm::ScriptedDialogs dialogs;
        QCOMPARE(
            runTemplate(QStringLiteral("{= 's', menucommand[Format|Self] =}"), QStringLiteral("T")),
            QString());
        QCOMPARE(dialogs.shown().size(), 1);
        const QString text = dialogs.shown().first().text;
        QVERIFY2(text.contains(QStringLiteral("menucommand[Format|Self]"))
                && text.contains(QStringLiteral("16 levels")),
            qPrintable(text));
    }

    void gotoForms_data()
    {
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("line");
        // From the caret at (1, 0) in a page whose "</TITLE>" starts at column 13 of line 1.
        QTest::newRow("to the text") << "'</TITLE>'" << 13 << 1;
        QTest::newRow("lines down") << "'</TITLE>', 3" << 13 << 4;
        QTest::newRow("a column left") << "'</TITLE>', -1, 0" << 12 << 1;
        QTest::newRow("plus signs") << "'</TITLE>', +2, +1" << 15 << 2;
        QTest::newRow("without regard to case") << "'</title>'" << 13 << 1;
        QTest::newRow("not found: stays") << "'</TABLE>'" << 1 << 0;
        QTest::newRow("offset not a number: stays") << "'</TITLE>', x" << 1 << 0;
    }
    void gotoForms()
    {
        QFETCH(QString, parameters);
        TMemoSource page;
        page.setText(QStringLiteral(
            "<HTML>\r\n<HEAD><TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n</BODY>\r\n</HTML>"));
        page.setCaret(1, 0);
        searchOptions().TextToFind = QStringLiteral("mine");
        gotoAction(parameters, page);
        QTEST(page.CaretX(), "column");
        QTEST(page.CaretY(), "line");
        QCOMPARE(searchOptions().TextToFind, QStringLiteral("mine")); // the user's search stays
    }

    void gotoWhileTyping()
    {
        TMemoSource page;
        page.setText(QStringLiteral("<TITLE></TITLE>"));
        page.setCaret(15, 0);
        insertResult(QStringLiteral("<P>{= 'g', goto['</TITLE>'] =}Home"), page);
        QCOMPARE(page.text(), QStringLiteral("<TITLE>Home</TITLE><P>"));
    }

    void runOpensExactlyThatName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("executable");
        for (const char* name : { "a;b.html", "x|y.html", "$(touch pwned).html", "it's \"q\".html",
                 "with blank.html", "`id`.html" })
            QTest::newRow(name) << QString::fromUtf8(name) << false;
        QTest::newRow("an executable with ; and blanks") << "prog; rm -rf x" << true;
    }
    void runOpensExactlyThatName()
    {
        QFETCH(QString, name);
        QFETCH(bool, executable);
        const QString path = m_dir.filePath(name);
        writeFile(path, "#!/bin/sh\n");
        if (executable)
            QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
        pm::RecordingShell shell;
        globalOptions.tagCase = 1; // run's parameters keep their case
        const QString templateText = QStringLiteral("{= 'r', run[") + path + QStringLiteral("] =}");
        QCOMPARE(runTemplate(templateText, QStringLiteral("T")), QString());
        if (executable) {
            QCOMPARE(shell.opened, QStringList());
            QCOMPARE(shell.started.size(), 1);
            QCOMPARE(shell.started.first().program, path);
            QCOMPARE(shell.started.first().arguments, QStringList());
        } else {
            QCOMPARE(shell.opened, QStringList { path });
            QCOMPARE(shell.openedUrls.first().toLocalFile(), path);
            QVERIFY(shell.started.isEmpty());
        }
        QFile::remove(path);
    }

    void runDoesNothingWithWhatIsNoName_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("command line") << "sh -c 'touch x'";
        QTest::newRow("chained") << "true; touch x";
        QTest::newRow("piped") << "ls | sh";
        QTest::newRow("substituted") << "$(touch x)";
        QTest::newRow("missing file") << "/nonexistent/page.html";
    }
    void runDoesNothingWithWhatIsNoName()
    {
        QFETCH(QString, text);
        pm::RecordingShell shell;
        runRequestAction(text);
        QVERIFY(shell.opened.isEmpty());
        QVERIFY(shell.started.isEmpty());
    }

    void runStartsAProgramOnThePath()
    {
        pm::RecordingShell shell;
        runRequestAction(QStringLiteral("sh"));
        QCOMPARE(shell.started.size(), 1);
        QVERIFY(shell.started.first().program.endsWith(QStringLiteral("/sh")));
        runRequestAction(QStringLiteral("https://example.org/a b;c"));
        QCOMPARE(shell.opened, QStringList { QStringLiteral("https://example.org/a b;c") });
    }

    void messagesAloneShowNothing()
    {
        pm::ScriptedDialogs dialogs;
        TScriptedWizard wizard;
        QCOMPARE(runTemplate(QStringLiteral("x {= 'm', msg[Hello] =} y {= 'n', msg[Again] =}"),
                     QStringLiteral("T")),
            QStringLiteral("x y"));
        QVERIFY(wizard.calls().isEmpty());
        QVERIFY(dialogs.shown().isEmpty());
    }

    void shippedMenuReachesTheShippedPlugins()
    {
        const TMenusFile menus
            = readMenusFile(QStringLiteral(TEST_DATA_DIR "/../../shipped/default.mnu"));
        QCOMPARE(menus.errorCode, uint8_t(0));
        static const QRegularExpression request(QStringLiteral("\\{=[^=]*plugin\\[([^\\]]*)\\]"));
        int requests = 0;
        for (const QString& text : menus.entryTexts) {
            for (const QRegularExpressionMatch& m : request.globalMatch(text)) {
                ++requests;
                // Whatever the user's tag case makes of the names, the function is there.
                for (uint8_t tagCase : { 0, 1, 2 }) {
                    globalOptions.tagCase = tagCase;
                    const TPluginRequest r = parsePluginParameters(applyTagCase(m.captured(1)));
                    const TPluginCallResult result = callPlugin(
                        pluginCollectionPath(QStringLiteral(APP_DIR "plugins/"), r.collection),
                        r.function);
                    QVERIFY2(result.code == 0, qPrintable(r.collection + u' ' + r.function));
                }
            }
        }
        QCOMPARE(requests, 16);
    }

    void exportedCallbacksInTheProgram()
    {
        m_editor.setSelection(smStream, 6, 0, 0, 1); // "world" and the line break
        m_editor.setCaret(5, 1);
        setExportedValues(exportedValuesFor(&m_editor));
        TCaretPoint point { -1, -1 };
        getCaretPoint(&point);
        QCOMPARE(point.x, 5);
        QCOMPARE(point.y, 1);
        QCOMPARE(QString::fromUtf8(getSelectedText()), QStringLiteral("world"));
        QCOMPARE(QString::fromUtf8(getAppPath()), applicationFolder);
        QCOMPARE(QString::fromUtf8(getPlugInsPath()), pluginsFolder);
        QVERIFY(QString::fromUtf8(getPlugInsPath()).endsWith(QStringLiteral("plugins/")));
        QCOMPARE(QString::fromUtf8(getErrorsLogFileName()), errorLogFileName);
    }

private:
    QTemporaryDir m_dir;
    QMenuBar m_bar;
    TMemoSource m_editor;
    ModelActions m_actions;
};

QTEST_MAIN(TestCommandActions)
#include "tst_commandactions.moc"
