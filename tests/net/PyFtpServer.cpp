/** @file PyFtpServer.cpp ** The pyftpdlib server process of the tests. **/
#include "PyFtpServer.h"

#include <QFileInfo>

PyFtpServer::PyFtpServer() = default;

PyFtpServer::~PyFtpServer()
{
    kill();
}

bool PyFtpServer::start(QString* error)
{
    // Debian's interpreter: a python3 found first on PATH may not see Debian's packages.
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFileInfo(python).isExecutable()) {
        *error = QStringLiteral("no /usr/bin/python3: run scripts/deps.sh");
        return false;
    }
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(python,
        { QStringLiteral(NET_TEST_DIR "/ftpserver.py"), m_root.path(), QStringLiteral("--user"),
            QLatin1String(kUser), QStringLiteral("--password"), QLatin1String(kPassword),
            QStringLiteral("--stdin") });
    if (!m_process.waitForStarted(5000)) {
        *error = QStringLiteral("the FTP server did not start: ") + m_process.errorString();
        return false;
    }
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(10000)) {
            *error = QStringLiteral("the FTP server gave no port (is python3-pyftpdlib "
                                    "installed? scripts/deps.sh installs it)");
            kill();
            return false;
        }
    }
    bool ok = false;
    m_port = uint16_t(m_process.readLine().trimmed().toUInt(&ok));
    if (!ok || m_port == 0) {
        *error = QStringLiteral("the FTP server printed no port");
        kill();
        return false;
    }
    return true;
}

void PyFtpServer::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}
