/** @file publish_utl.cpp ** Remote names, sizes and error texts of the publish window. **/
#include "publish/engine/publish_utl.h"

bool isValidRemoteMask(const QString& mask)
{
    return mask.contains(u'*');
}

QString remoteFileName(const QString& mask, const QString& localPath, bool lowerCase)
{
    const QString name = localPath.mid(localPath.lastIndexOf(u'/') + 1);
    QString remote = mask.isEmpty() ? name : QString(mask).replace(u'*', name);
    if (lowerCase)
        remote = remote.toLower();
    return remote;
}

QString thousandsSeparated(qint64 value)
{
    const bool negative = value < 0;
    QString digits = QString::number(negative ? -value : value);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u',');
    return negative ? u'-' + digits : digits;
}

QString totalSizeText(qint64 bytes)
{
    return QStringLiteral("Total files size: ") + thousandsSeparated(bytes)
        + QStringLiteral(" bytes");
}

QString ftpErrorLogText(int error)
{
    switch (error) {
    case 1:
        return QStringLiteral("FTP: Error: winsock not initialized-> ");
    case 2:
    case 10:
    case 11:
    case 18:
        return QStringLiteral("FTP: Error: network is down or host unreachable-> ");
    case 3:
    case 16:
        return QStringLiteral("FTP: Error: name resolution error-> ");
    case 4:
    case 5:
    case 15:
        return QStringLiteral("FTP: Error: unknown-> ");
    case 6:
    case 7:
        return QStringLiteral("FTP: Error: disconnected-> ");
    case 8:
        return QStringLiteral("FTP: Error: connection time out-> ");
    case 9:
        return QStringLiteral("FTP: Error: out of sockets-> ");
    case 12:
        return QStringLiteral("FTP: Error: connection refused-> ");
    case 13:
        return QStringLiteral("FTP: Error: protocol error-> ");
    case 19:
        return QStringLiteral("FTP: Cant connect to FTP server-> ");
    case 21:
    case 24:
        return QStringLiteral("FTP: Error opening ");
    case 26:
        return QStringLiteral("FTP: Error: ftp server is down-> ");
    case 27:
        return QStringLiteral("FTP: Error: access denied-> ");
    case 28:
        return QStringLiteral("FTP: Error: data error-> ");
    default:
        return QString();
    }
}
