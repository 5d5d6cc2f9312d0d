/** @file TlsChannel.h ** TLS over any byte stream, without touching a socket: the stream's bytes
 ** are fed in and the bytes to send are taken out, so the asynchronous socket keeps driving
 ** the connection as it does for plain FTP. OpenSSL does the work. **/
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

struct ssl_ctx_st;
using ssl_ctx_st_ptr = ssl_ctx_st*;

/// What one program side of TLS shares between its connections: the trust store, and (for a
/// client) the last session the server gave, so a data connection can resume the control
/// connection's session as servers that require reuse insist.
class TTlsContext
{
public:
    enum class Role { Client, Server };

    /// A client trusts the system's certificate authorities. A server needs setIdentity.
    explicit TTlsContext(Role role);
    ~TTlsContext();
    TTlsContext(const TTlsContext&) = delete;
    TTlsContext& operator=(const TTlsContext&) = delete;

    Role role() const { return m_role; }
    bool valid() const { return m_ctx != nullptr; }
    QString errorText() const { return m_error; }

    /// A server's certificate and private key, both PEM.
    bool setIdentity(const QByteArray& certificatePem, const QByteArray& keyPem);
    /// One more certificate authority to trust (PEM), beside the system's.
    bool addTrustedAuthority(const QByteArray& certificatePem);

    ssl_ctx_st_ptr handle() const { return m_ctx; }

private:
    Role m_role;
    ssl_ctx_st_ptr m_ctx = nullptr;
    QString m_error;
};

class TTlsChannel
{
public:
    enum class State { Handshaking, Established, Closed, Failed };
    /// How the peer's certificate stands, judged once the handshake is over.
    enum class Trust {
        Unknown, ///< no handshake yet
        Trusted, ///< a chain to a trusted authority, for the name asked for
        Pinned, ///< not trusted by the store, but its fingerprint is the one accepted
        Untrusted, ///< no chain to a trusted authority (self-signed, say), or out of date
        WrongName, ///< trusted, but issued for another name
    };

    /// A client for `hostName` (a name or an address, checked against the certificate).
    /// `resume`: a connection of the same context whose session this one takes up.
    TTlsChannel(TTlsContext& context, const QString& hostName = QString(),
        const TTlsChannel* resume = nullptr);
    ~TTlsChannel();
    TTlsChannel(const TTlsChannel&) = delete;
    TTlsChannel& operator=(const TTlsChannel&) = delete;

    /// Bytes that came from the peer. Handshake, decryption and alerts happen here.
    void feed(const QByteArray& bytes);
    /// Bytes to send to the peer now (handshake records, data, alerts); empties the queue.
    QByteArray takeOutgoing();
    bool hasOutgoing() const;
    /// Data to send encrypted; kept until the handshake is over. False once closed or failed.
    bool write(const QByteArray& plain);
    /// Decrypted data from the peer; empties what was received.
    QByteArray read();
    bool hasIncoming() const { return !m_incoming.isEmpty(); }
    /// Says goodbye (close_notify); the peer's goodbye makes the state Closed too.
    void close();

    State state() const { return m_state; }
    QString errorText() const { return m_error; }
    Trust trust() const { return m_trust; }
    /// The reason OpenSSL gave for its verdict on the certificate ("self-signed certificate").
    QString trustText() const { return m_trustText; }
    /// SHA-256 of the peer's certificate, as "AB:CD:...".
    QString peerFingerprint() const { return m_fingerprint; }
    /// A certificate the user accepted: its fingerprint turns Untrusted or WrongName into Pinned.
    void setPinnedFingerprint(const QString& fingerprint) { m_pinned = fingerprint; }
    bool sessionReused() const;
    /// "TLSv1.3", once established.
    QString protocol() const;

private:
    void advance();
    void drainNetwork();
    void judgePeer();
    void fail(const QString& reason);
    void pumpWrites();

    struct Handles;
    std::unique_ptr<Handles> m_h;
    State m_state = State::Handshaking;
    Trust m_trust = Trust::Unknown;
    QString m_error;
    QString m_trustText;
    QString m_fingerprint;
    QString m_pinned;
    QByteArray m_pendingPlain; ///< written before the handshake was over
    QByteArray m_incoming;
    QByteArray m_pendingNetwork; ///< from the peer, not yet taken by TLS
    Trust m_resumedTrust = Trust::Unknown; ///< of the connection whose session this one resumes
};
