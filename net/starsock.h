/** @file starsock.h ** One TCP stream socket in asynchronous form: resolving, connecting, listening
 *and
 ** accepting never block, and every happening arrives later as an event on the GUI thread. **/
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

class QSocketNotifier;
class TStarSocket;

/// Every socket event carries the socket it happened on.
using TSocketEvent = std::function<void(TStarSocket* Sender)>;
/// Receives the messages above kStarSocketNotify posted with PostMessage.
using TUserMessageEvent = std::function<void(int message)>;

/// Message numbers of the socket's own notifications; owners post numbers above these.
constexpr int kStarResolvedMessage = 1024;
constexpr int kStarSocketNotify = 1025;

/// Notification bits, as a notification mask names them.
enum TSocketNotification : int {
    snRead = 1,
    snWrite = 2,
    snAccept = 8,
    snConnect = 16,
    snClose = 32,
};

/// Socket error codes keep the Windows Sockets numbering, so callers map them the same way on
/// every platform.
enum TSocketError : uint16_t {
    WSAEINTR = 10004,
    WSAEACCES = 10013,
    WSAEFAULT = 10014,
    WSAEINVAL = 10022,
    WSAEMFILE = 10024,
    WSAEWOULDBLOCK = 10035,
    WSAEINPROGRESS = 10036,
    WSAEALREADY = 10037,
    WSAENOTSOCK = 10038,
    WSAEDESTADDRREQ = 10039,
    WSAEMSGSIZE = 10040,
    WSAEPROTOTYPE = 10041,
    WSAENOPROTOOPT = 10042,
    WSAEPROTONOSUPPORT = 10043,
    WSAEOPNOTSUPP = 10045,
    WSAEAFNOSUPPORT = 10047,
    WSAEADDRINUSE = 10048,
    WSAEADDRNOTAVAIL = 10049,
    WSAENETDOWN = 10050,
    WSAENETUNREACH = 10051,
    WSAENETRESET = 10052,
    WSAECONNABORTED = 10053,
    WSAECONNRESET = 10054,
    WSAENOBUFS = 10055,
    WSAEISCONN = 10056,
    WSAENOTCONN = 10057,
    WSAESHUTDOWN = 10058,
    WSAETIMEDOUT = 10060,
    WSAECONNREFUSED = 10061,
    WSAEHOSTUNREACH = 10065,
    WSANOTINITIALISED = 10093,
    WSAHOST_NOT_FOUND = 11001,
    WSATRY_AGAIN = 11002,
    WSANO_RECOVERY = 11003,
    WSANO_DATA = 11004,
};

/// The socket error code for an errno value (EWOULDBLOCK and EINPROGRESS give 10035).
uint16_t socketErrorFromErrno(int error);
/// The socket error code for a getaddrinfo result (11001 to 11004).
uint16_t socketErrorFromResolver(int result);
/// The class of a socket error, numbered as the FTP client's error codes: 1 not initialised,
/// 2 network down, 3 invalid address, 4 internal, 5 general, 6 aborted, 7 reset, 8 time-out,
/// 9 out of sockets, 10 network unreachable, 11 address not available, 12 refused, 15 any other,
/// 16 resolution failed, 18 host unreachable.
int socketErrorClass(uint16_t lastError);
/// The short description of an error class from socketErrorClass ("Connection Refused", ...).
QString socketErrorClassText(int errorClass);

class TStarSocket : public QObject
{
    Q_OBJECT
public:
    static constexpr int kInvalidSocket = -1;

    explicit TStarSocket(QObject* parent = nullptr);
    ~TStarSocket() override;

    // The socket library. On this platform its calls live in the C library, so loading and
    // starting always succeed; the flags still follow the calls.
    void LoadWinsock(const QString& libraryName = QString());
    bool StartWinsock();
    void StopWinsock();
    void UnloadWinsock();
    bool WinsockLoaded() const { return m_loaded; }
    bool WinsockStarted() const { return m_started; }
    QString Description() const { return m_description; }
    QString SystemStatus() const { return m_systemStatus; }
    int MaxSockets() const { return m_maxSockets; }

    void CreateSocket();
    void SetAddressText(const QString& dotted);
    void SetPort(uint16_t port);
    void UseResolvedAddress();
    QString AddressText() const;
    /// Starts a lookup unless one is pending; its end calls HostResolved on the GUI thread.
    void ResolveHost(const QString& name);
    void ConnectSocket();
    void ListenSocket();
    /// Takes a connection pending on `listener` into this socket, with the peer's address.
    void AcceptFrom(TStarSocket* listener);
    /// Back to having no socket: a pending lookup is dropped and the countdown stopped.
    void AbortSocket();
    /// `moreFollows` tells the system that more data comes at once, so that small pieces
    /// may travel together.
    int SendData(const char* data, int length, bool moreFollows = false);
    int ReceiveData(char* buffer, int length);
    QString LocalAddressText();
    uint16_t LocalPort();
    /// Stops a running countdown; a non-zero value starts a new one of that many seconds.
    void SetTimeout(int seconds);

