/** @file ColorRulesCheck.h ** What must hold for any bytes read as the colour rules file, and for
 ** the colouring of lines with the rules read. **/
#pragma once

#include <QByteArray>
#include <QString>

namespace pmfuzz {

/// Reads `bytes` as the colour rules file and colours the file's own lines (and one made of
/// the rules' texts) with what was read. Empty when every property held, else which one broke
/// and how:
/// - a read that fails says why once, and a read that succeeds says nothing;
/// - a file that was read saves to a file that reads back to the same styles and rules (as
///   the writer keeps every field on its line: line breaks become blanks, an empty style name
///   a blank), and saving those gives the same bytes;
/// - a line's colours and end state are the same whether the matcher colours whole stretches
///   itself or takes the characters token by token, whether the line is stored as Latin-1 or
///   as UTF-16, and as a plain matcher written rule by rule gives; no colour is written
///   outside the line.
QString checkColorRules(const QByteArray& bytes);

} // namespace pmfuzz
