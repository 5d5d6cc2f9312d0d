/** @file FtpRecorder.h ** Records every event an FTP client raises, for tests to wait on and check.
 * **/
#pragma once

#include "net/Ftp.h"

#include <QList>
#include <QPair>
#include <QStringList>

struct FtpRecorder
{
    explicit FtpRecorder(TStarFtp& ftp)
    {
        ftp.setOnFtpInfo([this](QObject*, int code, const QString& text) {
            if (code == ftpInfoReceived)
                receivedBytes += text.size();
            else
                infos.append({ code, text });
        });
        ftp.setOnFtpError([this, &ftp](QObject*, int code, const QString& text) {
            errors.append(code);
            errorTexts.append(text);
            successAtError.append(ftp.Success());
        });
        ftp.setOnFtpReady([this](QObject*) { ++ready; });
        ftp.setOnLoggedIn([this](QObject*) { ++loggedIn; });
        ftp.setOnFileStored([this, &ftp](QObject*) { storedSuccess.append(ftp.Success()); });
        ftp.setOnFtpQuit([this](QObject*) { ++quit; });
    }

    /// Info codes in order, leaving out the received texts (4) and the progress (7).
    QList<int> infoCodes() const
    {
        QList<int> codes;
        for (const auto& [code, text] : infos) {
            if (code != ftpInfoProgress)
                codes.append(code);
        }
        return codes;
    }
    int count(int code) const
    {
        int n = 0;
        for (const auto& info : infos)
            n += info.first == code;
        return n;
    }
    QString text(int code) const
    {
        for (const auto& [c, t] : infos) {
            if (c == code)
                return t;
        }
        return QString();
    }
    /// The command lines of info 5, CR LF removed.
    QStringList sent() const
    {
        QStringList lines;
        for (const auto& [code, text] : infos) {
            if (code == ftpInfoSent)
                lines.append(text.chopped(2));
        }
        return lines;
    }

    QList<QPair<int, QString>> infos; ///< every info but 4
    qsizetype receivedBytes = 0; ///< characters of every info 4
    QList<int> errors;
    QStringList errorTexts;
    QList<bool> successAtError;
    QList<bool> storedSuccess; ///< Success at each OnFileStored
    int ready = 0;
    int loggedIn = 0;
    int quit = 0;
};
