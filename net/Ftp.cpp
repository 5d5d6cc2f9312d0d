/** @file Ftp.cpp ** The FTP client's reply machine, login and store sequences. **/
#include "net/Ftp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <arpa/inet.h>

namespace {

constexpr int kQuitMessage = 1026;
constexpr int kReadyMessage = 1028;
constexpr int kBlockSize = 2048;
/// While a file is sent the event loop runs at least this often (and whenever the socket is
/// full), not after every block: the GUI stays as responsive and the sending costs less.
constexpr int kEventSliceMs = 5;
constexpr int kBlocksPerSend = 32;

/// A command argument must not be able to end its line and start another.
bool safeArgument(const QString& text)
{
    return !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QChar(0));
}

} // namespace

TStarFtp::TStarFtp(QObject* parent)
    : TStarSocket(parent)
    , m_dataListener(new TStarSocket(this))
    , m_dataConnection(new TStarSocket(this))
{
    m_dataListener->StartWinsock();
    m_dataConnection->StartWinsock();
    setOnUserMessage([this](int message) { userMessage(message); });
}

TStarFtp::~TStarFtp()
{
    // The data sockets' handlers point here; they go first.
    delete m_dataConnection;
    delete m_dataListener;
    m_file.close();
}

QString TStarFtp::ErrorText(int error)
{
    switch (error) {
    case ftpErrNotInitialized:
    case ftpErrNetworkDown:
    case ftpErrInvalidAddress:
    case ftpErrInternal:
    case ftpErrGeneral:
    case ftpErrAborted:
    case ftpErrReset:
    case ftpErrTimeout:
    case ftpErrNoSockets:
    case ftpErrNetworkUnreachable:
    case ftpErrAddressNotAvailable:
    case ftpErrRefused:
    case ftpErrOther:
    case ftpErrResolve:
    case ftpErrHostUnreachable:
        return socketErrorClassText(error);
    default:
        return QString();
    }
}

void TStarFtp::setFtpServer(const QString& server)
{
    m_ftpServer = server;
    m_hostText = server;
    const QString text = server.trimmed();
    in_addr a {};
    // A name may start with a digit too ("3com.com"): only a real address skips the lookup.
    const bool dotted = !text.isEmpty() && text.at(0) >= QLatin1Char('0')
        && text.at(0) <= QLatin1Char('9') && inet_aton(text.toLatin1().constData(), &a);
    if (dotted) {
        m_addressText = text;
    } else {
        m_hostNameText = text;
        m_addressText.clear();
    }
}

void TStarFtp::setWinsockStarted(bool started)
{
    if (started) {
        StartWinsock();
    } else {
        StopWinsock();
        UnloadWinsock();
    }
}

void TStarFtp::Connect()
{
    if (m_busy) {
        info(ftpInfoBusy);
        return;
    }
    if (!StartWinsock()) {
        reportedError(ftpErrNotInitialized);
        return;
    }
    if (m_ftpServer.isEmpty()) {
        QString server;
        askFor(niServer, server);
        if (!server.isEmpty())
            setFtpServer(server);
    }
    if (m_ftpServer.isEmpty()) {
        reportedError(ftpErrNoServer);
        return;
    }
    // Each Connect starts afresh: an earlier connection and an earlier socket failure are left
    // behind, so one dropped connection does not stop every later run.
    endStore();
    m_dataConnection->AbortSocket();
    m_dataListener->AbortSocket();
    AbortSocket();
    m_aborted = false;
    m_ftpConnected = false;
    m_pendingCompletion = completionNone;

    m_success = true;
    m_lastFtpError = 0;
    setOnSocketTimeout([this](TStarSocket*) { fatalError(ftpErrTimeout); });
    StartWinsock();
    SetPort(m_ftpPort ? m_ftpPort : 21);

    m_multiLine = false;
    m_multiLineCode.clear();
    m_replyLines.clear();
    m_replyGuard = false;
    m_commandState = csGreeting;
    setOnSocketConnect([this](TStarSocket*) { controlConnected(); });
    setOnSocketRead([this](TStarSocket*) { controlRead(); });
    setOnSocketClose([this](TStarSocket*) { controlClosed(); });
    // Room to write is no reply: the wait for one goes on.
    setOnSocketWrite([this](TStarSocket*) { armReplyTimeout(); });

    CreateSocket();
    if (socketErrorCheck())
        return;
    if (!m_addressText.isEmpty()) {
        SetAddressText(m_addressText);
        SetPort(m_ftpPort ? m_ftpPort : 21);
        ConnectSocket();
    } else {
        QPointer<TStarFtp> self(this);
        info(ftpInfoResolving, m_hostNameText);
        if (!self)
            return;
        ResolveHost(m_hostNameText);
    }
    socketErrorCheck();
}

