/** @file starsock.cpp ** The asynchronous stream socket over POSIX non-blocking sockets. **/
#include "net/starsock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMutex>
#include <QPointer>
#include <QSocketNotifier>
#include <QThreadPool>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

/// Unlisted errno values get a code no table names, so they count as "any other" error.
constexpr uint16_t kOtherSocketError = 10107;

/// The one event type of the socket's "window": posted owner messages and lookup results.
int starMessageType()
{
    static const int type = QEvent::registerEventType();
    return type;
}

class TStarMessage : public QEvent
{
public:
    explicit TStarMessage(int message, int handle = 0, uint16_t error = 0, uint32_t address = 0)
        : QEvent(QEvent::Type(starMessageType()))
        , message(message)
        , handle(handle)
        , error(error)
        , address(address)
    {
    }
    const int message;
    const int handle;
    const uint16_t error;
    const uint32_t address;
};

QString dottedText(uint32_t networkAddress)
{
    in_addr a {};
    a.s_addr = networkAddress;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return QString::fromLatin1(text);
}

} // namespace

uint16_t socketErrorFromErrno(int error)
{
    switch (error) {
    case 0:
        return 0;
    case EINTR:
        return WSAEINTR;
    case EACCES:
    case EPERM:
        return WSAEACCES;
    case EFAULT:
        return WSAEFAULT;
    case EINVAL:
        return WSAEINVAL;
    case EMFILE:
    case ENFILE:
        return WSAEMFILE;
    case EWOULDBLOCK:
#if EAGAIN != EWOULDBLOCK
    case EAGAIN:
#endif
    case EINPROGRESS:
        return WSAEWOULDBLOCK;
    case EALREADY:
        return WSAEALREADY;
    case ENOTSOCK:
    case EBADF:
        return WSAENOTSOCK;
    case EDESTADDRREQ:
        return WSAEDESTADDRREQ;
    case EMSGSIZE:
        return WSAEMSGSIZE;
    case EPROTOTYPE:
        return WSAEPROTOTYPE;
    case ENOPROTOOPT:
        return WSAENOPROTOOPT;
    case EPROTONOSUPPORT:
        return WSAEPROTONOSUPPORT;
    case EOPNOTSUPP:
        return WSAEOPNOTSUPP;
    case EAFNOSUPPORT:
        return WSAEAFNOSUPPORT;
    case EADDRINUSE:
        return WSAEADDRINUSE;
    case EADDRNOTAVAIL:
        return WSAEADDRNOTAVAIL;
    case ENETDOWN:
        return WSAENETDOWN;
    case ENETUNREACH:
        return WSAENETUNREACH;
    case ENETRESET:
        return WSAENETRESET;
    case ECONNABORTED:
        return WSAECONNABORTED;
    case ECONNRESET:
    case EPIPE: // writing after the peer reset the connection
        return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM:
        return WSAENOBUFS;
    case EISCONN:
        return WSAEISCONN;
    case ENOTCONN:
        return WSAENOTCONN;
    case ESHUTDOWN:
        return WSAESHUTDOWN;
    case ETIMEDOUT:
        return WSAETIMEDOUT;
    case ECONNREFUSED:
        return WSAECONNREFUSED;
    case EHOSTUNREACH:
    case EHOSTDOWN:
        return WSAEHOSTUNREACH;
    default:
        return kOtherSocketError;
    }
}

uint16_t socketErrorFromResolver(int result)
{
    switch (result) {
    case 0:
        return 0;
    case EAI_NONAME:
        return WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
        return WSATRY_AGAIN;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
        return WSANO_DATA;
    default:
        return WSANO_RECOVERY;
    }
}

