/** @file tst_ftp_scripted.cpp ** The FTP client against a scripted server that plays replies line
 ** by line and records every command: login replies, stores, time-outs and hostile input. **/
#include "FtpRecorder.h"
#include "ScriptedFtpServer.h"
#include "net/Ftp.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using Replies = QMap<QByteArray, QByteArray>;
using Commands = QList<QByteArray>;

namespace {

constexpr int kWaitMs = 10000;

Replies with(Replies replies, const Replies& changes)
{
    for (auto it = changes.begin(); it != changes.end(); ++it)
        replies.insert(it.key(), it.value());
    return replies;
}

void aimAt(TStarFtp& ftp, const ScriptedFtpServer& server)
{
    ftp.setFtpServer(QStringLiteral("127.0.0.1"));
    ftp.setFtpPort(server.port());
    ftp.setUserName(QStringLiteral("pm"));
    ftp.setUserPassword(QStringLiteral("pw"));
    ftp.setUserAccount(QStringLiteral("acc"));
}

/// A port nobody listens on.
uint16_t closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof sa;
    ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length);
    ::close(fd);
    return ntohs(sa.sin_port);
}

} // namespace

class TestFtpScripted : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString localFile(const QString& name, const QByteArray& content)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
            return QString();
        return path;
    }

    /// A client logged in to `server` with the standard replies.
    bool logIn(TStarFtp& ftp, FtpRecorder& rec, const ScriptedFtpServer& server)
    {
        aimAt(ftp, server);
        ftp.Connect();
        (void)QTest::qWaitFor([&] { return rec.loggedIn > 0 || !rec.errors.isEmpty(); }, kWaitMs);
        return rec.loggedIn == 1 && rec.errors.isEmpty();
    }

private slots:
    void login_data();
    void login();
    void systemTypes_data();
    void systemTypes();
    void multiLineGreetingWaitsForItsLastLine();
    void refusedGreetingIsFatal();
    void askedValuesFillEmptyProperties();
    void serverAddressOrName_data();
    void serverAddressOrName();
    void portZeroMeansTwentyOne();
    void silentServer_data();
    void silentServer();
    void newConnectLeavesAbortedState();
    void store_data();
    void store();
    void storeRefused_data();
    void storeRefused();
    void secondStoreWhileOneRuns();
    void storePreconditions_data();
    void storePreconditions();
    void endlessReplyLineIsCut();
};

