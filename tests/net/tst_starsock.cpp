/** @file tst_starsock.cpp ** The asynchronous socket: connect, accept, send, receive and close as
 ** events from the loop, lookups off the GUI thread, the countdown, and the error numbering. **/
#include "net/starsock.h"

#include <QTest>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 10000;

/// Records the events of one socket by name, with LastError at each.
struct Events
{
    explicit Events(TStarSocket& s)
    {
        auto note = [this](const char* name) {
            return [this, name](TStarSocket* sender) {
                names.append(QByteArray(name));
                errors.append(sender->LastError());
            };
        };
        s.setOnResolved(note("resolved"));
        s.setOnSocketConnect(note("connect"));
        s.setOnSocketClose(note("close"));
        s.setOnSocketRead(note("read"));
        s.setOnSocketWrite(note("write"));
        s.setOnSocketAccept(note("accept"));
        s.setOnSocketTimeout(note("timeout"));
    }
    int count(const char* name) const { return int(names.count(QByteArray(name))); }
    QList<QByteArray> names;
    QList<uint16_t> errors;
};

/// A socket listening on 127.0.0.1 on a free port.
void listenOnLoopback(TStarSocket& listener)
{
    listener.StartWinsock();
    listener.SetAddressText(QStringLiteral("127.0.0.1"));
    listener.SetPort(0);
    listener.CreateSocket();
    listener.ListenSocket();
}

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

class TestStarSocket : public QObject
{
    Q_OBJECT
private slots:
    void connectAcceptSendReceiveClose();
    void refusedConnect();
    void countdown();
    void connectStopsCountdown();
    void resolve_data();
    void resolve();
    void secondLookupWhilePendingDoesNothing();
    void abortDropsPendingLookup();
    void createSocket();
    void postedMessagesComeFromTheLoop();
    void errorNumbering_data();
    void errorNumbering();
};

