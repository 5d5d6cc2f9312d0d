/** @file FtpRepliesCheck.cpp ** Property checks of the reply line buffer and of the FTP client's
 ** handling of replies. **/
#include "fuzz/FtpRepliesCheck.h"

#include "fuzz/ScratchFile.h"
#include "net/Ftp.h"
#include "net/ReplyLineBuffer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

namespace pmfuzz {

namespace {

    /// The server's side is played on this many bytes at most; the line buffer sees them all.
    constexpr qsizetype playedBytes = 4096;
    /// How long the client may take to read what it was sent, or to see the server go.
    constexpr int patienceMs = 3000;

    QString hex(const QByteArray& bytes)
    {
        return QString::fromLatin1(bytes.left(60).toHex(' '));
    }

    /// Sizes of the pieces of a split, taken in turn from `sizes` (each 1 to 16, or the rest).
    QList<QByteArray> split(const QByteArray& bytes, const QByteArray& sizes)
    {
        QList<QByteArray> pieces;
        qsizetype at = 0;
        for (qsizetype k = 0; at < bytes.size(); ++k) {
            const qsizetype n = sizes.isEmpty()
                ? bytes.size()
                : 1 + static_cast<unsigned char>(sizes.at(k % sizes.size())) % 16;
            pieces.append(bytes.mid(at, n));
            at += n;
        }
        return pieces;
    }

    struct Lines
    {
        QList<QByteArray> complete;
        QByteArray unfinished;
    };

    /// The buffer's lines written out plainly: the text between CR LFs, cut to the limit.
    Lines plainLines(const QByteArray& bytes)
    {
        Lines out;
        qsizetype start = 0;
        for (;;) {
            const qsizetype end = bytes.indexOf("\r\n", start);
            if (end < 0)
                break;
            out.complete.append(bytes.mid(start, end - start).left(ReplyLineBuffer::kMaxLine));
            start = end + 2;
        }
        out.unfinished = bytes.mid(start);
        return out;
    }

    QString checkLineBuffer(const QByteArray& bytes)
    {
        const Lines plain = plainLines(bytes);
        const qsizetype kept
            = std::min<qsizetype>(plain.unfinished.size(), ReplyLineBuffer::kMaxLine + 1);
        QByteArray sizes = bytes.left(8);
        const QByteArray splits[]
            = { QByteArray(), QByteArray(1, '\0'), QByteArray(1, '\2'), sizes, bytes.right(5) };
        for (const QByteArray& s : splits) {
            ReplyLineBuffer buffer;
            QList<QByteArray> lines;
            for (const QByteArray& piece : split(bytes, s))
                lines += buffer.feed(piece.constData(), int(piece.size()));
            if (lines != plain.complete) {
                for (qsizetype i = 0; i < std::max(lines.size(), plain.complete.size()); ++i)
                    if (lines.value(i) != plain.complete.value(i))
                        return QStringLiteral("line %1 of the buffer is [%2], between CR LFs "
                                              "stands [%3] (pieces of %4)")
                            .arg(i)
                            .arg(hex(lines.value(i)), hex(plain.complete.value(i)),
                                s.isEmpty() ? QStringLiteral("all") : hex(s));
            }
            if (buffer.pendingBytes() != kept)
                return QStringLiteral("the buffer holds %1 bytes of an unfinished line of %2")
                    .arg(buffer.pendingBytes())
                    .arg(plain.unfinished.size());
        }
        return {};
    }

