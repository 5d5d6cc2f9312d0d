/** @file TlsChannel.cpp ** TLS through memory buffers with OpenSSL. **/
#include "net/TlsChannel.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>

namespace {

QString lastOpenSslError(const char* what)
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return QString::fromLatin1(what);
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return QString::fromLatin1(what) + QStringLiteral(": ") + QString::fromLatin1(text);
}

/// What the certificate check found, collected by the verify callback: OpenSSL keeps only the
/// last error, and a self-signed certificate for another name must not pass for a name fault.
struct PeerVerdict
{
    bool chainBad = false;
    bool nameBad = false;
    QString firstText;
};

int verdictIndex()
{
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

int collectVerdict(int ok, X509_STORE_CTX* store)
{
    if (ok)
        return 1;
    auto* ssl = static_cast<SSL*>(
        X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* verdict = ssl ? static_cast<PeerVerdict*>(SSL_get_ex_data(ssl, verdictIndex())) : nullptr;
    if (verdict) {
        const int error = X509_STORE_CTX_get_error(store);
        if (error == X509_V_ERR_HOSTNAME_MISMATCH || error == X509_V_ERR_IP_ADDRESS_MISMATCH)
            verdict->nameBad = true;
        else
            verdict->chainBad = true;
        if (verdict->firstText.isEmpty())
            verdict->firstText = QString::fromLatin1(X509_verify_cert_error_string(error));
    }
    // The handshake goes on whatever was found: the caller decides before it sends anything.
    return 1;
}

bool isAddress(const QByteArray& name)
{
    unsigned char address[16];
    return inet_pton(AF_INET, name.constData(), address) == 1
        || inet_pton(AF_INET6, name.constData(), address) == 1;
}

QString fingerprintOf(X509* certificate)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!certificate || !X509_digest(certificate, EVP_sha256(), digest, &length))
        return QString();
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex(':').toUpper());
}

} // namespace

TTlsContext::TTlsContext(Role role)
    : m_role(role)
{
    m_ctx = SSL_CTX_new(role == Role::Client ? TLS_client_method() : TLS_server_method());
    if (!m_ctx) {
        m_error = lastOpenSslError("no TLS context");
        return;
    }
    SSL_CTX_set_min_proto_version(m_ctx, TLS1_2_VERSION);
    if (role == Role::Client) {
        SSL_CTX_set_verify(m_ctx, SSL_VERIFY_PEER, collectVerdict);
        if (!SSL_CTX_set_default_verify_paths(m_ctx))
            m_error = lastOpenSslError("the system's certificate authorities were not found");
        SSL_CTX_set_session_cache_mode(m_ctx, SSL_SESS_CACHE_CLIENT);
    } else {
        SSL_CTX_set_verify(m_ctx, SSL_VERIFY_NONE, nullptr);
        SSL_CTX_set_session_id_context(
            m_ctx, reinterpret_cast<const unsigned char*>("pagemason"), 9);
    }
}

TTlsContext::~TTlsContext()
{
    SSL_CTX_free(m_ctx);
}

bool TTlsContext::setIdentity(const QByteArray& certificatePem, const QByteArray& keyPem)
{
    if (!m_ctx)
        return false;
    BIO* certBio = BIO_new_mem_buf(certificatePem.constData(), int(certificatePem.size()));
    BIO* keyBio = BIO_new_mem_buf(keyPem.constData(), int(keyPem.size()));
    X509* certificate = PEM_read_bio_X509(certBio, nullptr, nullptr, nullptr);
    EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
    const bool ok = certificate && key && SSL_CTX_use_certificate(m_ctx, certificate) == 1
        && SSL_CTX_use_PrivateKey(m_ctx, key) == 1 && SSL_CTX_check_private_key(m_ctx) == 1;
    if (!ok)
        m_error = lastOpenSslError("the certificate or its key cannot be used");
    X509_free(certificate);
    EVP_PKEY_free(key);
    BIO_free(certBio);
    BIO_free(keyBio);
    return ok;
}

