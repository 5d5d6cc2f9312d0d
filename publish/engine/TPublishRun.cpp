/** @file TPublishRun.cpp ** The steps of a publish run and the log lines of its events. **/
#include "publish/engine/TPublishRun.h"

#include "publish/engine/publish_utl.h"

#include <QPointer>

TPublishRun::TPublishRun(TPublishRunHost& host, QObject* parent)
    : QObject(parent)
    , m_host(host)
    , m_ftp(this)
    , m_dialUp(this)
{
    m_ftp.setTransferMode(BinaryTransfer);
    m_ftp.setTimeOutConnect(0);
    m_ftp.setTimeOutArp(0);
    m_ftp.setOnFtpInfo(
        [this](QObject*, int info, const QString& addinfo) { ftpInfo(info, addinfo); });
    m_ftp.setOnFtpError(
        [this](QObject*, int error, const QString& addinfo) { ftpError(error, addinfo); });
    m_ftp.setOnFtpReady([this](QObject*) {
        m_host.log(QStringLiteral("FTP: Ready"));
        m_ftpReady = true;
        connectAgainIfRefused();
        scheduleAdvance();
    });
    m_ftp.setOnFtpQuit([this](QObject*) { connectAgainIfRefused(); });
    m_ftp.setOnFileStored([this](QObject*) { fileStored(); });
    m_dialUp.setDialMode(dmAsync);
    m_dialUp.setLanguage(English);
    m_dialUp.setOnAsyncEvent(
        [this](QObject*, int, int, const QString& text) { dialAsyncEvent(text); });
    m_dialUp.setOnError(
        [this](QObject*, int code, const QString& message) { dialError(code, message); });
}

void TPublishRun::resetProgress()
{
    m_fileSizeText.clear();
    m_fileMax = 0;
    m_fileValue = 0;
    m_totalValue = 0;
    m_host.progressChanged();
}

bool TPublishRun::start(const QStringList& files, const TPublishTarget& target)
{
    if (m_running)
        return false;
    m_running = true;
    m_files = files;
    m_next = 0;
    m_target = target;
    m_storedBytes = 0;
    m_stopCode = stopNone;
    m_online = false;
    m_loggedIn = false;
    m_stored = false;
    m_host.setCloseEnabled(false);

    if (!m_dial) {
        logIn();
        return true;
    }
    QPointer<TPublishRun> self(this);
    m_dialUp.GetEntries();
    m_host.log(QStringLiteral("Dialup: Entries found on system:"));
    for (const QString& name : m_dialUp.Entries())
        m_host.log(name);
    m_host.log(QStringLiteral("Dialup: End of entries list."));
    const QString entry = m_host.chooseEntry(m_dialUp.Entries());
    if (!self)
        return true;
    if (entry.isEmpty()) {
        m_host.log(QStringLiteral("Dialup: No entry selected. Aborting."));
        cancel();
        end();
        return true;
    }
    m_dialUp.setEntry(entry);
    m_host.log(QStringLiteral("Dialup: Dialing ") + entry + QStringLiteral("..."));
    m_wait = waitOnline;
    m_dialUp.Dial();
    scheduleAdvance();
    return true;
}

void TPublishRun::cancel()
{
    m_ftp.Quit();
    if (m_dial) {
        hangUp();
    } else if (m_wait != waitNone) {
        // Without dialling nothing else would end the wait (a login that never completes, say):
        // Cancel stops the run with the same code as hanging up does.
        m_stopCode = stopNotConnected;
        scheduleAdvance();
    }
    m_host.setCloseEnabled(true);
}

void TPublishRun::hangUp()
{
    m_host.log(QStringLiteral("Dialup: Hanging up..."));
    m_dialUp.HangUp();
    m_host.log(QStringLiteral("Dialup: Offline"));
    m_totalValue = 0;
    m_host.progressChanged();
    m_stopCode = stopNotConnected;
    scheduleAdvance();
}

void TPublishRun::scheduleAdvance()
{
    if (m_wait == waitNone || m_advanceQueued)
        return;
    m_advanceQueued = true;
    QMetaObject::invokeMethod(this, &TPublishRun::advance, Qt::QueuedConnection);
}

void TPublishRun::advance()
{
    m_advanceQueued = false;
    if (m_wait == waitNone)
        return;
    if (m_stopCode != stopNone) {
        stop();
        return;
    }
    switch (m_wait) {
    case waitOnline:
        if (m_online)
            logIn();
        break;
    case waitLoggedIn:
        // The login's own ready notification comes after "Logged in"; the first store starts
        // once it is through, so that it cannot be taken for the store's.
        if (m_loggedIn && m_ftpReady)
            storeNext();
        break;
    case waitStored:
        if (m_stored)
            storeNext();
        break;
    case waitNone:
        break;
    }
}

