/** @file ProjectFileCheck.h ** What must hold for any bytes read as a project file. **/
#pragma once

#include <QByteArray>
#include <QString>

namespace pmfuzz {

/// Reads `bytes` as a project file. Empty when every property held, else which one broke and
/// how:
/// - a file that was read saves to bytes that read back to the same project (its notes as the
///   memo holds them: lines, none empty), and saving that gives the same bytes;
/// - the files come back in the list's order;
/// - a file that was not read has a wrong first line, or a notes window line it names.
QString checkProjectFile(const QByteArray& bytes);

} // namespace pmfuzz