void TestFtpScripted::login_data()
{
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<Replies>("changes");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<Commands>("commands");
    QTest::addColumn<QList<int>>("errors");
    QTest::addColumn<QList<int>>("infos");
    QTest::addColumn<int>("serverType");

    const QList<int> none;
    const QList<int> loggedIn { 0, 11 };
    const QList<int> refusedThenLoggedIn { 0, 13, 11 };
    const QList<int> refused { 0 };
    QTest::newRow("user and password")
        << QByteArray("220 Ready.") << Replies() << "pm"
        << "pw"
        << "acc" << QString() << Commands { "USER pm", "PASS pw", "SYST", "QUIT" } << none
        << loggedIn << int(ftpstUNIX);
    QTest::newRow("230 with inner lines")
        << QByteArray("220 Ready.")
        << Replies { { "PASS",
               "230-Welcome.\r\n230-Still going.\r\n"
               " 230 indented\r\n220 another code\r\n"
               "230 Logged in." } }
        << "pm"
        << "pw"
        << "acc" << QString() << Commands { "USER pm", "PASS pw", "SYST", "QUIT" } << none
        << loggedIn << int(ftpstUNIX);
    QTest::newRow("USER answered 2xx")
        << QByteArray("220 Ready.") << Replies { { "USER", "230 No password needed." } } << "pm"
        << "pw"
        << "acc" << QString() << Commands { "USER pm", "SYST", "QUIT" } << none << loggedIn
        << int(ftpstUNIX);
    QTest::newRow("account asked")
        << QByteArray("220 Ready.") << Replies { { "PASS", "332 Account needed." } } << "pm"
        << "pw"
        << "acc" << QString() << Commands { "USER pm", "PASS pw", "ACCT acc", "SYST", "QUIT" }
        << none << loggedIn << int(ftpstUNIX);
    QTest::newRow("folder changed")
        << QByteArray("220 Ready.") << Replies() << "pm"
        << "pw"
        << "acc"
        << "site/en" << Commands { "USER pm", "PASS pw", "SYST", "CWD site/en", "QUIT" } << none
        << loggedIn << int(ftpstUNIX);
    QTest::newRow("folder refused")
        << QByteArray("220 Ready.") << Replies { { "CWD", "550 No such folder." } } << "pm"
        << "pw"
        << "acc"
        << "gone" << Commands { "USER pm", "PASS pw", "SYST", "CWD gone", "QUIT" } << none
        << refusedThenLoggedIn << int(ftpstUNIX);
    QTest::newRow("password refused")
        << QByteArray("220 Ready.") << Replies { { "PASS", "530 Login incorrect." } } << "pm"
        << "pw"
        << "acc" << QString() << Commands { "USER pm", "PASS pw", "QUIT" } << QList<int> { 27 }
        << refused << int(ftpstDefault);
    QTest::newRow("user refused") << QByteArray("220 Ready.")
                                  << Replies { { "USER", "530 Not allowed." } } << "pm"
                                  << "pw"
                                  << "acc" << QString() << Commands { "USER pm", "QUIT" }
                                  << QList<int> { 27 } << refused << int(ftpstDefault);
    QTest::newRow("account refused")
        << QByteArray("220 Ready.")
        << Replies { { "PASS", "332 Account needed." }, { "ACCT", "332 Still not." } } << "pm"
        << "pw"
        << "acc" << QString() << Commands { "USER pm", "PASS pw", "ACCT acc", "QUIT" }
        << QList<int> { 27 } << refused << int(ftpstDefault);

    // Text that would end the command line and start another is never sent.
    QTest::newRow("user with CR LF")
        << QByteArray("220 Ready.") << Replies() << "pm\r\nDELE index.html"
        << "pw"
        << "acc" << QString() << Commands { "QUIT" } << QList<int> { 27 } << refused
        << int(ftpstDefault);
    QTest::newRow("password with LF") << QByteArray("220 Ready.") << Replies() << "pm"
                                      << "pw\nDELE index.html"
                                      << "acc" << QString() << Commands { "USER pm", "QUIT" }
                                      << QList<int> { 27 } << refused << int(ftpstDefault);
    QTest::newRow("account with NUL")
        << QByteArray("220 Ready.") << Replies { { "PASS", "332 Account needed." } } << "pm"
        << "pw" << QStringLiteral("acc") + QChar(0) + QStringLiteral("DELE x") << QString()
        << Commands { "USER pm", "PASS pw", "QUIT" } << QList<int> { 27 } << refused
        << int(ftpstDefault);
    QTest::newRow("folder with CR LF")
        << QByteArray("220 Ready.") << Replies() << "pm"
        << "pw"
        << "acc"
        << "site\r\nDELE index.html" << Commands { "USER pm", "PASS pw", "SYST", "QUIT" } << none
        << refusedThenLoggedIn << int(ftpstUNIX);
    QTest::newRow("folder with CR")
        << QByteArray("220 Ready.") << Replies() << "pm"
        << "pw"
        << "acc"
        << "site\rRMD site" << Commands { "USER pm", "PASS pw", "SYST", "QUIT" } << none
        << refusedThenLoggedIn << int(ftpstUNIX);
}

