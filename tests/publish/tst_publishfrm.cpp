/** @file tst_publishfrm.cpp ** The publish window as a person uses it: the list and its sources,
 ** saving documents first, runs against a real FTP server (pyftpdlib) and scripted peers on
 ** 127.0.0.1 with every step in the log, dialling through a scripted service, Cancel at the
 ** waits, the failures and their messages, and the settings round trip. **/
#include "DocumentTestKit.h"
#include "PyFtpServer.h"
#include "ScriptedFtpServer.h"
#include "core/global_utl.h"
#include "core/settings_utl.h"
#include "document/Childwin.h"
#include "document/TDocumentHost.h"
#include "platform/NmcliDialUp.h"
#include "platform/RegFileStore.h"
#include "platform/ScriptedDialUp.h"
#include "platform/ScriptedDialogs.h"
#include "project/project_utl.h"
#include "publish/ftpUnit.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace documenttest;

namespace {

/// A port on 127.0.0.1 where nothing listens.
uint16_t closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

/// Where each of `expected` stands in `lines`, in that order; the first one missing, or empty.
QString missingInOrder(const QStringList& lines, const QStringList& expected)
{
    qsizetype at = 0;
    for (const QString& e : expected) {
        at = lines.indexOf(e, at);
        if (at < 0)
            return e;
        ++at;
    }
    return QString();
}

} // namespace

