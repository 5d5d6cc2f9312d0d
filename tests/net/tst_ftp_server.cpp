/** @file tst_ftp_server.cpp ** The FTP client against a real FTP server (pyftpdlib) started on
 ** 127.0.0.1: files stored byte for byte, refused logins, connection failures, a dying server. **/
#include "FtpRecorder.h"
#include "PyFtpServer.h"
#include "net/Ftp.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 20000;

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (qsizetype i = 0; i < size; ++i)
        data[i] = char(generator.generate() & 0xff);
    return data;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
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

class TestFtpServer : public QObject
{
    Q_OBJECT

    PyFtpServer m_server;
    QTemporaryDir m_local;

    QString writeLocal(const QString& name, const QByteArray& content)
    {
        const QString path = m_local.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
            return QString();
        return path;
    }

    void aimAt(TStarFtp& ftp, const PyFtpServer& server)
    {
        ftp.setFtpServer(QStringLiteral("127.0.0.1"));
        ftp.setFtpPort(server.port());
        ftp.setUserName(QLatin1String(PyFtpServer::kUser));
        ftp.setUserPassword(QLatin1String(PyFtpServer::kPassword));
    }

    bool logIn(TStarFtp& ftp, FtpRecorder& rec, const PyFtpServer& server)
    {
        aimAt(ftp, server);
        ftp.Connect();
        (void)QTest::qWaitFor([&] { return rec.loggedIn > 0 || !rec.errors.isEmpty(); }, kWaitMs);
        return rec.loggedIn == 1 && rec.errors.isEmpty();
    }

private slots:
    void initTestCase();
    void storesFilesByteForByte_data();
    void storesFilesByteForByte();
    void manyFilesOverOneLogin();
    void wrongPassword();
    void refusedConnection();
    void unknownHost();
    void missingInitialDirectory();
    void onlyTheServerReceivesTheFile();
    void serverKilledDuringStore();
};

void TestFtpServer::initTestCase()
{
    QVERIFY(m_local.isValid());
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    QVERIFY(QDir(m_server.root()).mkdir(QStringLiteral("site")));
}

void TestFtpServer::storesFilesByteForByte_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("blocks");
    QTest::newRow("empty") << 0 << 0;
    QTest::newRow("one byte") << 1 << 1;
    QTest::newRow("one block") << 2048 << 1;
    QTest::newRow("one block and a byte") << 2049 << 2;
    QTest::newRow("5 MB") << 5 * 1024 * 1024 << 2560;
}

void TestFtpServer::storesFilesByteForByte()
{
    QFETCH(int, size);
    QFETCH(int, blocks);
    const QByteArray content = randomBytes(size, quint32(size) + 7);
    const QString name = QStringLiteral("file-%1.bin").arg(size);
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    ftp.setInitialDirectory(QStringLiteral("site"));
    QVERIFY(logIn(ftp, rec, m_server));
    QCOMPARE(rec.count(ftpInfoRefused), 0);
    QCOMPARE(ftp.ServerType(), ftpstUNIX);
    rec.infos.clear();

    ftp.setLocalFile(writeLocal(name, content));
    ftp.setRemoteFile(name);
    ftp.StoreFile();
    QTRY_COMPARE_WITH_TIMEOUT(rec.storedSuccess, QList<bool> { true }, kWaitMs);
    QCOMPARE(rec.errors, QList<int>());
    QCOMPARE(rec.text(ftpInfoFileSize), QString::number(size));
    QCOMPARE(rec.count(ftpInfoProgress), blocks);
    QCOMPARE(rec.count(ftpInfoTransferDone), 1);
    QCOMPARE(ftp.BytesTransferred(), qint64(size));
    const QByteArray stored = readFile(m_server.root() + QStringLiteral("site/") + name);
    QCOMPARE(stored.size(), content.size());
    QVERIFY(stored == content);

    ftp.Quit();
    QTRY_COMPARE_WITH_TIMEOUT(rec.quit, 1, kWaitMs);
    QCOMPARE(rec.text(ftpInfoDisconnected), QStringLiteral("Disconnected"));
    QCOMPARE(rec.sent().last(), QStringLiteral("QUIT"));
}