void TestFtpScripted::login()
{
    QFETCH(QByteArray, greeting);
    QFETCH(Replies, changes);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, account);
    QFETCH(QString, folder);
    QFETCH(Commands, commands);
    QFETCH(QList<int>, errors);
    QFETCH(QList<int>, infos);
    QFETCH(int, serverType);

    ScriptedFtpServer server(ftpDialogue(greeting, with(standardReplies(), changes)));
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    aimAt(ftp, server);
    ftp.setUserName(user);
    ftp.setUserPassword(password);
    ftp.setUserAccount(account);
    ftp.setInitialDirectory(folder);
    ftp.Connect();
    QTRY_VERIFY_WITH_TIMEOUT(rec.loggedIn > 0 || !rec.errors.isEmpty(), kWaitMs);
    if (rec.loggedIn > 0) {
        QVERIFY(ftp.Success());
        ftp.Quit();
    }
    // The server closes after QUIT: the client reports it and is done.
    QTRY_COMPARE_WITH_TIMEOUT(rec.quit, 1, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(server.finished(), kWaitMs);
    QCOMPARE(server.failure(), QByteArray());
    QCOMPARE(server.commands(), commands);
    QCOMPARE(rec.errors, errors);
    QCOMPARE(rec.loggedIn, errors.isEmpty() ? 1 : 0);
    const QList<int> codes = rec.infoCodes();
    // Sent commands (5) aside, the info codes come in the expected order, ending "Disconnected".
    QList<int> withoutSent;
    for (int c : codes) {
        if (c != ftpInfoSent)
            withoutSent.append(c);
    }
    QCOMPARE(withoutSent, infos + QList<int> { ftpInfoDisconnected });
    QCOMPARE(rec.text(ftpInfoDisconnected), QStringLiteral("Disconnected"));
    QCOMPARE(int(ftp.ServerType()), serverType);
    QVERIFY(!ftp.Success() == !errors.isEmpty());
}

void TestFtpScripted::systemTypes_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("type");
    QTest::newRow("unix") << QByteArray("215 UNIX Type: L8") << int(ftpstUNIX);
    QTest::newRow("lower case") << QByteArray("215 unix type: l8") << int(ftpstUNIX);
    QTest::newRow("unix and vms") << QByteArray("215 UNIX emulation on VMS") << int(ftpstVmsUcx);
    QTest::newRow("vms multinet") << QByteArray("215 VMS MultiNet V4.4") << int(ftpstVmsMultinet);
    QTest::newRow("vm") << QByteArray("215 VM/ESA version 2") << int(ftpstVM);
    QTest::newRow("vm vps") << QByteArray("215 VM/VPS") << int(ftpstVMVPS);
    QTest::newRow("mvs") << QByteArray("215 MVS is the operating system") << int(ftpstMVS);
    QTest::newRow("ultrix") << QByteArray("215 ULTRIX") << int(ftpstULTRIX);
    QTest::newRow("chameleon") << QByteArray("215 NetManage Chameleon") << int(ftpstChameleon);
    QTest::newRow("ncsa") << QByteArray("215 NCSA Telnet") << int(ftpstNCSA);
    QTest::newRow("name in the code") << QByteArray("UNIX Windows_NT") << int(ftpstDefault);
    QTest::newRow("refused") << QByteArray("500 UNIX? Never heard of it.") << int(ftpstDefault);
}

void TestFtpScripted::systemTypes()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, type);
    ScriptedFtpServer server(
        ftpDialogue("220 Ready.", with(standardReplies(), { { "SYST", reply } })));
    TStarFtp ftp;
    ftp.setServerType(ftpstAutoDetect);
    FtpRecorder rec(ftp);
    QVERIFY(logIn(ftp, rec, server));
    QCOMPARE(int(ftp.ServerType()), type);
    QCOMPARE(server.commands(), (Commands { "USER pm", "PASS pw", "SYST" }));
}

void TestFtpScripted::multiLineGreetingWaitsForItsLastLine()
{
    const QByteArray firstLines = "220-Welcome.\r\n220-Uploads go to /incoming.\r\n";
    ScriptedFtpServer server([&](ScriptedFtpServer::Session& s) {
        s.send(firstLines);
        s.waitForGate();
        s.send("220 Ready.\r\n");
        ftpDialogue(QByteArray())(s);
    });
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    aimAt(ftp, server);
    ftp.Connect();
    QTRY_COMPARE_WITH_TIMEOUT(rec.receivedBytes, firstLines.size(), kWaitMs);
    QCOMPARE(rec.sent(), QStringList());
    server.openGate();
    QTRY_COMPARE_WITH_TIMEOUT(rec.loggedIn, 1, kWaitMs);
    QCOMPARE(rec.sent(), (QStringList { "USER pm", "PASS pw", "SYST" }));
}

