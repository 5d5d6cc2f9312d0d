/** TLS through memory buffers: a client and a server of our own talk through the test, with
 ** certificates made here (self-signed, or issued by an authority the client may trust). **/
#include "net/TlsChannel.h"

#include <QCryptographicHash>
#include <QtTest>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace {

struct Identity
{
    QByteArray certificate; // PEM
    QByteArray key; // PEM
};

QByteArray pemOf(X509* certificate)
{
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, certificate);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray out(data, int(size));
    BIO_free(bio);
    return out;
}

QByteArray pemOf(EVP_PKEY* key)
{
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray out(data, int(size));
    BIO_free(bio);
    return out;
}

/// A certificate for `name` (a DNS name, or an address with "IP:"), signed by `issuer` or by
/// itself when there is none.
Identity makeIdentity(const char* subjectAltName, const Identity* issuer = nullptr, bool ca = false)
{
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    static long serial = 1;
    ASN1_INTEGER_set(X509_get_serialNumber(cert), serial++);
    X509_gmtime_adj(X509_getm_notBefore(cert), -60);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
        reinterpret_cast<const unsigned char*>(ca ? "Test authority" : "Test server"), -1, -1, 0);
    EVP_PKEY* signKey = key;
    X509* issuerCert = cert;
    if (issuer) {
        BIO* cb = BIO_new_mem_buf(issuer->certificate.constData(), int(issuer->certificate.size()));
        BIO* kb = BIO_new_mem_buf(issuer->key.constData(), int(issuer->key.size()));
        issuerCert = PEM_read_bio_X509(cb, nullptr, nullptr, nullptr);
        signKey = PEM_read_bio_PrivateKey(kb, nullptr, nullptr, nullptr);
        BIO_free(cb);
        BIO_free(kb);
    }
    X509_set_issuer_name(cert, X509_get_subject_name(issuerCert));
    X509V3_CTX v3;
    X509V3_set_ctx(&v3, issuerCert, cert, nullptr, nullptr, 0);
    auto extend = [&](int nid, const char* value) {
        X509_EXTENSION* e = X509V3_EXT_conf_nid(nullptr, &v3, nid, value);
        X509_add_ext(cert, e, -1);
        X509_EXTENSION_free(e);
    };
    extend(NID_basic_constraints, ca ? "critical,CA:TRUE" : "CA:FALSE");
    if (ca)
        extend(NID_key_usage, "critical,keyCertSign,cRLSign");
    if (subjectAltName)
        extend(NID_subject_alt_name, subjectAltName);
    X509_sign(cert, signKey, EVP_sha256());
    Identity out { pemOf(cert), pemOf(key) };
    if (issuer) {
        X509_free(issuerCert);
        EVP_PKEY_free(signKey);
    }
    X509_free(cert);
    EVP_PKEY_free(key);
    return out;
}

/// SHA-256 of a PEM certificate's DER bytes, the way a user would read it off the server.
QString fingerprintOf(const QByteArray& pem)
{
    BIO* bio = BIO_new_mem_buf(pem.constData(), int(pem.size()));
    X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    unsigned char* der = nullptr;
    const int length = i2d_X509(cert, &der);
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray(reinterpret_cast<const char*>(der), length), QCryptographicHash::Sha256);
    OPENSSL_free(der);
    X509_free(cert);
    BIO_free(bio);
    return QString::fromLatin1(digest.toHex(':').toUpper());
}

/// Carries bytes both ways until neither side has anything to send.
void pump(TTlsChannel& a, TTlsChannel& b)
{
    for (int round = 0; round < 10000; ++round) {
        const QByteArray ab = a.takeOutgoing();
        const QByteArray ba = b.takeOutgoing();
        if (ab.isEmpty() && ba.isEmpty())
            return;
        if (!ab.isEmpty())
            b.feed(ab);
        if (!ba.isEmpty())
            a.feed(ba);
    }
    QFAIL("the two sides never stopped talking");
}