void TestStarSocket::connectAcceptSendReceiveClose()
{
    TStarSocket listener;
    listenOnLoopback(listener);
    QCOMPARE(listener.LastError(), uint16_t(0));
    const uint16_t port = listener.LocalPort();
    QVERIFY(port != 0);
    QCOMPARE(listener.LocalAddressText(), QStringLiteral("127.0.0.1"));

    TStarSocket server;
    server.StartWinsock();
    Events serverEvents(server);
    listener.setOnSocketAccept([&](TStarSocket* l) { server.AcceptFrom(l); });

    TStarSocket client;
    Events clientEvents(client);
    client.StartWinsock();
    client.CreateSocket();
    client.SetAddressText(QStringLiteral("127.0.0.1"));
    client.SetPort(port);
    QCOMPARE(client.AddressText(), QStringLiteral("127.0.0.1"));
    client.ConnectSocket();
    QCOMPARE(client.LastError(), uint16_t(0));
    // Nothing is raised from inside the call, even on the loopback.
    QCOMPARE(clientEvents.names, QList<QByteArray>());
    QTRY_VERIFY_WITH_TIMEOUT(server.Connected(), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(
        clientEvents.names, (QList<QByteArray> { "connect", "write" }), kWaitMs);
    QCOMPARE(clientEvents.errors.first(), uint16_t(0));
    QVERIFY(client.Connected());
    QCOMPARE(server.AddressText(), QStringLiteral("127.0.0.1"));
    QCOMPARE(server.Port(), client.LocalPort());

    QCOMPARE(client.SendData("hello", 5), 5);
    QTRY_COMPARE_WITH_TIMEOUT(serverEvents.count("read"), 1, kWaitMs);
    char buffer[16] = {};
    QCOMPARE(server.ReceiveData(buffer, sizeof buffer), 5);
    QCOMPARE(QByteArray(buffer, 5), QByteArray("hello"));
    QCOMPARE(server.ReceiveData(buffer, sizeof buffer), 0); // would block: nothing, no error
    QCOMPARE(server.LastError(), uint16_t(0));

    // The peer closing is one close event; the handle is dropped after it.
    server.AbortSocket();
    QTRY_COMPARE_WITH_TIMEOUT(clientEvents.count("close"), 1, kWaitMs);
    QCOMPARE(client.Handle(), TStarSocket::kInvalidSocket);
    QVERIFY(!client.Connected());
}

void TestStarSocket::refusedConnect()
{
    TStarSocket client;
    Events events(client);
    client.StartWinsock();
    client.CreateSocket();
    client.SetAddressText(QStringLiteral("127.0.0.1"));
    client.SetPort(closedPort());
    client.ConnectSocket();
    QCOMPARE(client.LastError(), uint16_t(0));
    QTRY_COMPARE_WITH_TIMEOUT(events.names, QList<QByteArray> { "connect" }, kWaitMs);
    QCOMPARE(events.errors, QList<uint16_t> { WSAECONNREFUSED });
}

void TestStarSocket::countdown()
{
    TStarSocket s;
    Events events(s);
    s.StartWinsock();
    s.CreateSocket();
    s.SetTimeout(0);
    QCOMPARE(s.Countdown(), 0);
    s.SetTimeout(5);
    QCOMPARE(s.Countdown(), 5);
    s.SetTimeout(0); // only stops it
    QCOMPARE(s.Countdown(), 0);
    QVERIFY(s.Handle() != TStarSocket::kInvalidSocket);

    s.SetTimeout(1);
    QTRY_COMPARE_WITH_TIMEOUT(events.names, QList<QByteArray> { "timeout" }, kWaitMs);
    QCOMPARE(s.Handle(), TStarSocket::kInvalidSocket);
    QCOMPARE(s.Countdown(), 0);
}

void TestStarSocket::connectStopsCountdown()
{
    TStarSocket listener;
    listenOnLoopback(listener);
    TStarSocket client;
    Events events(client);
    client.StartWinsock();
    client.setTimeOutConnect(30);
    client.CreateSocket();
    client.SetAddressText(QStringLiteral("127.0.0.1"));
    client.SetPort(listener.LocalPort());
    client.ConnectSocket();
    QCOMPARE(client.Countdown(), 30);
    QTRY_COMPARE_WITH_TIMEOUT(events.count("connect"), 1, kWaitMs);
    QCOMPARE(client.Countdown(), 0);
}

void TestStarSocket::resolve_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");
    QTest::newRow("localhost") << "localhost" << true;
    QTest::newRow("reserved never to resolve") << "no-such-host.invalid" << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("with NUL") << QStringLiteral("localhost") + QChar(0) + QStringLiteral("x")
                              << false;
}

void TestStarSocket::resolve()
{
    QFETCH(QString, name);
    QFETCH(bool, found);
    TStarSocket s;
    Events events(s);
    s.StartWinsock();
    s.ResolveHost(name);
    QCOMPARE(s.LastError(), uint16_t(0));
    QVERIFY(s.RequestHandle() != 0);
    QCOMPARE(events.names, QList<QByteArray>());
    QTRY_COMPARE_WITH_TIMEOUT(events.names, QList<QByteArray> { "resolved" }, kWaitMs);
    QCOMPARE(s.RequestHandle(), 0);
    if (found) {
        QCOMPARE(events.errors.first(), uint16_t(0));
        s.UseResolvedAddress();
        QCOMPARE(s.AddressText(), QStringLiteral("127.0.0.1"));
    } else {
        QVERIFY2(events.errors.first() >= WSAHOST_NOT_FOUND && events.errors.first() <= WSANO_DATA,
            QByteArray::number(events.errors.first()));
        QCOMPARE(socketErrorClass(events.errors.first()), 16);
    }
}

void TestStarSocket::secondLookupWhilePendingDoesNothing()
{
    TStarSocket s;
    Events events(s);
    s.StartWinsock();
    s.ResolveHost(QStringLiteral("localhost"));
    const int handle = s.RequestHandle();
    s.ResolveHost(QStringLiteral("no-such-host.invalid"));
    QCOMPARE(s.RequestHandle(), handle);
    QTRY_COMPARE_WITH_TIMEOUT(events.names, QList<QByteArray> { "resolved" }, kWaitMs);
    QCOMPARE(events.errors.first(), uint16_t(0));
    QCOMPARE(s.ResolvedAddress(), htonl(INADDR_LOOPBACK));
}

