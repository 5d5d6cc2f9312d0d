/** @file MenusFileCheck.h ** What must hold for any bytes read as the dynamic menus file. **/
#pragma once

#include <QByteArray>
#include <QString>

namespace pmfuzz {

/// Reads `bytes` as the dynamic menus file, with and without its template lines. Empty when
/// every property held, else which one broke and how:
/// - a file that was not read has error code 4, a reason, and blames a line of the file;
/// - every item stands on a line of the file, in file order, with the caption and the name
///   its line and menu path give; entries under one menu have names that differ without
///   regard to case; no menu lies deeper than the limit;
/// - every entry's tag indexes the entry-text table, one tag per entry in file order, and a
///   whole file's table holds each template as its kept lines joined by CR LF;
/// - the kept template lines are lines of the file as they stand;
/// - reading without the template lines gives the same menus and texts;
/// - every template line passes checkTemplateText, and the command-line check blames only
///   template lines it holds, at positions inside them, and says so in its exit status.
QString checkMenusFile(const QByteArray& bytes);

} // namespace pmfuzz