class TestPublishFrm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        setDocumentHost(&m_host);
        useTestFiles(m_dir);
        auto* central = new QWidget(&m_form);
        auto* layout = new QHBoxLayout(central);
        m_host.area = new QMdiArea(central);
        layout->addWidget(m_host.area);
        m_form.setCentralWidget(central);
        m_form.resize(900, 600);
        m_form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_form));
        QString error;
        QVERIFY2(m_server.start(&error), qPrintable(error));
        writeFile(m_dir.filePath(QStringLiteral("d.htm")), "<p>dialled</p>\n");
        m_frm = new TpublishFilesFrm(&m_form, m_dir.path(), fileDialogFilter);
        m_frm->entryChooser = [this](const QStringList& entries) {
            m_offered = entries;
            return entries.value(0);
        };
    }
    void cleanupTestCase()
    {
        delete m_frm;
        setDocumentHost(nullptr);
    }
    void init()
    {
        newProject();
        while (m_frm->list().count() > 0) {
            m_frm->publishList()->selectAll();
            m_frm->removeSelectedItems();
        }
        m_frm->clearLogBtnClick();
        m_frm->remoteFNMaskEdit()->setText(QStringLiteral("*"));
        m_frm->lowerChk()->setChecked(true);
        m_frm->connectedItem()->setChecked(true);
        useServer(m_server.port(), QLatin1String(PyFtpServer::kPassword));
        m_offered.clear();
    }
    void cleanup()
    {
        if (m_frm->run().running()) {
            m_frm->hangUpBtnClick();
            QTRY_VERIFY(!m_frm->run().running());
        }
        closeAll();
        m_dialogs.clear();
    }

    void storesUnderMaskNames_data()
    {
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<bool>("lower");
        QTest::addColumn<QString>("remote");
        QTest::newRow("Index.HTML as index.html") << "Index.HTML"
                                                  << "*" << true << "index.html";
        QTest::newRow("two stars") << "a.htm"
                                   << "pre_*_*.htm" << false << "pre_a.htm_a.htm.htm";
    }
    void storesUnderMaskNames()
    {
        QFETCH(QString, local);
        QFETCH(QString, mask);
        QFETCH(bool, lower);
        QFETCH(QString, remote);
        const QString path = m_dir.filePath(local);
        QByteArray bytes;
        for (int i = 0; i < 300; ++i)
            bytes += "<p>line " + QByteArray::number(i) + "</p>\r\n";
        writeFile(path, bytes);
        pm::ScriptedDialUp dialUp;
        QVERIFY(m_frm->addItem(path));
        m_frm->remoteFNMaskEdit()->setText(mask);
        m_frm->lowerChk()->setChecked(lower);
        QVERIFY(runToEnd());
        QCOMPARE(readAll(m_server.root() + remote), bytes);
        // The run ends with QUIT sent; the server's goodbye follows.
        const QStringList expected { "FTP: Logging in", "FTP:  Connected to 127.0.0.1",
            "FTP: USER pagemason", "FTP: PASS secret", "FTP: SYST", "FTP: Logged in", "FTP: Ready",
            "FTP: Sending '" + path + "' as '" + remote + "'....",
            "FTP: File size is: " + QString::number(bytes.size()) + " bytes",
            "FTP: File successfully stored on server.", "FTP: QUIT", "FTP: 221 Goodbye.",
            "FTP: Disconnected from server" };
        QTRY_VERIFY2(missingInOrder(logLines(), expected).isEmpty(), qPrintable(m_frm->logText()));
        const QStringList lines = logLines();
        // Already connected: nothing is dialled and the log says nothing of dialling.
        QCOMPARE(dialUp.dials(), 0);
        for (const QString& l : lines)
            QVERIFY2(!l.startsWith(u"Dialup:"), qPrintable(l));
        QVERIFY(m_dialogs.shown().isEmpty());
        QVERIFY(m_frm->closeBtn()->isEnabled());
        QVERIFY(m_frm->sendBtn()->isEnabled());
    }

    void aMaskWithoutStarStopsBeforeSaving()
    {
        TMDIChild* w = newDocument();
        w->source().setText(QStringLiteral("<p>new</p>"));
        m_frm->FormShow();
        m_frm->addItem(w->caption(), w);
        m_frm->remoteFNMaskEdit()->setText(QStringLiteral("index.html"));
        m_frm->sendBtnClick();
        QVERIFY(!m_frm->run().running());
        QCOMPARE(m_dialogs.shown().size(), 1);
        QVERIFY(m_dialogs.shown().first().text.startsWith(
            u"index.html\r\n is not a valid mask ('*' not found)."));
        QVERIFY(m_dialogs.fileRequests().isEmpty());
        QVERIFY(w->source().Modified());
        QVERIFY(logLines().isEmpty());
    }

    void documentsAreSavedFirst()
    {
        const QString pagePath = m_dir.filePath(QStringLiteral("page.htm"));
        writeFile(pagePath, "<p>old</p>\n");
        TMDIChild* page = openFile(pagePath);
        QVERIFY(page);
        page->source().setText(QStringLiteral("<p>edited</p>"));
        TMDIChild* untitled = newDocument();
        untitled->source().setText(QStringLiteral("<p>never saved</p>"));
        const QString untitledCaption = untitled->caption();
        m_frm->FormShow();
        QCOMPARE(m_frm->openedFiles()->topLevelItemCount(), 2);
        m_frm->openedFiles()->selectAll();
        m_frm->dropFrom(m_frm->openedFiles());
        QCOMPARE(m_frm->list().count(), 2);
        m_dialogs.queueFiles({}); // the Save dialog of the new document is cancelled
        QVERIFY(runToEnd());
        QCOMPARE(m_dialogs.fileRequests().size(), 1);
        QCOMPARE(m_frm->list().texts(), QStringList { pagePath });
        const QStringList lines = logLines();
        const QString missing = missingInOrder(lines,
            { "Main: '" + pagePath + "' saved.",
                "Main: Window with caption '" + untitledCaption
                    + "' was not saved and removed from list.",
                "FTP: Logging in", "FTP: File successfully stored on server." });
        QVERIFY2(missing.isEmpty(), qPrintable(missing + u'\n' + lines.join(u'\n')));
        QCOMPARE(readAll(m_server.root() + QStringLiteral("page.htm")), readAll(pagePath));
        QVERIFY(readAll(pagePath).contains("edited"));
    }

    void theListAndItsTotal()
    {
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("a.htm")), QByteArray(1234, 'a'));
        writeFile(folder.filePath(QStringLiteral("b.htm")), QByteArray(1000000, 'b'));
        m_frm->setFolder(folder.path());
        QCOMPARE(m_frm->fileList()->count(), 2);
        for (int round = 0; round < 2; ++round) { // the same paths dropped twice
            m_frm->fileList()->selectAll();
            m_frm->dropFrom(m_frm->fileList());
        }
        QCOMPARE(m_frm->list().count(), 2);
        QCOMPARE(
            m_frm->totalSizeLabel()->text(), QStringLiteral("Total files size: 1,001,234 bytes"));
        QCOMPARE(m_frm->totalSizeProgress()->maximum(), 1001234);
        // Dragged out and dropped elsewhere: the item leaves and the total goes down.
        m_frm->publishList()->topLevelItem(1)->setSelected(true);
        m_frm->removeSelectedItems();
        QCOMPARE(m_frm->list().texts(), QStringList { folder.filePath(QStringLiteral("a.htm")) });
        QCOMPARE(m_frm->totalSizeLabel()->text(), QStringLiteral("Total files size: 1,234 bytes"));
        // Project files come as Path followed by Filename.
        addFileToProject(folder.filePath(QStringLiteral("b.htm")));
        m_frm->FormShow();
        QCOMPARE(m_frm->projectFilesList()->topLevelItemCount(), 1);
        m_frm->projectFilesList()->selectAll();
        m_frm->dropFrom(m_frm->projectFilesList());
        QCOMPARE(m_frm->list().count(), 2);
        QCOMPARE(m_frm->list().totalSize(), qint64(1001234));
    }

    void dialling()
    {
        const QString path = m_dir.filePath(QStringLiteral("d.htm"));
        pm::ScriptedDialUp dialUp;
        dialUp.entries = { QStringLiteral("My ISP") };
        m_frm->dialItem()->setChecked(true);
        m_frm->addItem(path);
        // A second run while the window stays open dials and logs in again.
        for (int run = 1; run <= 2; ++run) {
            m_frm->clearLogBtnClick();
            QVERIFY(runToEnd());
            QCOMPARE(dialUp.dials(), run);
            const QStringList lines = logLines();
            const QString missing = missingInOrder(lines,
                { "Dialup: Entries found on system:", "My ISP", "Dialup: End of entries list.",
                    "Dialup: Dialing My ISP...", "Dialup: Opening port",
                    "Dialup: Connecting device", "Dialup: Authenticated", "Dialup: Connected",
                    "Dialup: Online", "FTP: Logging in", "FTP: Logged in",
                    "FTP: File successfully stored on server.", "Dialup: Hanging up...",
                    "Dialup: Offline" });
            QVERIFY2(missing.isEmpty(), qPrintable(missing + u'\n' + lines.join(u'\n')));
        }
        QCOMPARE(m_offered, dialUp.entries);
        QCOMPARE(dialUp.hangUps(), 2);
        QCOMPARE(readAll(m_server.root() + QStringLiteral("d.htm")), readAll(path));
        QVERIFY(m_dialogs.shown().isEmpty());
    }

    void diallingFails_data()
    {
        QTest::addColumn<bool>("noNetworkManager");
        QTest::addColumn<int>("dialResult");
        QTest::addColumn<QString>("logLine");
        QTest::addColumn<QString>("message");
        QTest::newRow("dial refused: stop code 18")
            << false << 633 << "Dialup: Error #633: The port is in use"
            << "Error while trying to connect ISP\r\nTake a look at the log for more information.";
        QTest::newRow("no NetworkManager: no entry, no message")
            << true << 0 << "Dialup: No entry selected. Aborting."
            << "";
    }
    void diallingFails()
    {
        QFETCH(bool, noNetworkManager);
        QFETCH(int, dialResult);
        QFETCH(QString, logLine);
        QFETCH(QString, message);
        pm::ScriptedDialUp dialUp;
        dialUp.entries = { QStringLiteral("My ISP") };
        dialUp.dialResult = dialResult;
        dialUp.errorTexts.insert(633, QStringLiteral("The port is in use"));
        pm::NmcliDialUp nmcli(QStringLiteral("/nonexistent/nmcli"));
        pm::DialUpService* previous = nullptr;
        if (noNetworkManager)
            previous = pm::setDialUpService(&nmcli);
        m_frm->dialItem()->setChecked(true);
        m_frm->addItem(m_dir.filePath(QStringLiteral("d.htm")));
        const bool ended = runToEnd();
        if (noNetworkManager)
            pm::setDialUpService(previous);
        QVERIFY(ended);
        const QStringList lines = logLines();
        const QString missing
            = missingInOrder(lines, { logLine, "Dialup: Hanging up...", "Dialup: Offline" });
        QVERIFY2(missing.isEmpty(), qPrintable(missing + u'\n' + lines.join(u'\n')));
        QVERIFY(!lines.contains(u"FTP: Logging in"_qs));
        QCOMPARE(m_dialogs.shown().size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(m_dialogs.shown().first().text, message);
        if (noNetworkManager)
            QVERIFY(m_offered.isEmpty());
        QVERIFY(m_frm->closeBtn()->isEnabled());
    }

    /// Cancel ends a run at each wait: dialling, and logging in without dialling.
    void cancelAtTheWaits_data()
    {
        QTest::addColumn<bool>("dial");
        QTest::addColumn<QString>("waitFor");
        QTest::newRow("dialling") << true << "Dialup: Connecting device";
        QTest::newRow("logging in, already connected") << false << "FTP: 220 Pagemason waits";
    }
    void cancelAtTheWaits()
    {
        QFETCH(bool, dial);
        QFETCH(QString, waitFor);
        pm::ScriptedDialUp dialUp;
        dialUp.entries = { QStringLiteral("ISP") };
        dialUp.reports = { { 0, 0 }, { 2, 0 } }; // never connected
        // A server that greets and then never answers.
        ScriptedFtpServer quiet([](ScriptedFtpServer::Session& s) {
            s.reply("220 Pagemason waits");
            s.waitForGate();
        });
        useServer(quiet.port(), QStringLiteral("x"));
        m_frm->dialItem()->setChecked(dial);
        m_frm->addItem(m_dir.filePath(QStringLiteral("d.htm")));
        m_frm->sendBtnClick();
        QTRY_VERIFY2(logLines().contains(waitFor), qPrintable(m_frm->logText()));
        QVERIFY(m_frm->run().running());
        QVERIFY(!m_frm->closeBtn()->isEnabled());
        m_frm->hangUpBtn()->click();
        QTRY_VERIFY(!m_frm->run().running());
        quiet.openGate();
        QCOMPARE(m_dialogs.shown().size(), 1);
        QVERIFY(m_dialogs.shown().first().text.startsWith(u"Error: Not connected"));
        QVERIFY(m_frm->closeBtn()->isEnabled());
        // The window is ready for the next run.
        expectSecondRunWorks();
    }

    void failures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("wrong password") << "password"
                                        << "FTP: Error: access denied-> Error";
        QTest::newRow("connection refused") << "refused"
                                            << "FTP: Error: connection refused-> Error";
        QTest::newRow("server goes away") << "away"
                                          << "FTP: Error: disconnected-> Error";
    }
    void failures()
    {
        QFETCH(QString, kind);
        QFETCH(QString, logLine);
        pm::ScriptedDialUp dialUp;
        // Goes away after the login, when the first file is to be sent.
        ScriptedFtpServer leaving([](ScriptedFtpServer::Session& s) {
            s.reply("220 Pagemason leaves soon");
            QByteArray line;
            const QByteArray replies[] = { "331 Password.", "230 In.", "215 UNIX Type: L8" };
            for (const QByteArray& r : replies) {
                if (!s.command(line))
                    return;
                s.reply(r);
            }
            s.command(line);
        });
        if (kind == u"password")
            useServer(m_server.port(), QStringLiteral("wrong"));
        else if (kind == u"refused")
            useServer(closedPort(), QStringLiteral("x"));
        else
            useServer(leaving.port(), QStringLiteral("x"));
        m_frm->addItem(m_dir.filePath(QStringLiteral("d.htm")));
        QVERIFY(runToEnd());
        const QStringList lines = logLines();
        QVERIFY2(lines.contains(logLine), qPrintable(lines.join(u'\n')));
        QVERIFY(!lines.contains(u"FTP: File successfully stored on server."_qs));
        QCOMPARE(m_dialogs.shown().size(), 1);
        QCOMPARE(m_dialogs.shown().first().text,
            QStringLiteral("Error while talking to FTP server\r\nTake a look at the log for more "
                           "information."));
        expectSecondRunWorks();
    }

    /// The run goes on from the event loop: other events are handled and the bars move while a
    /// file is being sent.
    void theWindowStaysUsable()
    {
        const QString path = m_dir.filePath(QStringLiteral("big.bin"));
        QByteArray bytes(16 * 1024 * 1024, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 7);
        writeFile(path, bytes);
        m_frm->addItem(path);
        QSet<int> barValues;
        connect(m_frm->fileSizeProgress(), &QProgressBar::valueChanged, this,
            [&](int value) { barValues.insert(value); });
        int ticksWhileSending = 0;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [&] {
            const QProgressBar* bar = m_frm->fileSizeProgress();
            if (bar->value() > 0 && bar->value() < bar->maximum())
                ++ticksWhileSending;
        });
        sampler.start(1);
        QVERIFY(runToEnd());
        QVERIFY(barValues.size() > 100); // the bar moved block by block
        QVERIFY(ticksWhileSending > 0); // and other events ran meanwhile
        QCOMPARE(readAll(m_server.root() + QStringLiteral("big.bin")), bytes);
    }

    void settingsRoundTrip()
    {
        const QString storeFile = m_dir.filePath(QStringLiteral("round.reg"));
        pm::RegFileStore store(storeFile);
        pm::setSettingsStore(&store);
        m_frm->remoteFNMaskEdit()->setText(QStringLiteral("site_*"));
        m_frm->serverEdit()->setText(QStringLiteral("ftp.example.org"));
        m_frm->portEdit()->setValue(2121);
        m_frm->initDirEdit()->setText(QStringLiteral("/www"));
        m_frm->usernameEdit()->setText(QStringLiteral("me"));
        m_frm->userPassEdit()->setText(QStringLiteral("pa\"ss\\word"));
        m_frm->lowerChk()->setChecked(false);
        m_frm->dialItem()->setChecked(true);
        m_frm->closeBtnClick();
        QVERIFY(saveSettings(settingsKey));
        struct stat st
        {
        };
        QCOMPARE(::stat(QFile::encodeName(storeFile).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));
        globalOptions.publish = TPublishSettings {};
        loadSettings(settingsKey);
        pm::setSettingsStore(nullptr);
        TpublishFilesFrm next(&m_form, m_dir.path(), fileDialogFilter);
        QCOMPARE(next.remoteFNMaskEdit()->text(), QStringLiteral("site_*"));
        QCOMPARE(next.serverEdit()->text(), QStringLiteral("ftp.example.org"));
        QCOMPARE(next.portEdit()->value(), 2121);
        QCOMPARE(next.initDirEdit()->text(), QStringLiteral("/www"));
        QCOMPARE(next.usernameEdit()->text(), QStringLiteral("me"));
        QCOMPARE(next.userPassEdit()->text(), QStringLiteral("pa\"ss\\word"));
        QVERIFY(!next.lowerChk()->isChecked());
        QVERIFY(next.dialItem()->isChecked());
        QVERIFY(next.run().dialFlag());
        globalOptions.publish = TPublishSettings {};
    }

