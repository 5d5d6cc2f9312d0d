/** @file Ftp.h ** An FTP client that logs in, stores files in active mode and quits, reporting
 *every
 ** step as an event from the GUI thread's event loop. **/
#pragma once

#include "net/ReplyLineBuffer.h"
#include "net/starsock.h"

#include <QFile>
#include <QString>
#include <cstdint>
#include <functional>

enum TTransferType { BinaryTransfer = 0, AsciiTransfer = 1 };

enum TFTPServerType {
    ftpstDefault,
    ftpstAutoDetect,
    ftpstUNIX,
    ftpstULTRIX,
    ftpstU5000,
    ftpstSINTFTPD,
    ftpstVmsMultinet,
    ftpstVmsUcx,
    ftpstMVS,
    ftpstMacFtpd,
    ftpstClix,
    ftpstQVT,
    ftpstNCSA,
    ftpstChameleon,
    ftpstVM,
    ftpstVMVPS,
};

/// What OnFtpNeedInfo asks for.
enum TFtpInfoNeeded { niServer = 0, niUser = 1, niPassword = 2, niAccount = 3 };

/// Codes of OnFtpInfo.
enum FtpInfo {
    ftpInfoConnected = 0, ///< the server's dotted address
    ftpInfoDisconnected = 1, ///< "Disconnected"; empty when an operation found no connection
    ftpInfoResolving = 2, ///< the host name
    ftpInfoResolved = 3, ///< the dotted address
    ftpInfoReceived = 4, ///< the text exactly as received, possibly empty
    ftpInfoSent = 5, ///< the command line with its CR LF
    ftpInfoBusy = 6, ///< another operation is running
    ftpInfoProgress = 7, ///< after each block of a transfer
    ftpInfoTransferDone = 9, ///< "Transfer done"
    ftpInfoLoggedIn = 11, ///< "Logged in"
    ftpInfoFileSize = 12, ///< decimal byte count of the file about to be sent
    ftpInfoRefused = 13, ///< a command was refused; the connection stays logged in
};

/// Codes of OnFtpError. 1, 19, 21, 24 and 27 are reported and leave the connection as it is;
/// every other code is fatal: the connection is closed and the quit notification follows.
enum FtpError {
    ftpErrQuitRefused = 0,
    ftpErrNotInitialized = 1,
    ftpErrNetworkDown = 2,
    ftpErrInvalidAddress = 3,
    ftpErrInternal = 4,
    ftpErrGeneral = 5,
    ftpErrAborted = 6,
    ftpErrReset = 7,
    ftpErrTimeout = 8,
    ftpErrNoSockets = 9,
    ftpErrNetworkUnreachable = 10,
    ftpErrAddressNotAvailable = 11,
    ftpErrRefused = 12,
    ftpErrProtocol = 13,
    ftpErrOther = 15,
    ftpErrResolve = 16,
    ftpErrHostUnreachable = 18,
    ftpErrNoServer = 19,
    ftpErrLocalFile = 21,
    ftpErrNoRemoteFile = 24,
    ftpErrNotReady = 26,
    ftpErrLogin = 27,
    ftpErrData = 28,
};

using TFtpInfoEvent = std::function<void(QObject* Sender, int info, const QString& addinfo)>;
using TFtpInfoNeededEvent = std::function<void(QObject* Sender, int need, QString& value)>;
using TFtpErrorEvent = std::function<void(QObject* Sender, int error, const QString& addinfo)>;
using TNotifyEvent = std::function<void(QObject* Sender)>;

/// The inherited socket is the control connection. Operations return at once; their outcome
/// arrives as events. No text holding CR, LF or NUL ever reaches the server as a command
/// argument: the operation that needs it fails instead.
class TStarFtp : public TStarSocket
{
    Q_OBJECT
public:
    explicit TStarFtp(QObject* parent = nullptr);
    ~TStarFtp() override;

    /// Log in: greeting, USER, PASS, ACCT as asked, SYST, CWD to InitialDirectory.
    void Connect();
    /// Upload LocalFile as RemoteFile: TYPE, PORT, STOR and the data in 2048-byte blocks.
    void StoreFile();
    void Quit();

    QString FtpServer() const { return m_ftpServer; }
    /// A dotted IPv4 address is used as it is; any other text is a name to resolve.
    void setFtpServer(const QString& server);
    uint16_t FtpPort() const { return m_ftpPort; }
    void setFtpPort(uint16_t port) { m_ftpPort = port; }
    QString UserName() const { return m_userName; }
    void setUserName(const QString& name) { m_userName = name; }
    QString UserPassword() const { return m_userPassword; }
    void setUserPassword(const QString& password) { m_userPassword = password; }
    QString UserAccount() const { return m_userAccount; }
    void setUserAccount(const QString& account) { m_userAccount = account; }
    QString LocalFile() const { return m_localFile; }
    void setLocalFile(const QString& path) { m_localFile = path; }
    QString RemoteFile() const { return m_remoteFile; }
    void setRemoteFile(const QString& name) { m_remoteFile = name; }
    TTransferType TransferMode() const { return m_transferMode; }
    void setTransferMode(TTransferType mode) { m_transferMode = mode; }
    QString InitialDirectory() const { return m_initialDirectory; }
    void setInitialDirectory(const QString& folder) { m_initialDirectory = folder; }
    TFTPServerType ServerType() const { return m_serverType; }
    void setServerType(TFTPServerType type) { m_serverType = type; }
    bool WinsockStarted() const { return TStarSocket::WinsockStarted(); }
    void setWinsockStarted(bool started);
    QString Version() const { return QStringLiteral("TFtp 1.4.2"); }
    bool Success() const { return m_success; }
    /// Bytes of the current file read and sent so far.
    int64_t BytesTransferred() const { return m_bytesTransferred; }
    /// The latest error code, 0 when none.
    int LastFtpError() const { return m_lastFtpError; }
    /// The short description of an error code ("Connection Refused", ...).
    static QString ErrorText(int error);
    /// Bytes held of an unfinished reply line.
    int PendingReplyBytes() const { return m_replyLines.pendingBytes(); }