void TestFtpScripted::refusedGreetingIsFatal()
{
    ScriptedFtpServer server(ftpDialogue("421 Too many users, try later."));
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    aimAt(ftp, server);
    ftp.Connect();
    QTRY_COMPARE_WITH_TIMEOUT(rec.quit, 1, kWaitMs);
    QCOMPARE(rec.errors, QList<int> { ftpErrNotReady });
    QCOMPARE(rec.errorTexts, QStringList { "Error" });
    QVERIFY(!ftp.Success());
    QTRY_VERIFY_WITH_TIMEOUT(server.finished(), kWaitMs);
    QCOMPARE(server.commands(), Commands());
}

void TestFtpScripted::askedValuesFillEmptyProperties()
{
    ScriptedFtpServer server(
        ftpDialogue("220 Ready.", with(standardReplies(), { { "PASS", "332 Account needed." } })));
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    QList<int> asked;
    ftp.setOnFtpNeedInfo([&](QObject*, int need, QString& value) {
        asked.append(need);
        const char* answers[] = { "127.0.0.1", "asked-user", "asked-pass", "asked-acct" };
        value = QLatin1String(answers[need]);
    });
    ftp.setFtpPort(server.port());
    ftp.setUserPassword(QStringLiteral("given"));
    ftp.Connect();
    QTRY_COMPARE_WITH_TIMEOUT(rec.loggedIn, 1, kWaitMs);
    // Only what was empty is asked for.
    QCOMPARE(asked, (QList<int> { niServer, niUser, niAccount }));
    QCOMPARE(ftp.FtpServer(), QStringLiteral("127.0.0.1"));
    QCOMPARE(server.commands(),
        (Commands { "USER asked-user", "PASS given", "ACCT asked-acct", "SYST" }));
}

void TestFtpScripted::serverAddressOrName_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QList<int>>("infos");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("address") << "127.0.0.1" << QList<int> { 0 } << QStringList { "127.0.0.1" };
    QTest::newRow("name") << "localhost" << QList<int> { 2, 3, 0 }
                          << QStringList { "localhost", "127.0.0.1", "127.0.0.1" };
}

void TestFtpScripted::serverAddressOrName()
{
    QFETCH(QString, server);
    QFETCH(QList<int>, infos);
    QFETCH(QStringList, texts);
    ScriptedFtpServer script(ftpDialogue("220 Ready."));
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    aimAt(ftp, script);
    ftp.setFtpServer(server);
    ftp.Connect();
    QTRY_COMPARE_WITH_TIMEOUT(rec.loggedIn, 1, kWaitMs);
    QList<int> codes;
    QStringList seen;
    for (const auto& [code, text] : rec.infos) {
        if (code == ftpInfoSent)
            break;
        codes.append(code);
        seen.append(text);
    }
    QCOMPARE(codes, infos);
    QCOMPARE(seen, texts);
}

void TestFtpScripted::portZeroMeansTwentyOne()
{
    // Port 21 is only ours to take as root with nothing else on it.
    ScriptedFtpServer server(ftpDialogue("220 Ready."), 21);
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    ftp.setFtpServer(QStringLiteral("127.0.0.1"));
    ftp.setFtpPort(0);
    ftp.setUserName(QStringLiteral("pm"));
    ftp.setUserPassword(QStringLiteral("pw"));
    ftp.Connect();
    QCOMPARE(ftp.Port(), uint16_t(21));
    QCOMPARE(ftp.FtpPort(), uint16_t(0));
    if (!server.listening())
        QSKIP("port 21 is taken or needs root; the address record was checked");
    QTRY_COMPARE_WITH_TIMEOUT(rec.loggedIn, 1, kWaitMs);
    QCOMPARE(server.commands(), (Commands { "USER pm", "PASS pw", "SYST" }));
}