void TestFtpServer::manyFilesOverOneLogin()
{
    // One file after another from the stored event, as the publish window drives the client.
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    QVERIFY(logIn(ftp, rec, m_server));
    const int count = 20;
    QList<QByteArray> contents;
    for (int i = 0; i < count; ++i)
        contents.append(randomBytes(100 + i * 331, quint32(i)));
    int next = 0;
    auto storeNext = [&] {
        const QString name = QStringLiteral("many-%1.html").arg(next);
        ftp.setLocalFile(writeLocal(name, contents.at(next)));
        ftp.setRemoteFile(name);
        ++next;
        ftp.StoreFile();
    };
    ftp.setOnFileStored([&](QObject*) {
        rec.storedSuccess.append(ftp.Success());
        if (next < count)
            storeNext();
        else
            ftp.Quit();
    });
    storeNext();
    QTRY_COMPARE_WITH_TIMEOUT(rec.quit, 1, kWaitMs);
    QCOMPARE(rec.storedSuccess, QList<bool>(count, true));
    QCOMPARE(rec.errors, QList<int>());
    for (int i = 0; i < count; ++i)
        QVERIFY(readFile(m_server.root() + QStringLiteral("many-%1.html").arg(i)) == contents[i]);
}

void TestFtpServer::wrongPassword()
{
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    aimAt(ftp, m_server);
    ftp.setUserPassword(QStringLiteral("not the password"));
    ftp.Connect();
    QTRY_COMPARE_WITH_TIMEOUT(rec.quit, 1, kWaitMs);
    QCOMPARE(rec.errors, QList<int> { ftpErrLogin });
    QCOMPARE(rec.successAtError, QList<bool> { false });
    QCOMPARE(rec.loggedIn, 0);
    QCOMPARE(rec.sent(), (QStringList { "USER pagemason", "PASS not the password", "QUIT" }));
    QCOMPARE(rec.text(ftpInfoDisconnected), QStringLiteral("Disconnected"));
}

void TestFtpServer::refusedConnection()
{
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    ftp.setFtpServer(QStringLiteral("127.0.0.1"));
    ftp.setFtpPort(closedPort());
    ftp.Connect();
    QTRY_COMPARE_WITH_TIMEOUT(rec.quit, 1, kWaitMs);
    QCOMPARE(rec.errors, QList<int> { ftpErrRefused });
    QCOMPARE(rec.infoCodes(), QList<int>());
    QCOMPARE(TStarFtp::ErrorText(rec.errors.first()), QStringLiteral("Connection Refused"));
    QVERIFY(!ftp.Success());
}

void TestFtpServer::unknownHost()
{
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    // The .invalid domain is reserved never to resolve.
    ftp.setFtpServer(QStringLiteral("no-such-host.invalid"));
    ftp.setFtpPort(m_server.port());
    ftp.Connect();
    QTRY_COMPARE_WITH_TIMEOUT(rec.quit, 1, kWaitMs);
    QCOMPARE(rec.errors, QList<int> { ftpErrResolve });
    QCOMPARE(rec.infoCodes(), QList<int> { ftpInfoResolving });
    QCOMPARE(rec.text(ftpInfoResolving), QStringLiteral("no-such-host.invalid"));
}

void TestFtpServer::missingInitialDirectory()
{
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    ftp.setInitialDirectory(QStringLiteral("no/such/folder"));
    QVERIFY(logIn(ftp, rec, m_server));
    QVERIFY(ftp.Success());
    QCOMPARE(rec.infoCodes(),
        (QList<int> { ftpInfoConnected, ftpInfoSent, ftpInfoSent, ftpInfoSent, ftpInfoSent,
            ftpInfoRefused, ftpInfoLoggedIn }));
    QCOMPARE(rec.sent().last(), QStringLiteral("CWD no/such/folder"));
    ftp.Quit();
    QTRY_COMPARE_WITH_TIMEOUT(rec.quit, 1, kWaitMs);
}

