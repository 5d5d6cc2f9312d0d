/** @file string_utl.h ** Text routines of the typing aids: tag case, template matching, the tag
 ** around a position, the WaCkY case, and paths relative to a document. **/
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TWizardDocument;

/// The text in the `tagCase` setting's case: 0 lower, 1 upper (ASCII letters only, so a
/// template's accented text is never touched), anything else unchanged.
QString applyTagCase(const QString& text);
/// One character by the same rule.
QChar applyTagCase(QChar c);

/// Indices into `list` of the entries that start like `typed` (without regard to case) over
/// the longest prefix any of them shares with it. The first prefix tried ends at `typed`'s
/// first space (included), else just before its first ">", else it is the whole text; each
/// further pass adds one character while at least one entry still matches. Empty when the
/// first pass finds nothing, and for an empty text. In list order.
QList<int> findMatchingEntries(const QStringList& list, const QString& typed);

/// A tag found in a line: the text from its opening to its closing character, both included,
/// and the column of the opening one. `start` is -1 (and `text` empty) when there is none.
struct TTagAt
{
    QString text;
    int start = -1;
};

/// The tag around column `position` of `line`: the nearest character of `opening` at or
/// before it and the nearest character of `closing` at or after it, with no other opening
/// or closing character (nor CR or LF) between them. The character at `position` may be
/// either end.
TTagAt getTagAt(const QString& line, int position, const QString& opening, const QString& closing);

/// 1-based position in `templateText` where its closing part begins: the first "</", searched
/// after the empty request "{=,=}" when that stands before the template's first ">", so the
/// opening tag itself is never taken for the closing part. 0 when there is none, and for a
/// template that itself starts with "</" (a closing tag has nothing to close).
int closingTagPosition(const QString& templateText);

/// Lower case with every character at an odd (1st, 3rd, ...) position in upper case, counting
/// every character; ASCII letters only. `offset` is the count of characters before `text`,
/// so a text cut in pieces comes out as it would in one.
QString wackyCase(const QString& text, qsizetype offset = 0);

/// The question asked when a path is to be made relative to an untitled document.
extern const QString relativePathSaveQuestion;

/// `path` relative to the folder of `window`'s file where possible: a file in the document's
/// folder or below it loses that folder; a file in a folder above it keeps only its name with
/// one "../" per level; anything else stays as it is. Only absolute paths ("/...") change. An
/// untitled document asks (through the dialogs service) whether to save it first; No, or a
/// cancelled save, leaves the path unchanged.
QString makeRelativePath(const QString& path, TWizardDocument* window);