void TestStarSocket::abortDropsPendingLookup()
{
    TStarSocket s;
    Events events(s);
    s.StartWinsock();
    s.setTimeOutArp(30);
    s.ResolveHost(QStringLiteral("no-such-host.invalid"));
    QCOMPARE(s.Countdown(), 30);
    s.AbortSocket();
    QCOMPARE(s.RequestHandle(), 0);
    QCOMPARE(s.Countdown(), 0);
    // A later lookup on the same socket starts, and only its result arrives.
    s.ResolveHost(QStringLiteral("localhost"));
    QVERIFY(s.RequestHandle() != 0);
    QTRY_COMPARE_WITH_TIMEOUT(events.names, QList<QByteArray> { "resolved" }, kWaitMs);
    QCOMPARE(events.errors.first(), uint16_t(0));
}

void TestStarSocket::createSocket()
{
    TStarSocket s;
    s.CreateSocket();
    QCOMPARE(s.LastError(), uint16_t(WSANOTINITIALISED));
    QCOMPARE(s.Handle(), TStarSocket::kInvalidSocket);
    QVERIFY(s.StartWinsock());
    QVERIFY(s.WinsockLoaded());
    s.CreateSocket();
    const int handle = s.Handle();
    QVERIFY(handle != TStarSocket::kInvalidSocket);
    s.CreateSocket();
    QCOMPARE(s.Handle(), handle);
    QCOMPARE(s.LastError(), uint16_t(0));
    s.UnloadWinsock();
    QVERIFY(!s.WinsockStarted());
    QVERIFY(!s.WinsockLoaded());
}

void TestStarSocket::postedMessagesComeFromTheLoop()
{
    TStarSocket s;
    QList<int> received;
    s.setOnUserMessage([&](int message) { received.append(message); });
    s.PostMessage(1028);
    s.PostMessage(kStarSocketNotify); // the socket's own numbers are not for posting
    s.PostMessage(1026);
    QCOMPARE(received, QList<int>());
    QTRY_COMPARE_WITH_TIMEOUT(received, (QList<int> { 1028, 1026 }), kWaitMs);
}

void TestStarSocket::errorNumbering_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("errorClass");
    QTest::addColumn<QString>("text");
    QTest::newRow("refused") << ECONNREFUSED << 10061 << 12 << "Connection Refused";
    QTest::newRow("timed out") << ETIMEDOUT << 10060 << 8 << "timeout";
    QTest::newRow("network unreachable") << ENETUNREACH << 10051 << 10 << "Network unreachable";
    QTest::newRow("host unreachable") << EHOSTUNREACH << 10065 << 18 << "Host Unreachable";
    QTest::newRow("reset") << ECONNRESET << 10054 << 7 << "Connection reset by remote side";
    QTest::newRow("broken pipe") << EPIPE << 10054 << 7 << "Connection reset by remote side";
    QTest::newRow("aborted") << ECONNABORTED << 10053 << 6
                             << "Connection aborted due to timeout or other failure";
    QTest::newRow("address not available")
        << EADDRNOTAVAIL << 10049 << 11 << "Address not available";
    QTest::newRow("address in use")
        << EADDRINUSE << 10048 << 4 << "Unexpected internal error in component";
    QTest::newRow("too many files") << EMFILE << 10024 << 9 << "Out of sockets";
    QTest::newRow("network down") << ENETDOWN << 10050 << 2 << "Network down";
    QTest::newRow("access") << EACCES << 10013 << 3 << "Invalid address specified";
    QTest::newRow("no buffers") << ENOBUFS << 10055 << 5 << "General Winsock Error";
    QTest::newRow("unlisted") << EROFS << 10107 << 15 << "Unknown Error";
}

void TestStarSocket::errorNumbering()
{
    QFETCH(int, error);
    QFETCH(int, code);
    QFETCH(int, errorClass);
    QFETCH(QString, text);
    QCOMPARE(int(socketErrorFromErrno(error)), code);
    QCOMPARE(socketErrorClass(uint16_t(code)), errorClass);
    QCOMPARE(socketErrorClassText(errorClass), text);
}

QTEST_GUILESS_MAIN(TestStarSocket)
#include "tst_starsock.moc"