bool TTlsContext::addTrustedAuthority(const QByteArray& certificatePem)
{
    if (!m_ctx)
        return false;
    BIO* bio = BIO_new_mem_buf(certificatePem.constData(), int(certificatePem.size()));
    X509* certificate = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    const bool ok
        = certificate && X509_STORE_add_cert(SSL_CTX_get_cert_store(m_ctx), certificate) == 1;
    if (!ok)
        m_error = lastOpenSslError("the certificate authority cannot be used");
    X509_free(certificate);
    BIO_free(bio);
    return ok;
}

struct TTlsChannel::Handles
{
    SSL* ssl = nullptr;
    BIO* network = nullptr; ///< our end of the pair: what the peer sent goes in, what to send comes out
    PeerVerdict verdict;
    bool client = true;

    ~Handles()
    {
        SSL_free(ssl); // frees the inner end of the pair
        BIO_free(network);
    }
};

TTlsChannel::TTlsChannel(TTlsContext& context, const QString& hostName, const TTlsChannel* resume)
    : m_h(std::make_unique<Handles>())
{
    m_h->client = context.role() == TTlsContext::Role::Client;
    m_h->ssl = context.handle() ? SSL_new(context.handle()) : nullptr;
    BIO* inner = nullptr;
    if (!m_h->ssl || !BIO_new_bio_pair(&inner, 0, &m_h->network, 0)) {
        fail(lastOpenSslError("no TLS connection"));
        return;
    }
    SSL_set_bio(m_h->ssl, inner, inner);
    SSL_set_ex_data(m_h->ssl, verdictIndex(), &m_h->verdict);
    if (m_h->client) {
        const QByteArray name = hostName.toUtf8();
        X509_VERIFY_PARAM* param = SSL_get0_param(m_h->ssl);
        if (isAddress(name)) {
            X509_VERIFY_PARAM_set1_ip_asc(param, name.constData());
        } else if (!name.isEmpty()) {
            SSL_set_tlsext_host_name(m_h->ssl, name.constData());
            X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            X509_VERIFY_PARAM_set1_host(param, name.constData(), 0);
        }
        if (resume && resume->m_h && resume->m_h->ssl) {
            m_resumedTrust = resume->m_trust;
            if (SSL_SESSION* session = SSL_get1_session(resume->m_h->ssl)) {
                SSL_set_session(m_h->ssl, session);
                SSL_SESSION_free(session);
            }
        }
        SSL_set_connect_state(m_h->ssl);
    } else {
        SSL_set_accept_state(m_h->ssl);
    }
    advance();
}

TTlsChannel::~TTlsChannel() = default;

void TTlsChannel::fail(const QString& reason)
{
    if (m_state == State::Failed)
        return;
    m_state = State::Failed;
    m_error = reason;
    m_pendingPlain.clear();
}

void TTlsChannel::feed(const QByteArray& bytes)
{
    if (m_state == State::Failed || !m_h->ssl)
        return;
    m_pendingNetwork.append(bytes);
    drainNetwork();
}

void TTlsChannel::drainNetwork()
{
    // The pair's buffer is bounded: push what fits, let TLS take it, push more. What does not
    // fit while TLS waits to send waits here for takeOutgoing.
    while (!m_pendingNetwork.isEmpty() && m_state != State::Failed) {
        const int wrote = BIO_write(m_h->network, m_pendingNetwork.constData(),
            int(qMin<qsizetype>(m_pendingNetwork.size(), 1 << 16)));
        if (wrote <= 0)
            break;
        m_pendingNetwork.remove(0, wrote);
        advance();
    }
    advance();
}