int socketErrorClass(uint16_t lastError)
{
    switch (lastError) {
    case 0:
        return 0;
    case WSANOTINITIALISED:
        return 1;
    case WSAENETDOWN:
        return 2;
    case WSAEACCES:
        return 3;
    case WSAEINTR:
    case WSAEFAULT:
    case WSAEINVAL:
    case WSAEINPROGRESS:
    case WSAENOTSOCK:
    case WSAEMSGSIZE:
    case WSAEOPNOTSUPP:
    case WSAEAFNOSUPPORT:
    case WSAEADDRINUSE:
    case WSAEISCONN:
    case WSAENOTCONN:
    case WSAESHUTDOWN:
        return 4;
    case WSAENETRESET:
    case WSAENOBUFS:
        return 5;
    case WSAECONNABORTED:
        return 6;
    case WSAECONNRESET:
        return 7;
    case WSAETIMEDOUT:
        return 8;
    case WSAEMFILE:
        return 9;
    case WSAENETUNREACH:
        return 10;
    case WSAEADDRNOTAVAIL:
        return 11;
    case WSAECONNREFUSED:
        return 12;
    case WSAHOST_NOT_FOUND:
    case WSATRY_AGAIN:
    case WSANO_RECOVERY:
    case WSANO_DATA:
        return 16;
    case WSAEHOSTUNREACH:
        return 18;
    default:
        return 15;
    }
}

QString socketErrorClassText(int errorClass)
{
    switch (errorClass) {
    case 0:
        return QString();
    case 1:
        return QStringLiteral("Winsock not initialized");
    case 2:
        return QStringLiteral("Network down");
    case 3:
        return QStringLiteral("Invalid address specified");
    case 4:
        return QStringLiteral("Unexpected internal error in component");
    case 5:
        return QStringLiteral("General Winsock Error");
    case 6:
        return QStringLiteral("Connection aborted due to timeout or other failure");
    case 7:
        return QStringLiteral("Connection reset by remote side");
    case 8:
        return QStringLiteral("timeout");
    case 9:
        return QStringLiteral("Out of sockets");
    case 10:
        return QStringLiteral("Network unreachable");
    case 11:
        return QStringLiteral("Address not available");
    case 12:
        return QStringLiteral("Connection Refused");
    case 16:
        return QStringLiteral("Address resolution error");
    case 18:
        return QStringLiteral("Host Unreachable");
    default:
        return QStringLiteral("Unknown Error");
    }
}

/// A lookup running on a pool thread. The socket lets go of it by clearing `target`, after
/// which the result is dropped; the mutex keeps the post and the letting go apart.
struct TStarSocket::Lookup
{
    QMutex mutex;
    QObject* target = nullptr; ///< guarded by mutex
    int handle = 0;
};

TStarSocket::TStarSocket(QObject* parent)
    : QObject(parent)
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &TStarSocket::countdownTick);
}

TStarSocket::~TStarSocket()
{
    cancelLookup();
    m_timer.stop();
    if (m_socket != kInvalidSocket)
        closeHandle();
    UnloadWinsock();
}

void TStarSocket::LoadWinsock(const QString& libraryName)
{
    Q_UNUSED(libraryName);
    m_loaded = true;
}

bool TStarSocket::StartWinsock()
{
    if (!m_started) {
        if (!m_loaded)
            LoadWinsock();
        if (m_loaded) {
            m_started = true;
            m_description = QStringLiteral("POSIX sockets");
            m_systemStatus = QStringLiteral("Running");
            rlimit limit {};
            m_maxSockets = getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < 0x7fffffff
                ? int(limit.rlim_cur)
                : 0x7fffffff;
        }
    }
    return m_started;
}

void TStarSocket::StopWinsock()
{
    if (m_started)
        m_started = false;
}

void TStarSocket::UnloadWinsock()
{
    StopWinsock();
    m_loaded = false;
}

void TStarSocket::CreateSocket()
{
    if (m_socket != kInvalidSocket) {
        m_lastError = 0;
        return;
    }
    if (!m_started) {
        m_lastError = WSANOTINITIALISED;
        return;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        m_lastError = socketErrorFromErrno(errno);
        return;
    }
    m_socket = fd;
    ++m_generation;
    m_mask = 0;
    m_lastError = 0;
}

void TStarSocket::SetAddressText(const QString& dotted)
{
    in_addr a {};
    m_address = inet_aton(dotted.toLatin1().constData(), &a) ? a.s_addr : INADDR_NONE;
}

void TStarSocket::SetPort(uint16_t port)
{
    m_portNetwork = htons(port);
}

uint16_t TStarSocket::Port() const
{
    return ntohs(m_portNetwork);
}