void TestFtpScripted::silentServer_data()
{
    QTest::addColumn<bool>("answersUser");
    QTest::addColumn<int>("timeout");
    QTest::addColumn<Commands>("commands");
    QTest::addColumn<int>("error");
    QTest::newRow("no greeting") << false << 1 << Commands() << int(ftpErrTimeout);
    QTest::newRow("no reply to USER") << true << 1 << Commands { "USER pm" } << int(ftpErrTimeout);
    // Without a time-out a server that closes in the middle still ends the exchange.
    QTest::newRow("gone after USER") << true << 0 << Commands { "USER pm" } << int(ftpErrReset);
}

void TestFtpScripted::silentServer()
{
    QFETCH(bool, answersUser);
    QFETCH(int, timeout);
    QFETCH(Commands, commands);
    QFETCH(int, error);
    ScriptedFtpServer server([&](ScriptedFtpServer::Session& s) {
        if (answersUser) {
            s.reply("220 Ready.");
            QByteArray line;
            s.command(line);
        }
        if (timeout > 0)
            s.waitForClose();
    });
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    aimAt(ftp, server);
    ftp.setTimeOutConnect(timeout);
    ftp.Connect();
    QTRY_COMPARE_WITH_TIMEOUT(rec.quit, 1, kWaitMs);
    QCOMPARE(rec.errors, QList<int> { error });
    QCOMPARE(server.failure(), QByteArray());
    QCOMPARE(rec.loggedIn, 0);
    QVERIFY(!ftp.Success());
    QCOMPARE(ftp.Handle(), TStarSocket::kInvalidSocket);
    QTRY_VERIFY_WITH_TIMEOUT(server.finished(), kWaitMs);
    QCOMPARE(server.commands(), commands);
}

void TestFtpScripted::newConnectLeavesAbortedState()
{
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    ftp.setFtpServer(QStringLiteral("127.0.0.1"));
    ftp.setFtpPort(closedPort());
    ftp.Connect();
    QTRY_COMPARE_WITH_TIMEOUT(rec.errors, QList<int> { ftpErrRefused }, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(rec.quit, 1, kWaitMs);

    ScriptedFtpServer server(ftpDialogue("220 Ready."));
    rec.errors.clear();
    QVERIFY(logIn(ftp, rec, server));
    QCOMPARE(server.commands(), (Commands { "USER pm", "PASS pw", "SYST" }));
}

void TestFtpScripted::store_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("type");
    QTest::newRow("binary") << int(BinaryTransfer) << QByteArray("TYPE I");
    QTest::newRow("ascii") << int(AsciiTransfer) << QByteArray("TYPE A");
}

void TestFtpScripted::store()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, type);
    const QByteArray content = QByteArray(5000, 'x') + "<p>end</p>\n";
    ScriptedFtpServer server(ftpDialogue("220 Ready."));
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    QVERIFY(logIn(ftp, rec, server));
    rec.infos.clear();
    ftp.setTransferMode(TTransferType(mode));
    ftp.setLocalFile(localFile(QStringLiteral("page.html"), content));
    ftp.setRemoteFile(QStringLiteral("Page One.html"));
    ftp.StoreFile();
    QTRY_COMPARE_WITH_TIMEOUT(rec.storedSuccess, QList<bool> { true }, kWaitMs);
    QCOMPARE(rec.ready, 2);
    QCOMPARE(ftp.BytesTransferred(), content.size());
    QCOMPARE(rec.text(ftpInfoFileSize), QString::number(content.size()));
    QCOMPARE(rec.count(ftpInfoProgress), 3); // 2048 + 2048 + 915 bytes
    QCOMPARE(rec.text(ftpInfoTransferDone), QStringLiteral("Transfer done"));
    ftp.Quit();
    QTRY_COMPARE_WITH_TIMEOUT(rec.quit, 1, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(server.finished(), kWaitMs);
    QCOMPARE(server.failure(), QByteArray());
    QCOMPARE(server.stored().value("Page One.html"), content);

    const Commands commands = server.commands();
    QCOMPARE(commands.size(), 7);
    QCOMPARE(commands.mid(0, 4), (Commands { "USER pm", "PASS pw", "SYST", type }));
    // The data port is offered on the control connection's own address.
    QVERIFY2(QRegularExpression(QStringLiteral("^PORT 127,0,0,1,\\d+,\\d+$"))
                 .match(QString::fromLatin1(commands.at(4)))
                 .hasMatch(),
        commands.at(4).constData());
    QCOMPARE(commands.mid(5), (Commands { "STOR Page One.html", "QUIT" }));
}

