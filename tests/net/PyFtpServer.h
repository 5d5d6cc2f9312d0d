/** @file PyFtpServer.h ** Starts and stops a real FTP server (pyftpdlib) on 127.0.0.1 for a test,
 ** serving a temporary folder of its own. **/
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>

class PyFtpServer
{
public:
    static constexpr const char* kUser = "pagemason";
    static constexpr const char* kPassword = "secret";

    PyFtpServer();
    ~PyFtpServer();

    /// Starts the server and waits (a few seconds at most) for its port; false with a reason.
    bool start(QString* error);
    /// Ends the server at once, as a crash would.
    void kill();
    uint16_t port() const { return m_port; }
    /// The served folder, ending in "/".
    QString root() const { return m_root.path() + QLatin1Char('/'); }

private:
    QTemporaryDir m_root;
    QProcess m_process;
    uint16_t m_port = 0;
};
