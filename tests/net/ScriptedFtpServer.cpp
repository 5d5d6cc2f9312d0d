/** @file ScriptedFtpServer.cpp ** The scripted FTP server's sockets, over blocking POSIX calls. **/
#include "ScriptedFtpServer.h"

#include <QMutexLocker>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

/// How long one wait of a script may last before it gives up.
constexpr int kWaitMs = 10000;
/// Waits are cut into slices so that a stopping server is noticed.
constexpr int kSliceMs = 50;

struct ScriptFailure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

} // namespace

ScriptedFtpServer::ScriptedFtpServer(Script script, uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = htons(port);
    socklen_t length = sizeof sa;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0
        || ::listen(fd, 4) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length) != 0) {
        if (fd >= 0)
            ::close(fd);
        m_finished = true;
        return;
    }
    m_listener = fd;
    m_port = ntohs(sa.sin_port);
    m_thread = std::thread([this, script = std::move(script)] { run(script); });
}

ScriptedFtpServer::~ScriptedFtpServer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener >= 0)
        ::close(m_listener);
}

QList<QByteArray> ScriptedFtpServer::commands() const
{
    QMutexLocker lock(&m_mutex);
    return m_commands;
}

QByteArray ScriptedFtpServer::failure() const
{
    QMutexLocker lock(&m_mutex);
    return m_failure;
}

QMap<QByteArray, QByteArray> ScriptedFtpServer::stored() const
{
    QMutexLocker lock(&m_mutex);
    return m_stored;
}

void ScriptedFtpServer::run(Script script)
{
    int fd = -1;
    try {
        waitReadable(m_listener);
        fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            throw ScriptFailure("accept failed");
        Session session(*this, fd);
        script(session);
    } catch (const std::exception& e) {
        QMutexLocker lock(&m_mutex);
        m_failure = e.what();
    }
    if (fd >= 0)
        ::close(fd);
    m_finished = true;
}

void ScriptedFtpServer::openGate()
{
    QMutexLocker lock(&m_mutex);
    m_gateOpen = true;
    m_gate.wakeAll();
}

void ScriptedFtpServer::waitReadable(int fd)
{
    for (int waited = 0; waited < kWaitMs; waited += kSliceMs) {
        if (m_stop)
            throw ScriptFailure("server stopped");
        pollfd p { fd, POLLIN, 0 };
        if (::poll(&p, 1, kSliceMs) > 0)
            return;
    }
    throw ScriptFailure("gave up waiting");
}

void ScriptedFtpServer::Session::send(const QByteArray& text)
{
    qsizetype done = 0;
    while (done < text.size()) {
        const ssize_t n
            = ::send(m_fd, text.constData() + done, size_t(text.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            throw ScriptFailure("send failed");
        done += n;
    }
}

void ScriptedFtpServer::Session::reply(const QByteArray& lines)
{
    send(lines.endsWith("\r\n") ? lines : lines + "\r\n");
}

bool ScriptedFtpServer::Session::command(QByteArray& line)
{
    for (;;) {
        const qsizetype end = m_pending.indexOf("\r\n");
        if (end >= 0) {
            line = m_pending.left(end);
            m_pending.remove(0, end + 2);
            QMutexLocker lock(&m_server.m_mutex);
            m_server.m_commands.append(line);
            if (line.startsWith("PORT "))
                m_portArgument = line.mid(5);
            return true;
        }
        m_server.waitReadable(m_fd);
        char buffer[4096];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        m_pending.append(buffer, n);
    }
}

QByteArray ScriptedFtpServer::Session::receiveData(const char* from)
{
    const QList<QByteArray> parts = m_portArgument.split(',');
    if (parts.size() != 6)
        throw ScriptFailure("no PORT argument");
    const QByteArray host = parts[0] + '.' + parts[1] + '.' + parts[2] + '.' + parts[3];
    const int port = parts[4].toInt() * 256 + parts[5].toInt();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local {};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, from, &local.sin_addr);
    sockaddr_in peer {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(uint16_t(port));
    inet_pton(AF_INET, host.constData(), &peer.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0
        || ::connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        ::close(fd);
        throw ScriptFailure("data connection failed");
    }
    QByteArray data;
    try {
        for (;;) {
            m_server.waitReadable(fd);
            char buffer[65536];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            data.append(buffer, n);
        }
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return data;
}

void ScriptedFtpServer::Session::waitForClose()
{
    for (;;) {
        m_server.waitReadable(m_fd);
        char buffer[4096];
        if (::recv(m_fd, buffer, sizeof buffer, 0) <= 0)
            return;
    }
}

void ScriptedFtpServer::Session::waitForGate()
{
    QMutexLocker lock(&m_server.m_mutex);
    for (int waited = 0; !m_server.m_gateOpen; waited += kSliceMs) {
        if (m_server.m_stop || waited >= kWaitMs)
            throw ScriptFailure("the gate stayed shut");
        m_server.m_gate.wait(&m_server.m_mutex, kSliceMs);
    }
    m_server.m_gateOpen = false;
}

void ScriptedFtpServer::Session::store(const QByteArray& name, const QByteArray& data)
{
    QMutexLocker lock(&m_server.m_mutex);
    m_server.m_stored.insert(name, data);
}

QMap<QByteArray, QByteArray> standardReplies()
{
    return {
        { "USER", "331 Password required." },
        { "PASS", "230 Logged in." },
        { "ACCT", "230 Account accepted." },
        { "SYST", "215 UNIX Type: L8" },
        { "CWD", "250 Folder changed." },
        { "TYPE", "200 Type set." },
        { "PORT", "200 PORT command successful." },
        { "STOR", "226 Transfer complete." },
        { "QUIT", "221 Goodbye." },
    };
}

ScriptedFtpServer::Script ftpDialogue(
    const QByteArray& greeting, const QMap<QByteArray, QByteArray>& replies)
{
    return [greeting, replies](ScriptedFtpServer::Session& s) {
        s.reply(greeting);
        QByteArray line;
        while (s.command(line)) {
            const qsizetype space = line.indexOf(' ');
            const QByteArray verb = (space < 0 ? line : line.left(space)).toUpper();
            const QByteArray answer = replies.value(verb, "502 Command not implemented.");
            if (verb == "STOR" && (answer.startsWith('2') || answer.startsWith("426"))) {
                s.reply("150 Opening data connection.");
                s.store(line.mid(5), s.receiveData());
            }
            s.reply(answer);
            if (verb == "QUIT")
                return;
        }
    };
}
