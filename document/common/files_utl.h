/** @file files_utl.h ** Small file routines shared by the document windows, the project panel
 ** and the publish window. **/
#pragma once

#include <QString>
#include <QtGlobal>

/// Size in bytes; 0 when the file does not exist.
qint64 fileSizeOf(const QString& fileName);
/// The title of an HTML page the way the project panel's title strip shows it: the line
/// holding "<title>" lower-cased, or the line after a lone "<title>" line as written. Empty
/// for an empty name or a page without a title; a missing file is reported (code 1).
QString readHtmlTitle(const QString& fileName);