void TStarFtp::HostResolved()
{
    if (socketErrorCheck())
        return;
    UseResolvedAddress();
    SetPort(m_ftpPort ? m_ftpPort : 21);
    m_addressText = AddressText();
    QPointer<TStarFtp> self(this);
    info(ftpInfoResolved, m_addressText);
    if (!self || m_aborted || Handle() == kInvalidSocket)
        return;
    ConnectSocket();
    socketErrorCheck();
}

void TStarFtp::controlConnected()
{
    if (socketErrorCheck())
        return;
    m_commandState = csGreeting;
    QPointer<TStarFtp> self(this);
    info(ftpInfoConnected, m_addressText);
    if (!self)
        return;
    m_ftpConnected = true;
    m_replyLines.clear();
    m_replyGuard = false;
    armReplyTimeout();
}

void TStarFtp::controlRead()
{
    if (m_replyGuard || m_aborted)
        return;
    QPointer<TStarFtp> self(this);
    char buffer[kBlockSize];
    for (;;) {
        const int n = ReceiveData(buffer, kBlockSize);
        if (socketErrorCheck())
            return;
        info(ftpInfoReceived, QString::fromUtf8(buffer, n));
        if (!self || m_aborted || Handle() == kInvalidSocket)
            return;
        if (n == 0)
            break;
        const QList<QByteArray> lines = m_replyLines.feed(buffer, n);
        for (const QByteArray& line : lines) {
            m_replyGuard = true;
            handleReply(line);
            if (!self)
                return;
            m_replyGuard = false;
            if (m_aborted || Handle() == kInvalidSocket)
                return;
        }
    }
    armReplyTimeout();
}

void TStarFtp::handleReply(const QByteArray& line)
{
    if (line.isEmpty())
        return;
    if (m_multiLine) {
        if (line.size() < 4 || line.left(3) != m_multiLineCode || line.at(3) != ' ')
            return;
    } else if (line.size() >= 4 && line.at(3) == '-') {
        m_multiLine = true;
        m_multiLineCode = line.left(3);
        return;
    }
    m_multiLine = false;
    const char replyClass = line.at(0);
    switch (m_commandState) {
    case csGreeting:
        if (replyClass == '2') {
            askFor(niUser, m_userName);
            if (!safeArgument(m_userName)) {
                loginRefused();
                return;
            }
            sendCommand("USER " + m_userName.toUtf8(), csUser);
        } else {
            fatalError(ftpErrNotReady);
        }
        break;
    case csUser:
    case csPass:
    case csAcct:
        if (replyClass == '2') {
            sendCommand("SYST", csSyst);
        } else if (replyClass == '3' && m_commandState == csUser) {
            askFor(niPassword, m_userPassword);
            if (!safeArgument(m_userPassword)) {
                loginRefused();
                return;
            }
            sendCommand("PASS " + m_userPassword.toUtf8(), csPass);
        } else if (replyClass == '3' && m_commandState == csPass) {
            askFor(niAccount, m_userAccount);
            if (!safeArgument(m_userAccount)) {
                loginRefused();
                return;
            }
            sendCommand("ACCT " + m_userAccount.toUtf8(), csAcct);
        } else {
            loginRefused();
        }
        break;
    case csSyst:
        m_pendingCompletion = completionLoggedIn;
        if (replyClass != '5')
            classifySystem(line);
        else
            m_serverType = ftpstDefault;
        if (m_initialDirectory.isEmpty()) {
            loggedIn();
        } else if (!safeArgument(m_initialDirectory)) {
            // Refused here as the server would refuse a folder it does not have.
            QPointer<TStarFtp> self(this);
            info(ftpInfoRefused);
            if (self)
                loggedIn();
        } else {
            sendCommand("CWD " + m_initialDirectory.toUtf8(), csCwd);
        }
        break;
    case csCwd:
        if (replyClass != '2') {
            QPointer<TStarFtp> self(this);
            info(ftpInfoRefused);
            if (!self)
                return;
        }
        loggedIn();
        break;
    case csType: {
        m_controlDone = false;
        m_dataDone = false;
        if (replyClass != '2') {
            fatalError(ftpErrProtocol);
            return;
        }
        QByteArray portArgument;
        if (openDataListener(portArgument))
            sendCommand("PORT " + portArgument, csPort);
        break;
    }
    case csPort:
        if (replyClass != '2') {
            fatalError(ftpErrProtocol);
            return;
        }
        m_dataConnection->setOnSocketClose([this](TStarSocket*) { transferClosed(); });
        m_dataConnection->setOnSocketRead(nullptr);
        if (sendCommand("STOR " + m_storeName.toUtf8(), csStor) && m_acceptWaiting) {
            m_acceptWaiting = false;
            storeAccept();
        }
        break;
    case csStor:
        if (replyClass == '1')
            break;
        if (replyClass == '2') {
            m_controlDone = true;
            finishStoreIfDone();
        } else if (line.startsWith("426")) {
            // The server dropped the transfer: the store fails once the data side has ended.
            m_storeAborted = true;
            m_success = false;
            m_controlDone = true;
            QPointer<TStarFtp> self(this);
            info(ftpInfoRefused);
            if (self)
                finishStoreIfDone();
        } else {
            endStore();
            m_dataConnection->AbortSocket();
            m_dataListener->AbortSocket();
            m_commandState = csFinished;
            m_success = false;
            QPointer<TStarFtp> self(this);
            info(ftpInfoRefused);
            if (self)
                postReady();
        }
        break;
    case csQuit:
        m_commandState = csFinished;
        if (replyClass != '2')
            fatalError(ftpErrQuitRefused);
        break;
    default:
        break;
    }
}

