/** @file tst_viewer.cpp ** The browser view: the DDE conversations, the viewer program started
 ** without a shell, the desktop's browser, the message without a viewer, and the browser path
 ** defaults. **/
#include "core/StatusRecorder.h"
#include "core/global_utl.h"
#include "document/common/viewer_utl.h"
#include "platform/MemorySettingsStore.h"
#include "platform/RecordingDdeClient.h"
#include "platform/RecordingShell.h"
#include "platform/ScriptedDialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestViewer : public QObject
{
    Q_OBJECT

private slots:
    void init() { globalOptions = optns(); }

    void ddeConversations_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("openItem");
        QTest::newRow("Internet Explorer") << 0 << "/site/a b.htm"
                                           << "IExplore"
                                           << "\"file:/site/a b.htm\",,-1,,,,,";
        QTest::newRow("Netscape") << 1 << "/site/a.htm"
                                  << "Netscape"
                                  << "/site/a.htm,,0xFFFFFFFF,0x3,,,";
        QTest::newRow("untitled: no file") << 0 << ""
                                           << "IExplore"
                                           << "\"file:\",,-1,,,,,";
    }
    void ddeConversations()
    {
        QFETCH(int, type);
        QFETCH(QString, file);
        QFETCH(QString, service);
        QFETCH(QString, openItem);
        pm::RecordingDdeClient dde;
        pm::RecordingShell shell;
        pm::ScriptedDialogs dialogs;
        globalOptions.viewerType = uint8_t(type);
        globalOptions.viewerFileName = QStringLiteral("/opt/browser/run");
        QVERIFY(viewInBrowser(file));
        QCOMPARE(dde.conversations.size(), 1);
        const pm::DdeConversation& c = dde.conversations.first();
        QCOMPARE(c.serviceApplication, QStringLiteral("/opt/browser/run"));
        QCOMPARE(c.service, service);
        QCOMPARE(c.timeoutMs, 10000);
        const QList<pm::DdeRequest> expected = {
            { QStringLiteral("WWW_Activate"), QStringLiteral("0xFFFFFFFF") },
            { QStringLiteral("WWW_OpenURL"), openItem },
        };
        QCOMPARE(c.requests, expected);
        QVERIFY(shell.started.isEmpty() && shell.opened.isEmpty());
        QCOMPARE(dialogs.shown().size(), 0);
    }

    // Without DDE the browser is started with the page's address as its one argument.
    void ddeCarriedOutByStartingTheBrowser()
    {
        pm::RecordingShell shell;
        pm::DesktopDdeClient client;
        QVERIFY(client.converse(browserConversation(
            0, QStringLiteral("/usr/bin/x-www-browser"), QStringLiteral("/my site/a&b;$(x).htm"))));
        QCOMPARE(shell.started.size(), 1);
        QCOMPARE(shell.started[0].program, QStringLiteral("/usr/bin/x-www-browser"));
        QCOMPARE(shell.started[0].arguments,
            QStringList { QStringLiteral("file:///my%20site/a&b;$(x).htm") });
        shell.result = false;
        QVERIFY(!client.converse(
            browserConversation(1, QStringLiteral("/nowhere/netscape"), QStringLiteral("/a.htm"))));
    }

    void otherProgramAndDefaultBrowser_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("viewer");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("arguments"); ///< of the started viewer (type 2)
        QTest::addColumn<QString>("opened"); ///< handed to the desktop (type 3)
        QTest::newRow("name with a blank is one argument")
            << 2 << "/usr/bin/view er"
            << "/site/a b.htm" << QStringList { "/site/a b.htm" } << "";
        QTest::newRow("quotes and shell characters stay text")
            << 2 << "/usr/bin/viewer"
            << "/s/\"x\";rm -rf ~ `id` $(id)|&.htm"
            << QStringList { "/s/\"x\";rm -rf ~ `id` $(id)|&.htm" } << "";
        QTest::newRow("untitled: the viewer alone") << 2 << "/usr/bin/viewer"
                                                    << "" << QStringList() << "";
        QTest::newRow("default browser without a path")
            << 3 << ""
            << "/site/it's here.htm" << QStringList() << "/site/it's here.htm";
    }
    void otherProgramAndDefaultBrowser()
    {
        QFETCH(int, type);
        QFETCH(QString, viewer);
        QFETCH(QString, file);
        QFETCH(QStringList, arguments);
        QFETCH(QString, opened);
        pm::RecordingShell shell;
        pm::RecordingDdeClient dde;
        pm::ScriptedDialogs dialogs;
        globalOptions.viewerType = uint8_t(type);
        globalOptions.viewerFileName = viewer;
        QVERIFY(viewInBrowser(file));
        QCOMPARE(dialogs.shown().size(), 0);
        QVERIFY(dde.conversations.isEmpty());
        if (type == 2) {
            QCOMPARE(shell.started.size(), 1);
            QCOMPARE(shell.started[0].program, viewer);
            QCOMPARE(shell.started[0].arguments, arguments);
            QVERIFY(shell.opened.isEmpty());
        } else {
            QCOMPARE(shell.opened, QStringList { opened });
            QVERIFY(shell.started.isEmpty());
        }
    }

    void commandLineAsLogged()
    {
        QCOMPARE(viewerCommandLine(QStringLiteral("C:\\view.exe"), QStringLiteral("C:\\a b.htm")),
            QStringLiteral("C:\\view.exe C:\\a b.htm"));
    }

    void noBrowserDefined_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("Internet Explorer") << 0;
        QTest::newRow("Netscape") << 1;
        QTest::newRow("other program") << 2;
    }
    void noBrowserDefined()
    {
        QFETCH(int, type);
        pm::RecordingShell shell;
        pm::RecordingDdeClient dde;
        pm::ScriptedDialogs dialogs;
        globalOptions.viewerType = uint8_t(type);
        QVERIFY(!viewInBrowser(QStringLiteral("/site/a.htm")));
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.shown()[0].text,
            QStringLiteral("No browser defined !\r\nPlease define the browser's path using "
                           "Options from the main menu"));
        QCOMPARE(dialogs.shown()[0].buttons, pm::Dialogs::Buttons::Ok);
        QVERIFY(shell.started.isEmpty() && shell.opened.isEmpty() && dde.conversations.isEmpty());
    }

    // A viewer that is not there: no box (as designed), nothing run through a shell, and the
    // status bar says which program failed.
    void missingViewerProgram()
    {
        pm::ScriptedDialogs dialogs;
        TStatusRecorder status;
        globalOptions.viewerType = 2;
        globalOptions.viewerFileName = QStringLiteral("/nonexistent/viewer; touch /tmp/pwned");
        QVERIFY(!viewInBrowser(QStringLiteral("/site/a.htm")));
        QCOMPARE(dialogs.shown().size(), 0);
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/pwned")));
        QCOMPARE(status.texts.value(0),
            QStringLiteral("The viewer could not be started: ") + globalOptions.viewerFileName);
    }

    void browserPathDefaults_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("browserOnPath");
        QTest::addColumn<QString>("netscapeFolder");
        QTest::addColumn<QString>("expected"); ///< "BIN/" stands for the PATH folder
        QTest::newRow("IE: the desktop's browser") << 0 << "" << true << ""
                                                   << "BIN/x-www-browser";
        QTest::newRow("IE: none installed") << 0 << "" << false << ""
                                            << "";
        QTest::newRow("IE: a path stays") << 0 << "/opt/b" << true << ""
                                          << "/opt/b";
        QTest::newRow("Netscape: its folder") << 1 << "" << true << "/opt/netscape"
                                              << "/opt/netscape/Program/Netscape.exe";
        QTest::newRow("Netscape: not installed") << 1 << "" << true << ""
                                                 << "";
        QTest::newRow("Netscape: a path stays") << 1 << "/x" << true << "/opt/ns"
                                                << "/x";
        QTest::newRow("other program") << 2 << "" << true << "/opt/ns"
                                       << "";
        QTest::newRow("default browser") << 3 << "" << true << "/opt/ns"
                                         << "";
    }
    void browserPathDefaults()
    {
        QFETCH(int, type);
        QFETCH(QString, current);
        QFETCH(bool, browserOnPath);
        QFETCH(QString, netscapeFolder);
        QFETCH(QString, expected);
        QTemporaryDir bin;
        if (browserOnPath) {
            QFile browser(bin.filePath(QStringLiteral("x-www-browser")));
            QVERIFY(browser.open(QIODevice::WriteOnly));
            browser.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        pm::MemorySettingsStore store;
        pm::setSettingsStore(&store);
        if (!netscapeFolder.isEmpty())
            store.writeString(QStringLiteral("Software\\Netscape\\Netscape Navigator\\Main"),
                QStringLiteral("Install Directory"), netscapeFolder);
        const QString result = browserPathDefault(type, current);
        pm::setSettingsStore(nullptr);
        qputenv("PATH", path);
        expected.replace(QStringLiteral("BIN/"), bin.path() + u'/');
        QCOMPARE(result, expected);
    }
};

QTEST_GUILESS_MAIN(TestViewer)
#include "tst_viewer.moc"
