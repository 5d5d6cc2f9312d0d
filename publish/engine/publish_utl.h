/** @file publish_utl.h ** The publish window's rules without windows: remote names from the mask,
 ** the total size text, and the log texts of the FTP client's errors. **/
#pragma once

#include <QString>
#include <QtGlobal>

/// A mask names each file differently only when it holds "*".
bool isValidRemoteMask(const QString& mask);
/// The local file's name (the part after the last "/") put in place of every "*" of the mask,
/// or the name itself for an empty mask; the whole result lower-cased when asked.
QString remoteFileName(const QString& mask, const QString& localPath, bool lowerCase);
/// "1234567" → "1,234,567".
QString thousandsSeparated(qint64 value);
/// "Total files size: 1,234,567 bytes".
QString totalSizeText(qint64 bytes);
/// The log text of an FTP error code, to be followed by the event's own text; empty for a code
/// that is not logged.
QString ftpErrorLogText(int error);