void TStarFtp::classifySystem(const QByteArray& reply)
{
    const QByteArray system = reply.mid(4, 99).toUpper();
    TFTPServerType type = ftpstDefault;
    const std::pair<const char*, TFTPServerType> names[] = {
        { "UNIX", ftpstUNIX },
        { "CLIX", ftpstClix },
        { "ULTRIX", ftpstULTRIX },
        { "MVS", ftpstMVS },
        { "QVT", ftpstQVT },
        { "NCSA", ftpstNCSA },
        { "CHAMELEON", ftpstChameleon },
    };
    for (const auto& [name, value] : names) {
        if (system.contains(name))
            type = value;
    }
    if (system.contains("VMS"))
        type = system.contains("MULTINET") ? ftpstVmsMultinet : ftpstVmsUcx;
    else if (system.contains("VM"))
        type = system.contains("VPS") ? ftpstVMVPS : ftpstVM;
    m_serverType = type;
}

void TStarFtp::askFor(int need, QString& value)
{
    const TFtpInfoNeededEvent handler = m_onFtpNeedInfo;
    if (value.isEmpty() && handler) {
        QString answer = value;
        handler(this, need, answer);
        value = answer;
    }
}

void TStarFtp::loginRefused()
{
    reportedError(ftpErrLogin);
    sendCommand("QUIT", csQuit);
}

void TStarFtp::loggedIn()
{
    QPointer<TStarFtp> self(this);
    info(ftpInfoLoggedIn, QStringLiteral("Logged in"));
    if (!self)
        return;
    m_commandState = csFinished;
    SetTimeout(0);
    postReady();
}