    int TimeOutConnect() const { return m_timeOutConnect; }
    void setTimeOutConnect(int seconds) { m_timeOutConnect = seconds; }
    int TimeOutArp() const { return m_timeOutArp; }
    void setTimeOutArp(int seconds) { m_timeOutArp = seconds; }

    uint16_t LastError() const { return m_lastError; }
    bool Connected() const { return m_connected; }
    int Handle() const { return m_socket; }
    /// The address record: IPv4 address and port in network byte order.
    uint32_t Address() const { return m_address; }
    uint16_t Port() const;
    /// The first address of the latest lookup, in network byte order.
    uint32_t ResolvedAddress() const { return m_resolvedAddress; }
    /// Seconds left of the countdown, 0 when none runs.
    int Countdown() const { return m_countdown; }
    /// Non-zero while a lookup is pending.
    int RequestHandle() const { return m_requestHandle; }

    /// Queues `message` for the event loop; it reaches OnUserMessage later, never inside this
    /// call. Numbers up to kStarSocketNotify are the socket's own and are not posted.
    void PostMessage(int message);

    void setOnUserMessage(TUserMessageEvent handler) { m_onUserMessage = std::move(handler); }
    void setOnResolved(TSocketEvent handler) { m_onResolved = std::move(handler); }
    void setOnSocketConnect(TSocketEvent handler) { m_onSocketConnect = std::move(handler); }
    void setOnSocketClose(TSocketEvent handler) { m_onSocketClose = std::move(handler); }
    void setOnSocketRead(TSocketEvent handler) { m_onSocketRead = std::move(handler); }
    void setOnSocketWrite(TSocketEvent handler) { m_onSocketWrite = std::move(handler); }
    void setOnSocketAccept(TSocketEvent handler) { m_onSocketAccept = std::move(handler); }
    void setOnSocketTimeout(TSocketEvent handler) { m_onSocketTimeout = std::move(handler); }

protected:
    /// Called when a lookup ends, with LastError 0 on success; raises OnResolved.
    virtual void HostResolved();
    bool event(QEvent* e) override;

    // Filled by the owner: the dotted address to use, the name to resolve, the server text.
    QString m_addressText;
    QString m_hostNameText;
    QString m_hostText;

private:
    struct Lookup;

    void selectNotifications(int mask);
    /// Enables each notifier exactly when its notification may come next.
    void updateNotifiers();
    void dropNotifiers();
    void readReady();
    void writeReady();
    /// The socket notification "message": stops the countdown and raises the event.
    void notify(int notification, uint16_t error);
    void countdownTick();
    /// Closes the handle and forgets every notification of it; the close's error code.
    uint16_t closeHandle();
    void cancelLookup();
    void raise(const TSocketEvent& handler);

    int m_socket = kInvalidSocket;
    /// Changes whenever the handle does, so a handler that replaced the socket is noticed.
    uint64_t m_generation = 0;
    uint32_t m_address = 0;
    uint16_t m_portNetwork = 0;
    bool m_connected = false;
    bool m_loaded = false;
    bool m_started = false;
    QString m_description;
    QString m_systemStatus;
    int m_maxSockets = 0;

    int m_mask = 0;
    bool m_listening = false;
    /// invariant: true only between ConnectSocket and its connect notification.
    bool m_connectPending = false;
    /// A read or accept notification was raised and nobody has received or accepted since:
    /// like the notifications it stands for, the next one waits for that call.
    bool m_readHeld = false;
    /// A send would have blocked (or the socket just connected): a write notification is due
    /// when there is room again.
    bool m_writeWanted = false;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;

    uint32_t m_resolvedAddress = 0;
    int m_requestHandle = 0;
    std::shared_ptr<Lookup> m_lookup;

    int m_timeOutConnect = 0;
    int m_timeOutArp = 0;
    int m_countdown = 0;
    QTimer m_timer;

    uint16_t m_lastError = 0;

    TUserMessageEvent m_onUserMessage;
    TSocketEvent m_onResolved;
    TSocketEvent m_onSocketConnect;
    TSocketEvent m_onSocketClose;
    TSocketEvent m_onSocketRead;
    TSocketEvent m_onSocketWrite;
    TSocketEvent m_onSocketAccept;
    TSocketEvent m_onSocketTimeout;
};