    /// The login as the replies drive it: the commands a client with every name and a start
    /// folder sends, reply by reply.
    QStringList expectedCommands(const QList<QByteArray>& lines)
    {
        enum { greeting, user, pass, acct, syst, cwd, quit, done };
        int state = greeting;
        bool multi = false;
        QByteArray code;
        QStringList sent;
        for (const QByteArray& line : lines) {
            if (line.isEmpty() || state == done)
                continue;
            if (multi) {
                if (line.size() < 4 || line.left(3) != code || line.at(3) != ' ')
                    continue;
            } else if (line.size() >= 4 && line.at(3) == '-') {
                multi = true;
                code = line.left(3);
                continue;
            }
            multi = false;
            const char c = line.at(0);
            switch (state) {
            case greeting:
                if (c != '2')
                    return sent; // not ready: the client hangs up
                sent << QStringLiteral("USER pm");
                state = user;
                break;
            case user:
            case pass:
            case acct:
                if (c == '2') {
                    sent << QStringLiteral("SYST");
                    state = syst;
                } else if (c == '3' && state == user) {
                    sent << QStringLiteral("PASS pw");
                    state = pass;
                } else if (c == '3' && state == pass) {
                    sent << QStringLiteral("ACCT acc");
                    state = acct;
                } else {
                    sent << QStringLiteral("QUIT");
                    state = quit;
                }
                break;
            case syst:
                sent << QStringLiteral("CWD /site");
                state = cwd;
                break;
            case cwd:
                state = done;
                break;
            case quit:
                if (c != '2')
                    return sent; // a refused QUIT ends the connection
                state = done;
                break;
            }
        }
        return sent;
    }

    QCoreApplication* application()
    {
        if (QCoreApplication::instance())
            return QCoreApplication::instance();
        static int argc = 1;
        static char name[] = "fuzz_ftpreplies";
        static char* argv[] = { name, nullptr };
        static QCoreApplication app(argc, argv);
        return &app;
    }