void TStarSocket::UseResolvedAddress()
{
    m_address = m_resolvedAddress;
}

QString TStarSocket::AddressText() const
{
    return dottedText(m_address);
}

void TStarSocket::ResolveHost(const QString& name)
{
    if (m_requestHandle != 0)
        return;
    static int lastHandle = 0;
    lastHandle = lastHandle == 0x7fffffff ? 1 : lastHandle + 1;
    m_requestHandle = lastHandle;
    m_lookup = std::make_shared<Lookup>();
    m_lookup->target = this;
    m_lookup->handle = m_requestHandle;
    // A name holding NUL would be cut short by the resolver; it names no host.
    const QByteArray host = name.contains(QChar(0)) ? QByteArray() : name.toUtf8();
    QThreadPool::globalInstance()->start([lookup = m_lookup, host] {
        addrinfo hints {};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const int rc
            = host.isEmpty() ? EAI_NONAME : getaddrinfo(host.constData(), nullptr, &hints, &found);
        uint16_t error = socketErrorFromResolver(rc);
        uint32_t address = 0;
        if (rc == 0) {
            error = WSANO_DATA;
            for (const addrinfo* p = found; p; p = p->ai_next) {
                if (p->ai_family == AF_INET && p->ai_addr) {
                    address = reinterpret_cast<const sockaddr_in*>(p->ai_addr)->sin_addr.s_addr;
                    error = 0;
                    break;
                }
            }
            freeaddrinfo(found);
        }
        QMutexLocker lock(&lookup->mutex);
        if (lookup->target) {
            QCoreApplication::postEvent(lookup->target,
                new TStarMessage(kStarResolvedMessage, lookup->handle, error, address));
        }
    });
    m_lastError = 0;
    SetTimeout(m_timeOutArp);
}

void TStarSocket::cancelLookup()
{
    if (m_lookup) {
        QMutexLocker lock(&m_lookup->mutex);
        m_lookup->target = nullptr;
    }
    m_lookup.reset();
    m_requestHandle = 0;
}

void TStarSocket::ConnectSocket()
{
    if (m_socket == kInvalidSocket) {
        m_lastError = WSAENOTSOCK;
        return;
    }
    selectNotifications(snRead | snWrite | snConnect | snClose);
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_port = m_portNetwork;
    sa.sin_addr.s_addr = m_address;
    const int rc = ::connect(m_socket, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    // An interrupted connect goes on in the background, as one in progress does.
    m_lastError = rc == 0 || errno == EINTR ? 0 : socketErrorFromErrno(errno);
    if (m_lastError == WSAEWOULDBLOCK)
        m_lastError = 0;
    if (m_lastError == 0) {
        // Even a connect that ended at once is reported by the write notifier, from the loop.
        m_connectPending = true;
        updateNotifiers();
        SetTimeout(m_timeOutConnect);
    }
}

void TStarSocket::ListenSocket()
{
    if (m_socket == kInvalidSocket) {
        m_lastError = WSAENOTSOCK;
        return;
    }
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_port = m_portNetwork;
    sa.sin_addr.s_addr = m_address;
    if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        m_lastError = socketErrorFromErrno(errno);
        return;
    }
    m_listening = true;
    selectNotifications(snAccept);
    m_lastError = ::listen(m_socket, 2) == 0 ? 0 : socketErrorFromErrno(errno);
}

