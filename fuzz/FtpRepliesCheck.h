/** @file FtpRepliesCheck.h ** What must hold for any bytes an FTP server sends as replies. **/
#pragma once

#include <QByteArray>
#include <QString>

namespace pmfuzz {

/// Cuts `bytes` into lines with the reply line buffer, fed in many splits, and plays them as a
/// server's side of a login to a real client on 127.0.0.1, once in one piece and once in
/// pieces the bytes choose. Empty when every property held, else which one broke and how:
/// - the buffer gives the same lines and keeps the same unfinished line whatever the split:
///   the text between CR LFs, no line longer than the limit;
/// - the client raises the same events and sends the same commands whatever the split, reads
///   everything it is sent, and what the server receives is what it says it sent;
/// - the commands are the ones the replies call for: a reply is a line with a code, a
///   multi-line reply ("123-") ends only at a line opening with its code and a blank, and the
///   login goes on by the class of each reply.
QString checkFtpReplies(const QByteArray& bytes);

} // namespace pmfuzz