void TestFtpScripted::storeRefused_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("dataSent");
    QTest::newRow("553 before any data") << QByteArray("553 Not allowed.") << false;
    // 426 comes with the data connection open: the store fails once the data side has ended.
    QTest::newRow("426 after the data")
        << QByteArray("426 Connection closed; transfer aborted.") << true;
}

void TestFtpScripted::storeRefused()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, dataSent);
    const QByteArray content(3000, 'y');
    ScriptedFtpServer server(
        ftpDialogue("220 Ready.", with(standardReplies(), { { "STOR", reply } })));
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    QVERIFY(logIn(ftp, rec, server));
    rec.infos.clear();
    ftp.setLocalFile(localFile(QStringLiteral("refused.html"), content));
    ftp.setRemoteFile(QStringLiteral("refused.html"));
    ftp.StoreFile();
    QTRY_COMPARE_WITH_TIMEOUT(rec.storedSuccess, QList<bool> { false }, kWaitMs);
    QCOMPARE(rec.count(ftpInfoRefused), 1);
    QCOMPARE(rec.errors, QList<int>());
    QCOMPARE(rec.ready, 2);
    QCOMPARE(rec.count(ftpInfoTransferDone), dataSent ? 1 : 0);

    // The connection stays logged in: the next store goes through the same steps.
    ftp.StoreFile();
    QTRY_COMPARE_WITH_TIMEOUT(rec.storedSuccess.size(), 2, kWaitMs);
    ftp.Quit();
    QTRY_VERIFY_WITH_TIMEOUT(server.finished(), kWaitMs);
    QCOMPARE(server.stored().contains("refused.html"), dataSent);
    Commands commands = server.commands();
    QCOMPARE(commands.size(), 3 + 3 + 3 + 1);
    QCOMPARE(commands.at(5), QByteArray("STOR refused.html"));
    QCOMPARE(commands.at(8), QByteArray("STOR refused.html"));
    QCOMPARE(commands.last(), QByteArray("QUIT"));
}

void TestFtpScripted::secondStoreWhileOneRuns()
{
    ScriptedFtpServer server(ftpDialogue("220 Ready."));
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    QVERIFY(logIn(ftp, rec, server));
    rec.infos.clear();
    ftp.setLocalFile(localFile(QStringLiteral("one.html"), QByteArray(10000, 'a')));
    ftp.setRemoteFile(QStringLiteral("one.html"));
    ftp.StoreFile();
    ftp.setRemoteFile(QStringLiteral("two.html"));
    ftp.StoreFile();
    QCOMPARE(rec.count(ftpInfoBusy), 1);
    ftp.Quit();
    QCOMPARE(rec.count(ftpInfoBusy), 2);
    QTRY_COMPARE_WITH_TIMEOUT(rec.storedSuccess, QList<bool> { true }, kWaitMs);
    ftp.Quit();
    QTRY_VERIFY_WITH_TIMEOUT(server.finished(), kWaitMs);
    const Commands commands = server.commands();
    QCOMPARE(commands.size(), 3 + 3 + 1);
    QCOMPARE(commands.at(3), QByteArray("TYPE I"));
    QCOMPARE(commands.at(5), QByteArray("STOR one.html"));
    QCOMPARE(commands.at(6), QByteArray("QUIT"));
    QCOMPARE(server.stored().keys(), QList<QByteArray> { "one.html" });
}