void TestFtpServer::onlyTheServerReceivesTheFile()
{
    // A second local address stands for another host on the network.
    const int intruder = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in from {};
    from.sin_family = AF_INET;
    inet_pton(AF_INET, "127.0.0.2", &from.sin_addr);
    QVERIFY(::bind(intruder, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0);

    const QByteArray content = randomBytes(300 * 1024, 99);
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    QVERIFY(logIn(ftp, rec, m_server));
    bool intruderConnected = false;
    // As soon as the data port is known the intruder connects, before the server can.
    const TFtpInfoEvent record = [&rec](QObject*, int code, const QString& text) {
        if (code != ftpInfoReceived)
            rec.infos.append({ code, text });
    };
    ftp.setOnFtpInfo([&](QObject* sender, int code, const QString& text) {
        record(sender, code, text);
        if (code != ftpInfoSent || !text.startsWith(QLatin1String("PORT ")))
            return;
        const QStringList parts = text.mid(5).trimmed().split(QLatin1Char(','));
        sockaddr_in to {};
        to.sin_family = AF_INET;
        to.sin_port = htons(uint16_t(parts.at(4).toInt() * 256 + parts.at(5).toInt()));
        inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
        intruderConnected = ::connect(intruder, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    });
    ftp.setLocalFile(writeLocal(QStringLiteral("private.html"), content));
    ftp.setRemoteFile(QStringLiteral("private.html"));
    ftp.StoreFile();
    QTRY_COMPARE_WITH_TIMEOUT(rec.storedSuccess, QList<bool> { true }, kWaitMs);
    QVERIFY(intruderConnected);
    QVERIFY(readFile(m_server.root() + QStringLiteral("private.html")) == content);

    // The intruder was let in by the listener and closed at once, without a byte.
    pollfd p { intruder, POLLIN, 0 };
    QCOMPARE(::poll(&p, 1, kWaitMs), 1);
    char buffer[4096];
    QVERIFY(::recv(intruder, buffer, sizeof buffer, 0) <= 0);
    ::close(intruder);
    ftp.Quit();
    QTRY_COMPARE_WITH_TIMEOUT(rec.quit, 1, kWaitMs);
}

void TestFtpServer::serverKilledDuringStore()
{
    PyFtpServer doomed;
    QString error;
    QVERIFY2(doomed.start(&error), qPrintable(error));
    const QByteArray content = randomBytes(20 * 1024 * 1024, 5);
    TStarFtp ftp;
    FtpRecorder rec(ftp);
    QVERIFY(logIn(ftp, rec, doomed));
    bool killed = false;
    ftp.setOnFtpInfo([&](QObject*, int code, const QString& text) {
        rec.infos.append({ code, text });
        if (code == ftpInfoProgress && !killed && ftp.BytesTransferred() >= 1024 * 1024) {
            killed = true;
            doomed.kill();
        }
    });
    ftp.setLocalFile(writeLocal(QStringLiteral("big.bin"), content));
    ftp.setRemoteFile(QStringLiteral("big.bin"));
    ftp.StoreFile();
    QTRY_COMPARE_WITH_TIMEOUT(rec.quit, 1, kWaitMs);
    QVERIFY(killed);
    QCOMPARE(rec.errors.size(), 1);
    const int code = rec.errors.first();
    // Fatal: not one of the reported codes that leave the connection as it was.
    QVERIFY2(!QList<int>({ 1, 19, 21, 24, 27 }).contains(code), QByteArray::number(code));
    QVERIFY(!ftp.Success());
    QVERIFY(rec.storedSuccess.isEmpty() || rec.storedSuccess == QList<bool> { false });
    QCOMPARE(ftp.Handle(), TStarSocket::kInvalidSocket);
    QVERIFY(ftp.BytesTransferred() < content.size() || rec.count(ftpInfoTransferDone) == 1);
}

QTEST_GUILESS_MAIN(TestFtpServer)
#include "tst_ftp_server.moc"
