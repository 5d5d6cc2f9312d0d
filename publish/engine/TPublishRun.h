/** @file TPublishRun.h ** A publish run without windows: dial if asked, log in, store every file
 ** under its remote name, quit and hang up, writing each step to the log. **/
#pragma once

#include "net/Ftp.h"
#include "publish/engine/DialUp.h"

#include <QObject>
#include <QStringList>

/// What a run needs from the window that shows it.
class TPublishRunHost
{
public:
    virtual ~TPublishRunHost() = default;
    virtual void log(const QString& line) = 0;
    /// The remote filename mask and the lower-case box as they are now: read for every file.
    virtual QString remoteMask() = 0;
    virtual bool lowerCaseNames() = 0;
    /// The chooser of entries to dial; empty when none was chosen.
    virtual QString chooseEntry(const QStringList& entries) = 0;
    /// The run stops with this code (16, 17 or 18): the error message of that code.
    virtual void reportStop(int code) = 0;
    /// The run's progress changed (file label and bar, total bar).
    virtual void progressChanged() { }
    virtual void setCloseEnabled(bool enabled) { (void)enabled; }
    virtual void runEnded() { }
};

struct TPublishTarget
{
    QString server;
    int port = 21;
    QString initialDirectory;
    QString userName;
    QString password;
};

/// Each wait of the run (online, logged in, stored) ends when its flag is set or a stop code
/// is; the run goes on from the event loop, so the window that shows it stays usable.
class TPublishRun : public QObject
{
    Q_OBJECT
public:
    enum StopCode { stopNone = 0, stopNotConnected = 16, stopFtp = 17, stopDialUp = 18 };
    enum Wait { waitNone, waitOnline, waitLoggedIn, waitStored };

    explicit TPublishRun(TPublishRunHost& host, QObject* parent = nullptr);

    /// Starts a run over `files` (local paths, already saved); false when one is under way.
    bool start(const QStringList& files, const TPublishTarget& target);
    /// The Cancel action: quit the FTP connection, hang up when dialling, enable Close. A run
    /// waiting for anything ends (see the .cpp for the case without dialling).
    void cancel();

    bool running() const { return m_running; }
    Wait waiting() const { return m_wait; }
    int stopCode() const { return m_stopCode; }
    bool dialFlag() const { return m_dial; }
    void setDialFlag(bool dial) { m_dial = dial; }

    // Progress: what the labels and bars show.
    QString fileSizeText() const { return m_fileSizeText; }
    qint64 fileSizeMax() const { return m_fileMax; }
    qint64 fileSizeValue() const { return m_fileValue; }
    qint64 totalValue() const { return m_totalValue; }
    /// Clears both labels' values and both bars, as a fresh showing of the window does.
    void resetProgress();

    TStarFtp& ftp() { return m_ftp; }
    TDialUp& dialUp() { return m_dialUp; }

private:
    void ftpInfo(int info, const QString& addinfo);
    void ftpError(int error, const QString& addinfo);
    void fileStored();
    void dialAsyncEvent(const QString& text);
    void dialError(int code, const QString& message);
    void hangUp();
    /// Looks at the flags of the current wait from the event loop.
    void scheduleAdvance();
    void advance();
    void logIn();
    void connectAgainIfRefused();
    void storeNext();
    void stop();
    void end();

    TPublishRunHost& m_host;
    TStarFtp m_ftp;
    TDialUp m_dialUp;

    bool m_dial = true;
    bool m_running = false;
    Wait m_wait = waitNone;
    bool m_online = false;
    bool m_loggedIn = false;
    bool m_stored = false;
    /// A ready notification of the FTP client came since the flag of the wait was set.
    bool m_ftpReady = false;
    /// Connect found the client busy; it is asked again once the client is free.
    bool m_connectRefused = false;
    int m_stopCode = stopNone;
    bool m_advanceQueued = false;

    QStringList m_files;
    int m_next = 0;
    TPublishTarget m_target;

    QString m_fileSizeText;
    qint64 m_fileMax = 0;
    qint64 m_fileValue = 0;
    qint64 m_totalValue = 0;
    qint64 m_storedBytes = 0;
};