bool TStarFtp::sendCommand(const QByteArray& command, int nextState)
{
    if (m_aborted)
        return false;
    const QByteArray line = command + "\r\n";
    QPointer<TStarFtp> self(this);
    info(ftpInfoSent, QString::fromUtf8(line));
    qsizetype done = 0;
    bool blocked = false;
    while (done < line.size()) {
        QCoreApplication::processEvents(
            blocked ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
        if (!self || m_aborted || Handle() == kInvalidSocket)
            return false;
        const int n = SendData(line.constData() + done, int(line.size() - done));
        if (socketErrorCheck())
            return false;
        done += n;
        blocked = n == 0;
    }
    m_commandState = nextState;
    armReplyTimeout();
    return true;
}

void TStarFtp::StoreFile()
{
    if (!m_ftpConnected) {
        info(ftpInfoDisconnected);
        postReady();
        return;
    }
    // A login still under way is as busy as a store.
    if (m_busy || m_commandState != csFinished) {
        info(ftpInfoBusy);
        return;
    }
    if (m_remoteFile.isEmpty() || !safeArgument(m_remoteFile)) {
        reportedError(ftpErrNoRemoteFile);
        postReady();
        return;
    }
    m_file.close();
    m_file.setFileName(m_localFile);
    if (m_localFile.isEmpty() || !QFileInfo(m_localFile).isFile()
        || !m_file.open(QIODevice::ReadOnly)) {
        reportedError(ftpErrLocalFile);
        postReady();
        return;
    }
    // Taken now: the name was checked, and later changes belong to the next store.
    m_storeName = m_remoteFile;
    m_success = true;
    m_pendingCompletion = completionFileStored;
    m_lastFtpError = 0;
    m_busy = true;
    m_controlDone = false;
    m_dataDone = false;
    m_storeAborted = false;
    m_sending = false;
    m_acceptWaiting = false;
    m_storeReadyPosted = false;
    m_bytesTransferred = 0;
    sendCommand(m_transferMode == AsciiTransfer ? "TYPE A" : "TYPE I", csType);
}

bool TStarFtp::openDataListener(QByteArray& portArgument)
{
    const QString local = LocalAddressText();
    if (socketErrorCheck())
        return false;
    m_dataListener->AbortSocket();
    m_dataListener->SetAddressText(local);
    m_dataListener->SetPort(0);
    m_dataListener->CreateSocket();
    if (m_dataListener->LastError() == 0)
        m_dataListener->ListenSocket();
    const QString address = m_dataListener->LocalAddressText();
    const uint16_t port = m_dataListener->LocalPort();
    if (m_dataListener->LastError() != 0) {
        fatalError(ftpErrData);
        return false;
    }
    m_dataListener->setOnSocketAccept([this](TStarSocket*) { storeAccept(); });
    portArgument = QString(address).replace(QLatin1Char('.'), QLatin1Char(',')).toLatin1() + ','
        + QByteArray::number(port >> 8) + ',' + QByteArray::number(port & 0xff);
    return true;
}

void TStarFtp::storeAccept()
{
    if (m_sending)
        return;
    if (m_commandState != csStor) {
        m_acceptWaiting = true;
        return;
    }
    m_dataConnection->AcceptFrom(m_dataListener);
    const uint16_t error = m_dataConnection->LastError();
    // A peer that went away before it was taken leaves the listener waiting for the next.
    if (error == WSAEWOULDBLOCK || error == WSAECONNABORTED)
        return;
    if (error != 0) {
        fatalError(ftpErrData);
        return;
    }
    // Only the server may receive the file; anyone else is turned away.
    if (m_dataConnection->Address() != Address()) {
        m_dataConnection->AbortSocket();
        return;
    }
    m_dataListener->AbortSocket();
    m_sending = true;
    SetTimeout(0);
    m_bytesTransferred = 0;

    const uint64_t run = m_storeRun;
    QPointer<TStarFtp> self(this);
    auto storeGoesOn = [&] { return self && !m_aborted && run == m_storeRun; };
    const int64_t size = m_file.size();
    info(ftpInfoFileSize, QString::number(size));
    if (!storeGoesOn())
        return;
    // The file goes out in 2048-byte blocks, each counted in BytesTransferred and followed by
    // info 7 once the socket has taken it; up to kBlocksPerSend blocks share one system call.
    m_sendBuffer.resize(kBlockSize * kBlocksPerSend);
    char* const buffer = m_sendBuffer.data();
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    for (int64_t left = size; left > 0;) {
        const int length = int(std::min<int64_t>(m_sendBuffer.size(), left));
        // A file that shrank or cannot be read must not end as a stored short copy.
        if (m_file.read(buffer, length) != length) {
            fatalError(ftpErrData);
            return;
        }
        int sent = 0;
        int counted = 0;
        bool blocked = false;
        while (sent < length) {
            if (blocked || sinceEvents.hasExpired(kEventSliceMs)) {
                QCoreApplication::processEvents(
                    blocked ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
                if (!storeGoesOn())
                    return;
                sinceEvents.start();
            }
            // All but the file's last bytes go out as the system sees fit, in large segments.
            const int n = m_dataConnection->SendData(buffer + sent, length - sent, left > length);
            if (m_dataConnection->LastError() != 0) {
                if (m_storeAborted) {
                    // The server said it dropped the transfer; this is how that looks here.
                    dataSideEnded();
                    finishStoreIfDone();
                } else {
                    fatalError(ftpErrData);
                }
                return;
            }
            sent += n;
            blocked = n == 0;
            for (int block;
                 (block = std::min(kBlockSize, length - counted)) > 0 && counted + block <= sent;) {
                counted += block;
                m_bytesTransferred += block;
                info(ftpInfoProgress);
                if (!storeGoesOn())
                    return;
            }
        }
        left -= length;
    }
    dataSideEnded();
    if (!self)
        return;
    finishStoreIfDone();
    if (self)
        armReplyTimeout();
}

void TStarFtp::transferClosed()
{
    // The server closed the data connection before the whole file went out: its copy is short,
    // and the send loop running below this handler stops.
    if (m_sending) {
        m_success = false;
        ++m_storeRun;
    }
    QPointer<TStarFtp> self(this);
    dataSideEnded();
    if (!self)
        return;
    finishStoreIfDone();
    if (self)
        armReplyTimeout();
}

void TStarFtp::dataSideEnded()
{
    m_sending = false;
    m_dataConnection->AbortSocket();
    m_dataListener->AbortSocket();
    m_file.close();
    m_dataDone = true;
    info(ftpInfoTransferDone, QStringLiteral("Transfer done"));
}

void TStarFtp::endStore()
{
    ++m_storeRun;
    m_sending = false;
    m_acceptWaiting = false;
    m_file.close();
}

void TStarFtp::finishStoreIfDone()
{
    if (m_commandState == csStor && m_controlDone && m_dataDone && !m_storeReadyPosted) {
        m_storeReadyPosted = true;
        m_commandState = csFinished;
        SetTimeout(0);
        postReady();
    }
}

bool TStarFtp::awaitingReply() const
{
    switch (m_commandState) {
    case csGreeting:
    case csUser:
    case csPass:
    case csAcct:
    case csSyst:
    case csCwd:
    case csType:
    case csPort:
    case csQuit:
        return true;
    case csStor:
        return !m_controlDone && !m_sending;
    default:
        return false;
    }
}

void TStarFtp::armReplyTimeout()
{
    // The connect time-out also bounds each wait for a reply, so a server that goes quiet
    // cannot hold the client for ever; a transfer in progress is not such a wait.
    if (TimeOutConnect() > 0 && m_ftpConnected && Handle() != kInvalidSocket)
        SetTimeout(awaitingReply() ? TimeOutConnect() : 0);
}

void TStarFtp::controlClosed()
{
    QPointer<TStarFtp> self(this);
    info(ftpInfoDisconnected, QStringLiteral("Disconnected"));
    if (!self)
        return;
    const bool exchangeUnderway = m_commandState != csQuit && m_commandState != csFinished;
    if (m_ftpConnected && (exchangeUnderway || m_sending)) {
        // A server that goes away in the middle of an exchange has failed it.
        const int error = LastError() != 0 ? socketErrorClass(LastError()) : int(ftpErrReset);
        fatalError(error);
        return;
    }
    postReady();
    postQuit();
    m_ftpConnected = false;
}

void TStarFtp::Quit()
{
    if (!m_ftpConnected) {
        info(ftpInfoDisconnected);
        return;
    }
    if (m_busy) {
        info(ftpInfoBusy);
        return;
    }
    m_lastFtpError = 0;
    m_busy = true;
    sendCommand("QUIT", csQuit);
}

void TStarFtp::info(int code, const QString& addinfo)
{
    const TFtpInfoEvent handler = m_onFtpInfo;
    if (handler)
        handler(this, code, addinfo);
}

void TStarFtp::reportedError(int code)
{
    m_success = false;
    m_lastFtpError = code;
    const TFtpErrorEvent handler = m_onFtpError;
    if (handler)
        handler(this, code, QStringLiteral("Error"));
}

void TStarFtp::fatalError(int code, bool enterAborted)
{
    if (m_aborted)
        return;
    endStore();
    m_dataConnection->AbortSocket();
    m_dataListener->AbortSocket();
    AbortSocket();
    m_ftpConnected = false;
    m_success = false;
    m_lastFtpError = code;
    m_pendingCompletion = completionNone;
    m_commandState = csFinished;
    // Before the error event, so that a new Connect from its handler is not undone after it.
    m_aborted = enterAborted;
    postQuit();
    const TFtpErrorEvent handler = m_onFtpError;
    if (handler)
        handler(this, code, QStringLiteral("Error"));
}

bool TStarFtp::socketErrorCheck()
{
    if (m_aborted)
        return false;
    const uint16_t error = LastError();
    if (error == 0) {
        m_lastFtpError = 0;
        return false;
    }
    fatalError(socketErrorClass(error), true);
    return true;
}

void TStarFtp::postReady()
{
    PostMessage(kReadyMessage);
}

void TStarFtp::postQuit()
{
    PostMessage(kQuitMessage);
}

void TStarFtp::userMessage(int message)
{
    QPointer<TStarFtp> self(this);
    if (message == kReadyMessage) {
        m_busy = false;
        // Taken first: a ready handler that starts the next operation sets a new one.
        const int completion = m_pendingCompletion;
        m_pendingCompletion = completionNone;
        raiseNotify(m_onFtpReady);
        if (!self)
            return;
        if (completion == completionLoggedIn)
            raiseNotify(m_onLoggedIn);
        else if (completion == completionFileStored)
            raiseNotify(m_onFileStored);
    } else if (message == kQuitMessage) {
        m_busy = false;
        raiseNotify(m_onFtpQuit);
    }
}

void TStarFtp::raiseNotify(const TNotifyEvent& handler)
{
    const TNotifyEvent h = handler;
    if (h)
        h(this);
}
