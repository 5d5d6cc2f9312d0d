/** @file tst_plugincall.cpp ** Plug-in calls through the helper process: every way a plug-in
 ** can fail ends as -3 with the editor unharmed, the callbacks' values reach the plug-in, and the
 ** wait window can end a call. **/
#include "templates/pluginCall.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

namespace {

const QString plugins = QStringLiteral(TEST_PLUGINS_DIR);

QString collection(const char* name)
{
    return plugins + QLatin1String(name) + QStringLiteral(".so");
}

/// Records what the call asks of it and cancels when told to.
class ScriptedWaitWindow : public TPluginWaitWindow
{
public:
    bool cancelAtOnce = false;
    QStringList shown;
    int hidden = 0;
    void showWaiting(const QString& functionName, const std::function<void()>& cancel) override
    {
        shown.append(functionName);
        if (cancelAtOnce)
            cancel();
    }
    void hideWaiting() override { ++hidden; }
};

TPluginCallOptions quick()
{
    TPluginCallOptions o;
    o.timeoutMs = 2000; // the endless loop ends here instead of after the program's 10 s
    o.waitWindow = nullptr;
    return o;
}

} // namespace

class TestPluginCall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setPluginHostProgram(QStringLiteral(APP_DIR "pagemason-plugin-host"));
        QVERIFY(QFile::exists(pluginHostProgram()));
    }

    void faultsFail_data()
    {
        QTest::addColumn<QString>("library");
        QTest::newRow("segmentation fault") << collection("segfault");
        QTest::newRow("bus error") << collection("bus");
        QTest::newRow("division by zero") << collection("fpe");
        QTest::newRow("illegal instruction") << collection("ill");
        QTest::newRow("abort") << collection("abort");
        QTest::newRow("C++ exception") << collection("throw");
        QTest::newRow("endless loop") << collection("loop");
        QTest::newRow("100 MB text") << collection("huge");
        QTest::newRow("not UTF-8") << collection("badutf8");
        QTest::newRow("no end within the limit") << collection("unterminated");
        QTest::newRow("null pointer") << collection("null");
        QTest::newRow("exits the process") << collection("exit");
    }
    void faultsFail()
    {
        QFETCH(QString, library);
        QVERIFY(QFile::exists(library));
        const TPluginCallResult r = callPlugin(library, QStringLiteral("Fault"), quick());
        QCOMPARE(r.code, -3);
        QVERIFY(r.text.isEmpty());
        // The next call works: nothing of the failed one is left behind.
        QCOMPARE(callPlugin(collection("good"), QStringLiteral("Empty"), quick()).code, 0);
    }

    void resultCodes_data()
    {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("function");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty text") << collection("good") << "Empty" << 0 << "";
        QTest::newRow("lines and non-ASCII text")
            << collection("good") << "Unicode" << 0 << QStringLiteral("Grüße\r\nzwei €");
        QTest::newRow("printing plug-in") << collection("good") << "Chatty" << 0 << "clean";
        QTest::newRow("name is case-sensitive") << collection("good") << "empty" << -1 << "";
        QTest::newRow("no such function") << collection("good") << "Nosuch" << -1 << "";
        QTest::newRow("no such file") << collection("nosuch") << "Empty" << -2 << "";
        QTest::newRow("not a library")
            << QStringLiteral(TEST_DATA_DIR "/templates/errors.mnu") << "Empty" << -2 << "";
        QTest::newRow("the shipped collection")
            << QStringLiteral(APP_DIR "plugins/tools.so") << "LoremIpsum" << 0
            << QStringLiteral("<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do "
                              "eiusmod tempor incididunt ut labore et dolore magna aliqua. Ut enim "
                              "ad minim veniam, quis nostrud exercitation ullamco laboris nisi ut "
                              "aliquip ex ea commodo consequat. Duis aute irure dolor in "
                              "reprehenderit in voluptate velit esse cillum dolore eu fugiat nulla "
                              "pariatur. Excepteur sint occaecat cupidatat non proident, sunt in "
                              "culpa qui officia deserunt mollit anim id est laborum.</p>");
    }
    void resultCodes()
    {
        QFETCH(QString, library);
        QFETCH(QString, function);
        QFETCH(int, code);
        QFETCH(QString, text);
        const TPluginCallResult r = callPlugin(library, function, quick());
        QCOMPARE(r.code, code);
        QCOMPARE(r.text, text);
    }

    void callbacksAnswerWithTheValues()
    {
        TExportedValues v;
        v.selectedText = "Grüße <b>";
        v.caretX = 5;
        v.caretY = 1;
        v.errorsLogFileName = "/app/Pagemason.err";
        v.appPath = "/app/";
        v.pluginsPath = "/app/plugins/";
        setExportedValues(v);
        const TPluginCallResult r
            = callPlugin(collection("good"), QStringLiteral("Callbacks"), quick());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.text, QStringLiteral("Grüße <b>|5|1|/app/Pagemason.err|/app/|/app/plugins/"));
    }

    void everyCallLoadsTheLibraryAfresh()
    {
        for (int i = 0; i < 3; ++i)
            QCOMPARE(callPlugin(collection("good"), QStringLiteral("CallCount"), quick()).text,
                QStringLiteral("1"));
    }

    void textAtTheLimitPassesOneMoreFails()
    {
        // The shipped collection's upper case hands the selection back: a text of exactly
        // the limit passes, one byte more fails.
        TPluginCallOptions o = quick();
        o.maxResultBytes = 1000;
        TExportedValues v;
        v.selectedText = std::string(1000, 'a');
        setExportedValues(v);
        const QString tools = QStringLiteral(APP_DIR "plugins/tools.so");
        QCOMPARE(callPlugin(tools, QStringLiteral("UpperCase"), o).text, QString(1000, u'A'));
        v.selectedText += 'a';
        setExportedValues(v);
        QCOMPARE(callPlugin(tools, QStringLiteral("UpperCase"), o).code, -3);
        setExportedValues(TExportedValues());
    }

    void waitWindowCancelEndsTheCall()
    {
        ScriptedWaitWindow window;
        window.cancelAtOnce = true;
        TPluginCallOptions o;
        o.waitWindow = &window;
        o.waitWindowDelayMs = 50;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(callPlugin(collection("loop"), QStringLiteral("Fault"), o).code, -3);
        QVERIFY2(clock.elapsed() < o.timeoutMs / 2, "Cancel did not end the call");
        QCOMPARE(window.shown, QStringList { QStringLiteral("Fault") });
        QCOMPARE(window.hidden, 1);
    }

    void quickCallShowsNoWaitWindow()
    {
        ScriptedWaitWindow window;
        TPluginCallOptions o;
        o.waitWindow = &window;
        QCOMPARE(callPlugin(collection("good"), QStringLiteral("Empty"), o).code, 0);
        QVERIFY(window.shown.isEmpty());
        QCOMPARE(window.hidden, 0);
    }

    void missingHostFails()
    {
        setPluginHostProgram(QStringLiteral("/nonexistent/pagemason-plugin-host"));
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression(QStringLiteral("could not be started")));
        const TPluginCallResult r
            = callPlugin(collection("good"), QStringLiteral("Empty"), quick());
        setPluginHostProgram(QStringLiteral(APP_DIR "pagemason-plugin-host"));
        QCOMPARE(r.code, -3);
    }
};

QTEST_GUILESS_MAIN(TestPluginCall)
#include "tst_plugincall.moc"