void TStarSocket::AcceptFrom(TStarSocket* listener)
{
    if (!listener || listener->m_socket == kInvalidSocket) {
        m_lastError = WSAENOTSOCK;
        return;
    }
    sockaddr_in sa {};
    socklen_t length = sizeof sa;
    int fd;
    do {
        fd = ::accept4(listener->m_socket, reinterpret_cast<sockaddr*>(&sa), &length,
            SOCK_NONBLOCK | SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    const int error = fd < 0 ? errno : 0;
    // Accepting is what lets the listener report its next connection.
    listener->m_readHeld = false;
    listener->updateNotifiers();
    if (fd < 0) {
        m_lastError = socketErrorFromErrno(error);
        return;
    }
    if (m_socket != kInvalidSocket)
        closeHandle();
    m_socket = fd;
    ++m_generation;
    m_address = sa.sin_addr.s_addr;
    m_portNetwork = sa.sin_port;
    m_lastError = 0;
    m_connected = true;
    m_writeWanted = true;
    selectNotifications(snRead | snWrite | snClose);
}

void TStarSocket::AbortSocket()
{
    // The pending lookup is forgotten too, so that a later ResolveHost starts a new one.
    cancelLookup();
    SetTimeout(0);
    if (m_socket != kInvalidSocket)
        m_lastError = closeHandle();
}

int TStarSocket::SendData(const char* data, int length, bool moreFollows)
{
    if (m_socket == kInvalidSocket) {
        m_lastError = WSAENOTSOCK;
        return 0;
    }
    ssize_t n;
    do {
        n = ::send(m_socket, data, size_t(length), MSG_NOSIGNAL | (moreFollows ? MSG_MORE : 0));
    } while (n < 0 && errno == EINTR);
    if (n >= 0) {
        m_lastError = 0;
        return int(n);
    }
    m_lastError = socketErrorFromErrno(errno);
    if (m_lastError == WSAEWOULDBLOCK) {
        m_lastError = 0;
        m_writeWanted = true;
        updateNotifiers();
    }
    return 0;
}

int TStarSocket::ReceiveData(char* buffer, int length)
{
    if (m_socket == kInvalidSocket) {
        m_lastError = WSAENOTSOCK;
        return 0;
    }
    ssize_t n;
    do {
        n = ::recv(m_socket, buffer, size_t(length), 0);
    } while (n < 0 && errno == EINTR);
    m_lastError = n >= 0 ? 0 : socketErrorFromErrno(errno);
    if (m_lastError == WSAEWOULDBLOCK)
        m_lastError = 0;
    m_readHeld = false;
    updateNotifiers();
    return n > 0 ? int(n) : 0;
}

QString TStarSocket::LocalAddressText()
{
    if (m_socket == kInvalidSocket) {
        m_lastError = WSAENOTSOCK;
        return QString();
    }
    sockaddr_in sa {};
    socklen_t length = sizeof sa;
    if (::getsockname(m_socket, reinterpret_cast<sockaddr*>(&sa), &length) != 0) {
        m_lastError = socketErrorFromErrno(errno);
        return QString();
    }
    m_lastError = 0;
    return dottedText(sa.sin_addr.s_addr);
}

uint16_t TStarSocket::LocalPort()
{
    if (m_socket == kInvalidSocket) {
        m_lastError = WSAENOTSOCK;
        return 0;
    }
    sockaddr_in sa {};
    socklen_t length = sizeof sa;
    if (::getsockname(m_socket, reinterpret_cast<sockaddr*>(&sa), &length) != 0) {
        m_lastError = socketErrorFromErrno(errno);
        return 0;
    }
    m_lastError = 0;
    return ntohs(sa.sin_port);
}

void TStarSocket::SetTimeout(int seconds)
{
    m_timer.stop();
    m_countdown = 0;
    if (seconds != 0) {
        m_countdown = seconds;
        m_timer.start();
    }
}

void TStarSocket::countdownTick()
{
    if (--m_countdown > 0)
        return;
    AbortSocket();
    raise(m_onSocketTimeout);
}

void TStarSocket::PostMessage(int message)
{
    if (message > kStarSocketNotify)
        QCoreApplication::postEvent(this, new TStarMessage(message));
}

void TStarSocket::HostResolved()
{
    raise(m_onResolved);
}

bool TStarSocket::event(QEvent* e)
{
    if (e->type() != QEvent::Type(starMessageType()))
        return QObject::event(e);
    const auto* m = static_cast<const TStarMessage*>(e);
    if (m->message > kStarSocketNotify) {
        const TUserMessageEvent handler = m_onUserMessage;
        if (handler)
            handler(m->message);
    } else if (m->message == kStarResolvedMessage && m->handle == m_requestHandle
        && m_requestHandle != 0) {
        SetTimeout(0);
        m_lastError = m->error;
        if (m->error == 0)
            m_resolvedAddress = m->address;
        m_lookup.reset();
        m_requestHandle = 0;
        HostResolved();
    }
    return true;
}

void TStarSocket::selectNotifications(int mask)
{
    m_mask = mask;
    if (m_socket == kInvalidSocket)
        return;
    if (!m_readNotifier) {
        m_readNotifier = new QSocketNotifier(m_socket, QSocketNotifier::Read, this);
        m_readNotifier->setEnabled(false);
        connect(m_readNotifier, &QSocketNotifier::activated, this, &TStarSocket::readReady);
        m_writeNotifier = new QSocketNotifier(m_socket, QSocketNotifier::Write, this);
        m_writeNotifier->setEnabled(false);
        connect(m_writeNotifier, &QSocketNotifier::activated, this, &TStarSocket::writeReady);
    }
    updateNotifiers();
}

void TStarSocket::updateNotifiers()
{
    if (!m_readNotifier)
        return;
    const int reading = m_listening ? snAccept : (snRead | snClose);
    m_readNotifier->setEnabled(!m_connectPending && !m_readHeld && (m_mask & reading));
    m_writeNotifier->setEnabled(
        m_connectPending ? (m_mask & snConnect) != 0 : (m_writeWanted && (m_mask & snWrite)));
}

void TStarSocket::dropNotifiers()
{
    // A notifier may be the sender of the slot running now, so it goes from the event loop.
    for (QSocketNotifier* n : { m_readNotifier, m_writeNotifier }) {
        if (n) {
            n->setEnabled(false);
            n->disconnect(this);
            n->deleteLater();
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
}

uint16_t TStarSocket::closeHandle()
{
    dropNotifiers();
    const uint16_t error = ::close(m_socket) == 0 ? 0 : socketErrorFromErrno(errno);
    m_socket = kInvalidSocket;
    ++m_generation;
    m_connected = false;
    m_listening = false;
    m_connectPending = false;
    m_readHeld = false;
    m_writeWanted = false;
    m_mask = 0;
    return error;
}

void TStarSocket::readReady()
{
    if (m_socket == kInvalidSocket)
        return;
    if (m_listening) {
        m_readHeld = true;
        updateNotifiers();
        if (m_mask & snAccept)
            notify(snAccept, 0);
        return;
    }
    // A peek tells data from the end of the stream without taking anything.
    char c;
    const ssize_t n = ::recv(m_socket, &c, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    m_readHeld = true;
    updateNotifiers();
    if (n > 0) {
        if (m_mask & snRead)
            notify(snRead, 0);
    } else if (m_mask & snClose) {
        notify(snClose, n == 0 ? 0 : socketErrorFromErrno(errno));
    }
}

void TStarSocket::writeReady()
{
    if (m_socket == kInvalidSocket)
        return;
    if (m_connectPending) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            error = errno;
        m_connectPending = false;
        if (error == 0)
            m_writeWanted = true; // the first write notification follows the connect one
        else
            m_mask = 0; // a failed connect reports nothing more
        updateNotifiers();
        notify(snConnect, socketErrorFromErrno(error));
        return;
    }
    m_writeWanted = false;
    updateNotifiers();
    if (m_mask & snWrite)
        notify(snWrite, 0);
}

void TStarSocket::notify(int notification, uint16_t error)
{
    SetTimeout(0);
    m_lastError = error;
    switch (notification) {
    case snConnect:
        m_connected = true;
        raise(m_onSocketConnect);
        break;
    case snClose: {
        const uint64_t generation = m_generation;
        QPointer<TStarSocket> self(this);
        raise(m_onSocketClose);
        // The handler may have closed the socket or made a new one; only the old one goes.
        if (self && generation == m_generation) {
            closeHandle();
            m_connected = false;
        }
        break;
    }
    case snAccept:
        raise(m_onSocketAccept);
        break;
    case snRead:
        raise(m_onSocketRead);
        break;
    case snWrite:
        raise(m_onSocketWrite);
        break;
    default:
        break;
    }
}

void TStarSocket::raise(const TSocketEvent& handler)
{
    // A copy, so that a handler may replace itself while it runs.
    const TSocketEvent h = handler;
    if (h)
        h(this);
}