void TestFtpScripted::storePreconditions_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("remote");
    QTest::addColumn<QList<int>>("errors");
    QTest::addColumn<QList<int>>("infos");

    QTest::newRow("not connected") << false << "a.html"
                                   << "a.html" << QList<int>() << QList<int> { 1 };
    QTest::newRow("no remote name")
        << true << "a.html" << QString() << QList<int> { 24 } << QList<int>();
    QTest::newRow("no local file")
        << true << QString() << "a.html" << QList<int> { 21 } << QList<int>();
    QTest::newRow("local file missing") << true << "missing.html"
                                        << "a.html" << QList<int> { 21 } << QList<int>();
    QTest::newRow("local folder") << true << "."
                                  << "a.html" << QList<int> { 21 } << QList<int>();
    QTest::newRow("remote name with CR LF")
        << true << "a.html"
        << "a.html\r\nDELE index.html" << QList<int> { 24 } << QList<int>();
    QTest::newRow("remote name with LF")
        << true << "a.html"
        << "a.html\nDELE index.html" << QList<int> { 24 } << QList<int>();
    QTest::newRow("remote name with NUL")
        << true << "a.html" << QStringLiteral("a.html") + QChar(0) + QStringLiteral("x")
        << QList<int> { 24 } << QList<int>();
}

void TestFtpScripted::storePreconditions()
{
    QFETCH(bool, connected);
    QFETCH(QString, local);
    QFETCH(QString, remote);
    QFETCH(QList<int>, errors);
    QFETCH(QList<int>, infos);
    localFile(QStringLiteral("a.html"), "<p>a</p>");
    ScriptedFtpServer server(ftpDialogue("220 Ready."));
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    if (connected)
        QVERIFY(logIn(ftp, rec, server));
    rec.infos.clear();
    rec.ready = 0;
    ftp.setLocalFile(local.isEmpty() ? local : m_dir.filePath(local));
    ftp.setRemoteFile(remote);
    ftp.StoreFile();
    QCOMPARE(rec.errors, errors);
    QCOMPARE(rec.infoCodes(), infos);
    QVERIFY(!ftp.Success());
    // The ready notification comes from the event loop, never from inside StoreFile.
    QCOMPARE(rec.ready, 0);
    QTRY_COMPARE_WITH_TIMEOUT(rec.ready, 1, kWaitMs);
    QCOMPARE(rec.storedSuccess, QList<bool>());
    if (connected) {
        // Nothing of the refused store reached the server, and the connection still works.
        ftp.Quit();
        QTRY_VERIFY_WITH_TIMEOUT(server.finished(), kWaitMs);
        QCOMPARE(server.commands(), (Commands { "USER pm", "PASS pw", "SYST", "QUIT" }));
    }
}

void TestFtpScripted::endlessReplyLineIsCut()
{
    const int length = 1024 * 1024;
    ScriptedFtpServer server([&](ScriptedFtpServer::Session& s) {
        s.send("220 " + QByteArray(length, 'x'));
        s.waitForGate();
        ftpDialogue("")(s); // its empty greeting line ends the long one
    });
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    aimAt(ftp, server);
    ftp.Connect();
    int mostHeld = 0;
    QTRY_VERIFY_WITH_TIMEOUT(
        (mostHeld = std::max(mostHeld, ftp.PendingReplyBytes()), rec.receivedBytes >= length + 4),
        kWaitMs);
    QVERIFY2(mostHeld <= ReplyLineBuffer::kMaxLine + 1, QByteArray::number(mostHeld));
    QVERIFY(ftp.PendingReplyBytes() <= ReplyLineBuffer::kMaxLine + 1);
    QCOMPARE(rec.sent(), QStringList());
    server.openGate();
    // The cut line still counts as the greeting.
    QTRY_COMPARE_WITH_TIMEOUT(rec.loggedIn, 1, kWaitMs);
    QCOMPARE(server.commands(), (Commands { "USER pm", "PASS pw", "SYST" }));
}

QTEST_GUILESS_MAIN(TestFtpScripted)
#include "tst_ftp_scripted.moc"