QByteArray pattern(qsizetype size)
{
    QByteArray out(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        out[i] = char((i * 131 + i / 977) & 0xff);
    return out;
}

} // namespace

class TestTlsChannel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_authority = makeIdentity(nullptr, nullptr, true);
        m_named = makeIdentity("DNS:ftp.example.org, IP:127.0.0.1", &m_authority);
        m_selfSigned = makeIdentity("DNS:ftp.example.org");
    }

    void dataBothWays_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("one byte") << qsizetype(1);
        QTest::newRow("a command line") << qsizetype(30);
        QTest::newRow("3 MB, many records") << qsizetype(3 << 20);
    }
    void dataBothWays()
    {
        QFETCH(qsizetype, size);
        TTlsContext clientSide(TTlsContext::Role::Client);
        TTlsContext serverSide(TTlsContext::Role::Server);
        QVERIFY(serverSide.setIdentity(m_selfSigned.certificate, m_selfSigned.key));
        TTlsChannel client(clientSide, QStringLiteral("ftp.example.org"));
        TTlsChannel server(serverSide);
        const QByteArray up = pattern(size);
        const QByteArray down = pattern(size + 7).mid(7);
        // Written before the handshake: kept until it is over.
        QVERIFY(client.write(up));
        QCOMPARE(client.state(), TTlsChannel::State::Handshaking);
        QByteArray gotUp;
        QByteArray gotDown;
        bool answered = false;
        for (int round = 0; round < 100000 && (gotUp.size() < up.size() || gotDown.size() < down.size()); ++round) {
            pump(client, server);
            gotUp += server.read();
            if (!answered && server.state() == TTlsChannel::State::Established) {
                QVERIFY(server.write(down));
                answered = true;
            }
            gotDown += client.read();
        }
        QCOMPARE(client.state(), TTlsChannel::State::Established);
        QCOMPARE(gotUp.size(), up.size());
        QVERIFY(gotUp == up);
        QVERIFY(gotDown == down);
        QVERIFY(client.protocol().startsWith(u"TLS"));
        server.close();
        pump(client, server);
        QCOMPARE(client.state(), TTlsChannel::State::Closed);
        QVERIFY(!client.write("after the goodbye"));
    }

    void trust_data()
    {
        QTest::addColumn<QString>("identity");
        QTest::addColumn<bool>("authorityTrusted");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("pinned");
        QTest::addColumn<int>("trust");
        const auto t = [](TTlsChannel::Trust v) { return int(v); };
        QTest::newRow("authority trusted, its name") << "named" << true << "ftp.example.org"
                                                    << "" << t(TTlsChannel::Trust::Trusted);
        QTest::newRow("authority trusted, its address") << "named" << true << "127.0.0.1" << ""
                                                       << t(TTlsChannel::Trust::Trusted);
        QTest::newRow("authority trusted, another name")
            << "named" << true << "www.example.org" << "" << t(TTlsChannel::Trust::WrongName);
        QTest::newRow("authority trusted, another address")
            << "named" << true << "127.0.0.2" << "" << t(TTlsChannel::Trust::WrongName);
        QTest::newRow("authority unknown") << "named" << false << "ftp.example.org" << ""
                                          << t(TTlsChannel::Trust::Untrusted);
        QTest::newRow("self-signed") << "self" << false << "ftp.example.org" << ""
                                     << t(TTlsChannel::Trust::Untrusted);
        QTest::newRow("self-signed for another name is no mere name fault")
            << "self" << false << "www.example.org" << "" << t(TTlsChannel::Trust::Untrusted);
        QTest::newRow("self-signed, its fingerprint accepted")
            << "self" << false << "www.example.org" << "self" << t(TTlsChannel::Trust::Pinned);
        QTest::newRow("self-signed, another fingerprint accepted")
            << "self" << false << "ftp.example.org" << "named" << t(TTlsChannel::Trust::Untrusted);
    }
    void trust()
    {
        QFETCH(QString, identity);
        QFETCH(bool, authorityTrusted);
        QFETCH(QString, host);
        QFETCH(QString, pinned);
        QFETCH(int, trust);
        const Identity& id = identity == u"named" ? m_named : m_selfSigned;
        TTlsContext clientSide(TTlsContext::Role::Client);
        if (authorityTrusted)
            QVERIFY(clientSide.addTrustedAuthority(m_authority.certificate));
        TTlsContext serverSide(TTlsContext::Role::Server);
        QVERIFY(serverSide.setIdentity(id.certificate, id.key));
        TTlsChannel client(clientSide, host);
        if (!pinned.isEmpty())
            client.setPinnedFingerprint(
                fingerprintOf(pinned == u"named" ? m_named.certificate : m_selfSigned.certificate));
        TTlsChannel server(serverSide);
        pump(client, server);
        QCOMPARE(client.state(), TTlsChannel::State::Established);
        QCOMPARE(client.peerFingerprint(), fingerprintOf(id.certificate));
        QCOMPARE(int(client.trust()), trust);
        QCOMPARE(client.trustText().isEmpty(), trust == int(TTlsChannel::Trust::Trusted));
    }

    void aSecondConnectionResumesTheFirstsSession()
    {
        TTlsContext clientSide(TTlsContext::Role::Client);
        TTlsContext serverSide(TTlsContext::Role::Server);
        QVERIFY(serverSide.setIdentity(m_selfSigned.certificate, m_selfSigned.key));
        TTlsChannel control(clientSide, QStringLiteral("ftp.example.org"));
        control.setPinnedFingerprint(fingerprintOf(m_selfSigned.certificate));
        TTlsChannel controlPeer(serverSide);
        pump(control, controlPeer);
        // A reply on the control connection brings the session ticket along.
        QVERIFY(controlPeer.write("234 AUTH TLS successful\r\n"));
        pump(control, controlPeer);
        QCOMPARE(control.read(), QByteArray("234 AUTH TLS successful\r\n"));
        QCOMPARE(control.trust(), TTlsChannel::Trust::Pinned);
        QVERIFY(!control.sessionReused());

        TTlsChannel data(clientSide, QStringLiteral("ftp.example.org"), &control);
        TTlsChannel dataPeer(serverSide);
        pump(data, dataPeer);
        QCOMPARE(data.state(), TTlsChannel::State::Established);
        QVERIFY(data.sessionReused());
        QVERIFY(dataPeer.sessionReused());
        QCOMPARE(data.trust(), TTlsChannel::Trust::Pinned);

        TTlsChannel fresh(clientSide, QStringLiteral("ftp.example.org"));
        TTlsChannel freshPeer(serverSide);
        pump(fresh, freshPeer);
        QVERIFY(!fresh.sessionReused());
        QCOMPARE(fresh.trust(), TTlsChannel::Trust::Untrusted);
    }

    void aPeerThatSpeaksNoTlsFails_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("a plain FTP reply") << QByteArray("220 Welcome\r\n");
        QTest::newRow("a reply that says no") << QByteArray("500 AUTH not understood\r\n");
        QTest::newRow("binary noise") << pattern(4096);
    }
    void aPeerThatSpeaksNoTlsFails()
    {
        QFETCH(QByteArray, bytes);
        TTlsContext clientSide(TTlsContext::Role::Client);
        TTlsChannel client(clientSide, QStringLiteral("ftp.example.org"));
        QVERIFY(client.hasOutgoing()); // the greeting
        client.takeOutgoing();
        QVERIFY(client.write("PASS secret\r\n"));
        client.feed(bytes);
        QCOMPARE(client.state(), TTlsChannel::State::Failed);
        QVERIFY(!client.errorText().isEmpty());
        QVERIFY(!client.write("more"));
        // What was written for the secure connection never leaves in the clear.
        QVERIFY(!client.takeOutgoing().contains("secret"));
    }

private:
    Identity m_authority;
    Identity m_named;
    Identity m_selfSigned;
};

QTEST_GUILESS_MAIN(TestTlsChannel)
#include "tst_tlschannel.moc"
