/** @file ToolbarsFileCheck.h ** What must hold for any bytes read as a toolbar file, or as a
 ** file of its older format. **/
#pragma once

#include <QByteArray>
#include <QString>

namespace pmfuzz {

/// Reads `bytes` as a toolbar file and as an old one. Empty when every property held, else which
/// one broke and how:
/// - a file that was read saves to a text that reads back to the same toolbars, and saving
///   those gives the same bytes again;
/// - a file that was not read says why: a wrong header, or a line of the file at fault;
/// - an old file that was converted gives a text with the toolbar file's header.
QString checkToolbarsFile(const QByteArray& bytes);

} // namespace pmfuzz