void TPublishRun::logIn()
{
    m_host.log(QStringLiteral("FTP: Logging in"));
    m_ftp.setFtpServer(m_target.server);
    m_ftp.setInitialDirectory(m_target.initialDirectory);
    m_ftp.setFtpPort(uint16_t(qBound(0, m_target.port, 65535)));
    m_ftp.setUserName(m_target.userName);
    m_ftp.setUserPassword(m_target.password);
    m_wait = waitLoggedIn;
    m_ftpReady = false;
    m_connectRefused = false;
    m_ftp.Connect();
    scheduleAdvance();
}

void TPublishRun::connectAgainIfRefused()
{
    if (!m_connectRefused || m_wait != waitLoggedIn)
        return;
    m_connectRefused = false;
    m_ftp.Connect();
}

void TPublishRun::storeNext()
{
    if (m_next >= m_files.size()) {
        m_wait = waitNone;
        cancel();
        end();
        return;
    }
    const QString local = m_files[m_next++];
    m_stored = false;
    const QString remote = remoteFileName(m_host.remoteMask(), local, m_host.lowerCaseNames());
    m_ftp.setLocalFile(local);
    m_ftp.setRemoteFile(remote);
    m_host.log(QStringLiteral("FTP: Sending '") + local + QStringLiteral("' as '") + remote
        + QStringLiteral("'...."));
    m_wait = waitStored;
    m_ftp.StoreFile();
    scheduleAdvance();
}

void TPublishRun::stop()
{
    m_wait = waitNone;
    QPointer<TPublishRun> self(this);
    m_host.reportStop(m_stopCode);
    if (!self)
        return;
    cancel();
    end();
}

void TPublishRun::end()
{
    m_wait = waitNone;
    m_running = false;
    m_host.runEnded();
}

void TPublishRun::ftpInfo(int info, const QString& addinfo)
{
    switch (info) {
    case ftpInfoConnected:
        m_host.log(QStringLiteral("FTP:  Connected to ") + addinfo);
        break;
    case ftpInfoDisconnected:
        m_host.log(QStringLiteral("FTP: Disconnected from server"));
        break;
    case ftpInfoResolving:
        m_host.log(QStringLiteral("FTP: Resolving ") + addinfo);
        break;
    case ftpInfoResolved:
        m_host.log(QStringLiteral("FTP: Connected to ") + addinfo);
        break;
    case ftpInfoReceived:
    case ftpInfoSent: {
        // Text received at once may hold several replies: one log line each.
        const QStringList lines = QString(addinfo).remove(u'\r').split(u'\n', Qt::SkipEmptyParts);
        for (const QString& line : lines)
            m_host.log(QStringLiteral("FTP: ") + line);
        break;
    }
    case ftpInfoBusy:
        // The client is still ending the last run's connection (a QUIT after Cancel, say):
        // this run's login starts once it is through.
        if (m_wait == waitLoggedIn && !m_loggedIn)
            m_connectRefused = true;
        break;
    case ftpInfoProgress:
        m_fileSizeText
            = QStringLiteral("%1 of %2 bytes").arg(m_ftp.BytesTransferred()).arg(m_fileMax);
        m_fileValue = m_ftp.BytesTransferred();
        m_totalValue = m_ftp.BytesTransferred() + m_storedBytes;
        m_host.progressChanged();
        break;
    case ftpInfoLoggedIn:
        m_host.log(QStringLiteral("FTP: Logged in"));
        m_loggedIn = true;
        m_ftpReady = false;
        scheduleAdvance();
        break;
    case ftpInfoFileSize:
        m_host.log(QStringLiteral("FTP: File size is: ") + addinfo + QStringLiteral(" bytes"));
        m_fileSizeText = QStringLiteral("0 of %1 bytes").arg(addinfo);
        m_fileMax = addinfo.toLongLong();
        m_host.progressChanged();
        break;
    default:
        break;
    }
}

void TPublishRun::ftpError(int error, const QString& addinfo)
{
    const QString text = ftpErrorLogText(error);
    if (!text.isEmpty())
        m_host.log(text + addinfo);
    // While this run's login waits for the client to be free, an error is the end of the last
    // run's connection, not a failure of this run.
    if (m_connectRefused)
        return;
    m_stopCode = stopFtp;
    scheduleAdvance();
}

void TPublishRun::fileStored()
{
    m_stored = true;
    if (m_ftp.Success())
        m_host.log(QStringLiteral("FTP: File successfully stored on server."));
    m_fileSizeText.clear();
    m_fileValue = 0;
    m_storedBytes += m_fileMax;
    m_host.progressChanged();
    scheduleAdvance();
}

void TPublishRun::dialAsyncEvent(const QString& text)
{
    m_host.log(QStringLiteral("Dialup: ") + text);
    if (text.toLower() == QLatin1String("connected")) {
        m_online = true;
        m_host.log(QStringLiteral("Dialup: Online"));
    }
    scheduleAdvance();
}

void TPublishRun::dialError(int code, const QString& message)
{
    m_host.log(
        QStringLiteral("Dialup: Error #") + QString::number(code) + QStringLiteral(": ") + message);
    cancel();
    m_stopCode = stopDialUp;
    scheduleAdvance();
}