void TTlsChannel::advance()
{
    if (m_state == State::Failed || m_state == State::Closed)
        return;
    if (m_state == State::Handshaking) {
        ERR_clear_error();
        const int result = SSL_do_handshake(m_h->ssl);
        if (result == 1) {
            m_state = State::Established;
            judgePeer();
        } else {
            const int error = SSL_get_error(m_h->ssl, result);
            if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
                fail(lastOpenSslError("TLS handshake failed"));
                return;
            }
        }
    }
    if (m_state != State::Established)
        return;
    char buffer[16384];
    for (;;) {
        ERR_clear_error();
        const int got = SSL_read(m_h->ssl, buffer, sizeof buffer);
        if (got > 0) {
            m_incoming.append(buffer, got);
            continue;
        }
        const int error = SSL_get_error(m_h->ssl, got);
        if (error == SSL_ERROR_ZERO_RETURN) {
            m_state = State::Closed;
            return;
        }
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
            fail(lastOpenSslError("TLS failed"));
        break;
    }
    pumpWrites();
}

void TTlsChannel::pumpWrites()
{
    while (m_state == State::Established && !m_pendingPlain.isEmpty()) {
        ERR_clear_error();
        const int wrote = SSL_write(m_h->ssl, m_pendingPlain.constData(),
            int(qMin<qsizetype>(m_pendingPlain.size(), 1 << 14)));
        if (wrote > 0) {
            m_pendingPlain.remove(0, wrote);
            continue;
        }
        const int error = SSL_get_error(m_h->ssl, wrote);
        if (error != SSL_ERROR_WANT_WRITE && error != SSL_ERROR_WANT_READ)
            fail(lastOpenSslError("TLS write failed"));
        break; // the pair is full until the caller takes what is to be sent
    }
}

void TTlsChannel::judgePeer()
{
    X509* peer = SSL_get1_peer_certificate(m_h->ssl);
    m_fingerprint = fingerprintOf(peer);
    X509_free(peer);
    if (!m_h->client) {
        m_trust = Trust::Trusted;
        return;
    }
    const PeerVerdict& v = m_h->verdict;
    if (!peer) {
        m_trust = Trust::Untrusted;
        m_trustText = QStringLiteral("no certificate");
    } else if (SSL_session_reused(m_h->ssl)) {
        // A resumed session is checked no more: it stands where its first connection stood.
        m_trust = m_resumedTrust;
        return;
    } else if (!v.chainBad && !v.nameBad) {
        m_trust = Trust::Trusted;
    } else {
        m_trust = v.chainBad ? Trust::Untrusted : Trust::WrongName;
        m_trustText = v.firstText;
    }
    if (m_trust != Trust::Trusted && !m_pinned.isEmpty()
        && m_pinned.compare(m_fingerprint, Qt::CaseInsensitive) == 0)
        m_trust = Trust::Pinned;
}

QByteArray TTlsChannel::takeOutgoing()
{
    QByteArray out;
    if (!m_h->network)
        return out;
    for (;;) {
        const size_t pending = BIO_ctrl_pending(m_h->network);
        if (pending == 0)
            break;
        const qsizetype at = out.size();
        out.resize(at + qsizetype(pending));
        const int got = BIO_read(m_h->network, out.data() + at, int(pending));
        out.resize(at + qMax(got, 0));
        if (got <= 0)
            break;
        // Room again in the pair: what waited for it goes on.
        pumpWrites();
        drainNetwork();
    }
    return out;
}

bool TTlsChannel::hasOutgoing() const
{
    return m_h->network && BIO_ctrl_pending(m_h->network) > 0;
}

bool TTlsChannel::write(const QByteArray& plain)
{
    if (m_state == State::Failed || m_state == State::Closed)
        return false;
    m_pendingPlain.append(plain);
    pumpWrites();
    return m_state != State::Failed;
}

QByteArray TTlsChannel::read()
{
    QByteArray out;
    out.swap(m_incoming);
    return out;
}

void TTlsChannel::close()
{
    if (m_state == State::Established) {
        pumpWrites();
        SSL_shutdown(m_h->ssl);
    }
    if (m_state != State::Failed)
        m_state = State::Closed;
}

bool TTlsChannel::sessionReused() const
{
    return m_h->ssl && SSL_session_reused(m_h->ssl);
}

QString TTlsChannel::protocol() const
{
    return m_h->ssl ? QString::fromLatin1(SSL_get_version(m_h->ssl)) : QString();
}