private:
    void useServer(uint16_t port, const QString& password)
    {
        m_frm->serverEdit()->setText(QStringLiteral("127.0.0.1"));
        m_frm->portEdit()->setValue(port);
        m_frm->initDirEdit()->clear();
        m_frm->usernameEdit()->setText(QLatin1String(PyFtpServer::kUser));
        m_frm->userPassEdit()->setText(password);
    }
    bool runToEnd()
    {
        m_frm->sendBtnClick();
        QDeadlineTimer deadline(20000);
        while (m_frm->run().running() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return !m_frm->run().running();
    }
    void expectSecondRunWorks()
    {
        const QString path = m_dir.filePath(QStringLiteral("again.htm"));
        writeFile(path, "<p>again</p>\n");
        QFile::remove(m_server.root() + QStringLiteral("again.htm"));
        while (m_frm->list().count() > 0) {
            m_frm->publishList()->selectAll();
            m_frm->removeSelectedItems();
        }
        m_frm->connectedItem()->setChecked(true);
        useServer(m_server.port(), QLatin1String(PyFtpServer::kPassword));
        m_frm->addItem(path);
        m_dialogs.clear();
        QVERIFY(runToEnd());
        QVERIFY2(m_dialogs.shown().isEmpty(), qPrintable(m_frm->logText()));
        QCOMPARE(readAll(m_server.root() + QStringLiteral("again.htm")), readAll(path));
    }
    QStringList logLines() const
    {
        const QString text = m_frm->logText();
        return text.isEmpty() ? QStringList() : text.split(u'\n');
    }

    QTemporaryDir m_dir;
    Host m_host;
    QMainWindow m_form;
    pm::ScriptedDialogs m_dialogs;
    PyFtpServer m_server;
    TpublishFilesFrm* m_frm = nullptr;
    QStringList m_offered;
};

QTEST_MAIN(TestPublishFrm)
#include "tst_publishfrm.moc"
