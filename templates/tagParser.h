/** @file tagParser.h ** Editing the tag at the caret: the tag around the caret, the template
 ** line of the menus file that wrote it, its attributes put back into the wizard's pages, and
 ** the rebuilt tag. **/
#pragma once

#include "templates/TWizard.h"

#include <QList>
#include <QString>
#include <QStringList>

class TMemoSource;

struct TEnclosingTag
{
    QString text; ///< from its "<" to its ">" (or to the end of the line); empty: none
    int start = 0; ///< 1-based index of its first character in the line; 0 when none
};

/// The tag around a caret standing before 0-based `caretColumn` of `line`: anywhere after the
/// "<" up to just after the ">". A caret directly after the "<" finds none; a caret in column
/// 0 finds the tag that begins the line.
TEnclosingTag findEnclosingTag(const QString& line, int caretColumn);

/// One attribute of a tag's text: name part (leading blanks, name, "=", blanks and an opening
/// quote), value, and closing part (the closing quote, up to a blank, ">" or "{"). An
/// attribute without "=" before the next blank or ">" has only a name part.
struct TAttribute
{
    QString namePart;
    QString value;
    QString closingPart;
};
/// Reads the attribute at 0-based `position` of `text`. With `cut` it is removed from `text`
/// and `position` stays; without, `text` stays and `position` moves past it.
TAttribute extractAttribute(QString& text, qsizetype& position, bool cut);

/// The lines sharing the longest prefix with `tag` (compared without case, from the tag's
/// name on), in file order; empty when not even the name matches.
QStringList matchTemplateLines(const QStringList& lines, const QString& tag);
/// The template line cut after the ">" ending its opening tag: the first ">" that is not
/// inside a request (the whole line when there is none).
QString cutAfterOpeningTag(const QString& templateLine);

/// Fills `tagEditState.templateText` from the menus file on disk and leaves only the
/// attributes in `tagEditState.tagText`; clears `tagEditState.ok` when no template line can
/// edit the tag (code 1 when the file is missing).
void findTemplateForTag();
/// While a tag is edited: the value of the page's attribute (found by its prefix) pre-fills
/// the page and leaves `tagEditState.tagText`; image pages take WIDTH and HEIGHT too. A page
/// whose attribute the tag lacks keeps its defaults.
void prefillWizardPage(TWizardPage& page);
/// While a tag is edited, after the scan: a text page for every attribute the template does
/// not write, each with its placeholder before the first ">" of `text`.
void addExtraAttributePages(QList<TWizardPage>& pages, QList<TWizardStep>& steps, QString& text);

/// Runs the matching template for `tag` with its pages pre-filled. Empty when nothing is to
/// be replaced (no tag, no template, Cancel).
QString editTagAtCaret(const QString& tag);
/// "&Edit tag (at cursor)...": replaces the tag around the caret of `editor` by the rebuilt
/// one as one undo step. False when nothing changed.
bool editTagAtCursor(TMemoSource& editor);
