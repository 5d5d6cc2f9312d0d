/** @file ScriptedFtpServer.h ** A one-connection FTP server on 127.0.0.1 for tests: a script plays
 ** the server's side line by line on a thread of its own, and every command is recorded. **/
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QWaitCondition>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

class ScriptedFtpServer
{
public:
    class Session;
    using Script = std::function<void(Session&)>;

    /// Listens on 127.0.0.1, on `port` or on a free one when 0, and plays `script` for the
    /// first connection. Every wait of the script gives up after a few seconds.
    explicit ScriptedFtpServer(Script script, uint16_t port = 0);
    ~ScriptedFtpServer();

    bool listening() const { return m_listener >= 0; }
    uint16_t port() const { return m_port; }
    /// The commands received so far, without their CR LF.
    QList<QByteArray> commands() const;
    /// True once the script has ended.
    bool finished() const { return m_finished; }
    /// Why the script stopped early (a wait that gave up); empty when it did not.
    QByteArray failure() const;
    /// What each STOR delivered, by remote name.
    QMap<QByteArray, QByteArray> stored() const;
    /// Lets a script waiting in Session::waitForGate go on.
    void openGate();

    class Session
    {
    public:
        /// Sends text as it is.
        void send(const QByteArray& text);
        /// Sends reply lines, adding CR LF to a text that does not end in one.
        void reply(const QByteArray& lines);
        /// The next command without CR LF, recorded; false when the client closed.
        bool command(QByteArray& line);
        /// Connects to the address of the latest PORT command, from `from`, and reads until
        /// the client closes the data connection.
        QByteArray receiveData(const char* from = "127.0.0.1");
        /// Returns when the client closes the control connection.
        void waitForClose();
        void store(const QByteArray& name, const QByteArray& data);
        /// Waits until the test calls openGate.
        void waitForGate();

    private:
        friend class ScriptedFtpServer;
        explicit Session(ScriptedFtpServer& server, int fd)
            : m_server(server)
            , m_fd(fd)
        {
        }
        ScriptedFtpServer& m_server;
        int m_fd;
        QByteArray m_pending;
        QByteArray m_portArgument;
    };

private:
    void run(Script script);
    /// Waits until `fd` is readable; throws when the wait gives up or the server stops.
    void waitReadable(int fd);

    int m_listener = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop { false };
    std::atomic<bool> m_finished { false };
    mutable QMutex m_mutex;
    QList<QByteArray> m_commands; ///< guarded by m_mutex
    QByteArray m_failure; ///< guarded by m_mutex
    QMap<QByteArray, QByteArray> m_stored; ///< guarded by m_mutex
    bool m_gateOpen = false; ///< guarded by m_mutex
    QWaitCondition m_gate;
    std::thread m_thread;
};

/// Replies a dialogue gives by default: a user with a password, a UNIX system, every folder
/// there, every store accepted.
QMap<QByteArray, QByteArray> standardReplies();

/// Greets with `greeting`, then answers each command by its verb from `replies` (an unknown
/// verb gets "502 Command not implemented.") until QUIT, after which it closes. A STOR whose
/// reply is of class 2 or is 426 first sends "150", receives the data and keeps it.
ScriptedFtpServer::Script ftpDialogue(
    const QByteArray& greeting, const QMap<QByteArray, QByteArray>& replies = standardReplies());
