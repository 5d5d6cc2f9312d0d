/** @file TemplateSyntaxCheck.h ** What must hold for any text checked as a template: the syntax
 ** check, the request parser and the tag helpers of tag editing. **/
#pragma once

#include <QByteArray>
#include <QString>

namespace pmfuzz {

/// Checks one template text (a line of the menus file, or a whole template). Empty when every
/// property held, else which one broke and how:
/// - a failed syntax check has an error code of its table and a position inside the text, at
///   the "{=" or "=}" it blames (the text's end for an unclosed request);
/// - a text that passes can have its first request parsed to a known type;
/// - every request parses to a type of the table whose word the request holds, with parameters
///   taken from the request;
/// - a tag found at a caret lies inside the line and around the caret; an attribute read is
///   the text it was read from, and cutting it removes exactly that text; a template line cut
///   after its opening tag is a start of it ending in ">" (only `withTags`: these look at
///   every caret of the line, so a large file checks them on a few lines).
QString checkTemplateText(const QString& text, bool withTags = true);

/// The bytes as the menus file's lines decode (UTF-8 when valid, else Latin-1), checked whole
/// and line by line with checkTemplateText.
QString checkTemplateSyntax(const QByteArray& bytes);

} // namespace pmfuzz