    /// A listening socket on 127.0.0.1 that lives as long as the process.
    struct Listener
    {
        int fd = -1;
        uint16_t port = 0;
        Listener()
        {
            fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            sockaddr_in sa {};
            sa.sin_family = AF_INET;
            sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t length = sizeof sa;
            if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0
                || ::listen(fd, 4) != 0
                || ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length) != 0) {
                if (fd >= 0)
                    ::close(fd);
                fd = -1;
                return;
            }
            port = ntohs(sa.sin_port);
        }
    };

    struct Session
    {
        QStringList events; ///< every event but the received texts and the progress
        QString sentText; ///< the command lines of info 5, in order
        QByteArray received; ///< what the server read from the client
        QString broken;
    };

    /// Lets the client run for a moment, and takes what it sent.
    void pump(int server, Session& s)
    {
        pollfd p { server, POLLIN, 0 };
        ::poll(&p, 1, 1);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(server, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n <= 0)
                break;
            s.received.append(buffer, n);
        }
    }

    Session play(const Listener& listener, const QList<QByteArray>& pieces)
    {
        Session s;
        auto ftp = std::make_unique<TStarFtp>();
        QPointer<TStarFtp> alive(ftp.get());
        ftp->setFtpServer(QStringLiteral("127.0.0.1"));
        ftp->setFtpPort(listener.port);
        ftp->setUserName(QStringLiteral("pm"));
        ftp->setUserPassword(QStringLiteral("pw"));
        ftp->setUserAccount(QStringLiteral("acc"));
        ftp->setInitialDirectory(QStringLiteral("/site"));
        bool closed = false;
        ftp->setOnFtpInfo([&](QObject*, int code, const QString& text) {
            if (code == ftpInfoReceived || code == ftpInfoProgress)
                return;
            if (code == ftpInfoSent)
                s.sentText += text;
            if (code == ftpInfoDisconnected)
                closed = true;
            s.events.append(QStringLiteral("info %1 %2").arg(code).arg(text));
        });
        ftp->setOnFtpError([&](QObject*, int code, const QString&) {
            s.events.append(QStringLiteral("error %1").arg(code));
        });
        ftp->setOnFtpReady([&](QObject*) { s.events.append(QStringLiteral("ready")); });
        ftp->setOnLoggedIn([&](QObject*) { s.events.append(QStringLiteral("logged in")); });
        ftp->setOnFtpQuit([&](QObject*) {
            closed = true;
            s.events.append(QStringLiteral("quit"));
        });
        ftp->Connect();

        QElapsedTimer clock;
        clock.start();
        int server = -1;
        while (server < 0 && clock.elapsed() < patienceMs) {
            pollfd p { listener.fd, POLLIN, 0 };
            ::poll(&p, 1, 1);
            server = ::accept4(listener.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        if (server < 0) {
            s.broken = QStringLiteral("the client did not connect");
            return s;
        }
        // Each piece goes out at once rather than waiting for the client's acknowledgement.
        const int one = 1;
        ::setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        // Until the client has the connection, what it is sent would be read in one piece.
        while (!s.events.contains(QStringLiteral("info 0 127.0.0.1")) && !closed
            && clock.elapsed() < patienceMs)
            pump(server, s);

        for (const QByteArray& piece : pieces) {
            if (closed || ftp->Handle() == TStarSocket::kInvalidSocket)
                break;
            qsizetype at = 0;
            while (at < piece.size()) {
                const ssize_t n = ::send(server, piece.constData() + at, size_t(piece.size() - at),
                    MSG_NOSIGNAL | MSG_DONTWAIT);
                if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                    break;
                at += std::max<ssize_t>(n, 0);
                pump(server, s);
            }
            // The next piece goes only once the client has read this one, so that each piece
            // arrives in a read of its own.
            clock.restart();
            for (;;) {
                int unsent = 0;
                if (::ioctl(server, SIOCOUTQNSD, &unsent) == 0 && unsent > 0
                    && clock.elapsed() <= patienceMs) {
                    pump(server, s);
                    continue;
                }
                int waiting = 0;
                const int handle = ftp->Handle();
                if (handle == TStarSocket::kInvalidSocket
                    || ::ioctl(handle, FIONREAD, &waiting) != 0 || waiting == 0)
                    break;
                if (clock.elapsed() > patienceMs) {
                    s.broken = QStringLiteral("the client left %1 bytes unread").arg(waiting);
                    ::close(server);
                    return s;
                }
                pump(server, s);
            }
            pump(server, s);
        }
        ::shutdown(server, SHUT_WR);
        clock.restart();
        while (
            !closed && ftp->Handle() != TStarSocket::kInvalidSocket && clock.elapsed() < patienceMs)
            pump(server, s);
        for (int k = 0; k < 3; ++k)
            pump(server, s);
        ::close(server);
        if (!closed && ftp->Handle() != TStarSocket::kInvalidSocket)
            s.broken = QStringLiteral("the client did not notice the server closing");
        ftp.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return s;
    }

} // namespace

QString checkFtpReplies(const QByteArray& bytes)
{
    if (QString broken = checkLineBuffer(bytes); !broken.isEmpty())
        return broken;

    application();
    static const Listener listener;
    if (listener.fd < 0)
        return QStringLiteral("no socket listens on 127.0.0.1");
    const QByteArray played = bytes.left(playedBytes);
    const Session whole = play(listener, split(played, QByteArray()));
    if (!whole.broken.isEmpty())
        return u"in one piece: "_qs + whole.broken;
    if (whole.received != whole.sentText.toUtf8())
        return u"the server received ["_qs + hex(whole.received)
            + u"], the client says it sent ["_qs + hex(whole.sentText.toUtf8()) + u']';
    QStringList commands = whole.sentText.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    const QStringList expected = expectedCommands(plainLines(played).complete);
    if (commands != expected)
        return u"the client sent \""_qs + commands.join(u", "_qs)
            + u"\", the replies call for \""_qs + expected.join(u", "_qs) + u'"';

    const Session pieces = play(listener, split(played, bytes.right(6)));
    if (!pieces.broken.isEmpty())
        return u"in pieces: "_qs + pieces.broken;
    if (pieces.events != whole.events) {
        for (qsizetype i = 0; i < std::max(pieces.events.size(), whole.events.size()); ++i)
            if (pieces.events.value(i) != whole.events.value(i))
                return QStringLiteral("event %1 is \"%2\" in pieces, \"%3\" in one piece; "
                                      "in pieces: %4; in one piece: %5")
                    .arg(i)
                    .arg(shown(pieces.events.value(i)), shown(whole.events.value(i)),
                        shown(pieces.events.join(u"; "_qs), 600),
                        shown(whole.events.join(u"; "_qs), 600));
    }
    return {};
}

} // namespace pmfuzz