    void setOnFtpInfo(TFtpInfoEvent handler) { m_onFtpInfo = std::move(handler); }
    void setOnFtpNeedInfo(TFtpInfoNeededEvent handler) { m_onFtpNeedInfo = std::move(handler); }
    void setOnFtpError(TFtpErrorEvent handler) { m_onFtpError = std::move(handler); }
    void setOnFtpReady(TNotifyEvent handler) { m_onFtpReady = std::move(handler); }
    void setOnLoggedIn(TNotifyEvent handler) { m_onLoggedIn = std::move(handler); }
    void setOnFileStored(TNotifyEvent handler) { m_onFileStored = std::move(handler); }
    void setOnFtpQuit(TNotifyEvent handler) { m_onFtpQuit = std::move(handler); }

protected:
    void HostResolved() override;

private:
    /// Which reply is awaited; any other value makes replies be ignored.
    enum CommandState {
        csGreeting = 0,
        csUser = 1,
        csPass = 2,
        csAcct = 3,
        csSyst = 5,
        csCwd = 6,
        csType = 30,
        csPort = 31,
        csStor = 32,
        csQuit = 60,
        csFinished = 100,
    };
    enum Completion { completionNone = 0, completionLoggedIn = 1, completionFileStored = 7 };

    void controlConnected();
    void controlRead();
    void controlClosed();
    void handleReply(const QByteArray& line);
    /// Sends `command` followed by CR LF, then awaits the reply in `nextState`. False when the
    /// command did not go out whole.
    bool sendCommand(const QByteArray& command, int nextState);
    /// Sends `verb` + " " + `argument` unless the argument holds CR, LF or NUL.
    bool sendWithArgument(const char* verb, const QString& argument, int nextState);
    void askFor(int need, QString& value);
    void loginRefused();
    void loggedIn();
    void classifySystem(const QByteArray& reply);
    bool openDataListener(QByteArray& portArgument);
    void storeAccept();
    void transferClosed();
    /// The data side has ended: the sockets and the file are closed, info 9 is raised.
    void dataSideEnded();
    /// The store has come to an end by any road; a send loop still running stops.
    void endStore();
    void finishStoreIfDone();
    /// Waits for the event loop between sends; false when the store or the client went away.
    bool letEventsRun(bool waitForMore);
    void armReplyTimeout();
    bool awaitingReply() const;

    void info(int code, const QString& addinfo = QString());
    void reportedError(int code);
    /// Closes every socket and raises the error; `enterAborted` for a socket failure.
    void fatalError(int code, bool enterAborted = false);
    /// True (and the fatal error raised) when the control socket's last call failed.
    bool socketErrorCheck();
    void postReady();
    void postQuit();
    void userMessage(int message);
    void raiseNotify(const TNotifyEvent& handler);

    QString m_ftpServer;
    uint16_t m_ftpPort = 21;
    QString m_userName;
    QString m_userPassword;
    QString m_userAccount;
    QString m_localFile;
    QString m_remoteFile;
    TTransferType m_transferMode = BinaryTransfer;
    QString m_initialDirectory;
    TFTPServerType m_serverType = ftpstDefault;
    bool m_success = false;
    int64_t m_bytesTransferred = 0;

    TStarSocket* m_dataListener;
    TStarSocket* m_dataConnection;

    int m_commandState = csFinished;
    bool m_busy = false;
    bool m_ftpConnected = false;
    /// Set after a socket failure; nothing is sent or read until the next Connect.
    bool m_aborted = false;
    bool m_multiLine = false;
    QByteArray m_multiLineCode;
    ReplyLineBuffer m_replyLines;
    bool m_replyGuard = false;
    int m_pendingCompletion = completionNone;
    bool m_controlDone = false;
    bool m_dataDone = false;
    /// The server answered STOR with 426: the store fails once the data side has ended.
    bool m_storeAborted = false;
    /// The server's connection was accepted and the file is being sent.
    bool m_sending = false;
    /// The server connected before STOR went out; the file follows STOR.
    bool m_acceptWaiting = false;
    bool m_storeReadyPosted = false;
    /// Counts store endings, so that a send loop notices its store is over.
    uint64_t m_storeRun = 0;
    /// The remote name of the running store.
    QString m_storeName;
    QByteArray m_sendBuffer;
    /// The local file of the store, open from StoreFile until the data side ends.
    QFile m_file;
    int m_lastFtpError = 0;

    TFtpInfoEvent m_onFtpInfo;
    TFtpInfoNeededEvent m_onFtpNeedInfo;
    TFtpErrorEvent m_onFtpError;
    TNotifyEvent m_onFtpReady;
    TNotifyEvent m_onLoggedIn;
    TNotifyEvent m_onFileStored;
    TNotifyEvent m_onFtpQuit;
};
