/** @file upload_command.cpp ** `pagemason-bench upload HOST PORT USER PASSWORD FILE...`: logs in
 ** once and stores the files in order with the FTP client, as the publish window drives it, and
 ** prints the rates and how late a 50 ms timer ran meanwhile. **/
#include "BenchCommand.h"

#include "net/Ftp.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>
#include <algorithm>

namespace {

int runUpload(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList rest = args;
    QString folder;
    const qsizetype folderAt = rest.indexOf(QStringLiteral("--folder"));
    if (folderAt >= 0 && folderAt + 1 < rest.size()) {
        folder = rest.at(folderAt + 1);
        rest.remove(folderAt, 2);
    }
    bool portOk = false;
    const uint port = rest.size() >= 2 ? rest.at(1).toUInt(&portOk) : 0;
    if (rest.size() < 5 || !portOk || port > 65535) {
        err << "usage: pagemason-bench upload HOST PORT USER PASSWORD FILE... [--folder DIR]"
            << Qt::endl;
        return 2;
    }
    const QStringList files = rest.mid(4);
    qint64 bytes = 0;
    for (const QString& f : files)
        bytes += QFileInfo(f).size();

    TStarFtp ftp;
    ftp.setFtpServer(rest.at(0));
    ftp.setFtpPort(uint16_t(port));
    ftp.setUserName(rest.at(2));
    ftp.setUserPassword(rest.at(3));
    ftp.setInitialDirectory(folder);
    ftp.setTransferMode(BinaryTransfer);
    // A server that stops answering ends the run instead of holding it.
    ftp.setTimeOutConnect(30);
    ftp.setTimeOutArp(30);

    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    qint64 loginNs = 0;
    qint64 storeStartNs = 0;
    qint64 storeEndNs = 0;
    int next = 0;
    int stored = 0;
    bool failed = false;

    // The GUI thread's view: a 50 ms timer, and how late its ticks come.
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(50);
    QElapsedTimer sinceTick;
    double mostLateMs = 0;
    int ticks = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        mostLateMs = std::max(mostLateMs, sinceTick.nsecsElapsed() / 1e6 - 50);
        sinceTick.start();
        ++ticks;
    });

    auto storeNext = [&] {
        ftp.setLocalFile(files.at(next));
        ftp.setRemoteFile(QFileInfo(files.at(next)).fileName());
        ++next;
        ftp.StoreFile();
    };
    ftp.setOnLoggedIn([&](QObject*) {
        loginNs = clock.nsecsElapsed();
        storeStartNs = loginNs;
        sinceTick.start();
        ticker.start();
        storeNext();
    });
    ftp.setOnFileStored([&](QObject*) {
        if (!ftp.Success()) {
            err << "not stored: " << files.at(next - 1) << Qt::endl;
            failed = true;
            ftp.Quit();
            return;
        }
        ++stored;
        if (next < files.size()) {
            storeNext();
            return;
        }
        storeEndNs = clock.nsecsElapsed();
        ticker.stop();
        ftp.Quit();
    });
    ftp.setOnFtpError([&](QObject*, int code, const QString&) {
        err << "FTP error " << code << " " << TStarFtp::ErrorText(code) << Qt::endl;
        failed = true;
        // A reported error leaves the connection up; a fatal one ends in the quit event.
        if (code == ftpErrLocalFile || code == ftpErrNoRemoteFile)
            ftp.Quit();
    });
    ftp.setOnFtpQuit([&](QObject*) { loop.quit(); });
    ftp.Connect();
    loop.exec();
    if (failed || stored != files.size())
        return 1;

    const double seconds = (storeEndNs - storeStartNs) / 1e9;
    out << "files " << stored << " bytes " << bytes << " login_ms " << loginNs / 1e6 << " store_s "
        << seconds << " bytes_per_s " << qint64(bytes / seconds) << " files_per_s "
        << stored / seconds << " timer_ticks " << ticks << " timer_max_late_ms " << mostLateMs
        << Qt::endl;
    return 0;
}

const bool registered = pmbench::registerCommand({ "upload",
    "upload HOST PORT USER PASSWORD FILE... [--folder DIR]: log in once, store the files by "
    "FTP and print the rates",
    &runUpload });

} // namespace
