/** @file MemoSourceCheck.h ** What must hold for any bytes loaded into a text storage. **/
#pragma once

#include <QByteArray>
#include <QString>

namespace pmfuzz {

/// Loads `bytes` from a file in `folder` with the plain reader, with the two-thread reader of
/// large files and with small reads (1 to 64 bytes, chosen by the first byte), and saves what
/// was loaded. Empty when every property held, else which one broke and how:
/// - every way of reading gives the same lines, encoding and final line break;
/// - loading what was saved gives the same again (an empty last line without a break comes
///   back as a final break);
/// - a file that is already in the form a save writes (CR LF breaks, no blanks or control
///   characters ending a line) is saved byte for byte as it was.
QString checkMemoSource(const QByteArray& bytes, const QString& folder);

} // namespace pmfuzz
