/** @file string_utl.cpp ** Text routines of the typing aids. **/
#include "document/common/string_utl.h"

#include "core/global_utl.h"
#include "document/common/TWizardDocument.h"
#include "platform/Dialogs.h"

namespace {

char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

char16_t asciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
}

QString asciiCase(const QString& text, bool upper)
{
    QString out = text;
    for (QChar& c : out)
        c = QChar(upper ? asciiUpper(c.unicode()) : asciiLower(c.unicode()));
    return out;
}

QString folderOf(const QString& path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}

} // namespace

QString applyTagCase(const QString& text)
{
    switch (globalOptions.tagCase) {
    case 0:
        return asciiCase(text, false);
    case 1:
        return asciiCase(text, true);
    default:
        return text;
    }
}

QChar applyTagCase(QChar c)
{
    switch (globalOptions.tagCase) {
    case 0:
        return QChar(asciiLower(c.unicode()));
    case 1:
        return QChar(asciiUpper(c.unicode()));
    default:
        return c;
    }
}

QList<int> findMatchingEntries(const QStringList& list, const QString& typed)
{
    // Nothing typed starts like nothing in particular.
    if (typed.isEmpty())
        return {};
    // k counts characters, as positions in the typed text do (1-based).
    qsizetype k = typed.indexOf(u' ') + 1;
    if (k == 0)
        k = typed.indexOf(u'>'); // the position of ">" minus 1
    if (k < 1)
        k = typed.size();

    QList<int> candidates;
    candidates.reserve(list.size());
    for (int i = 0; i < list.size(); ++i)
        candidates.append(i);
    QList<int> best;
    // An entry that shares k + 1 characters shares k, so each pass needs only the last set.
    while (k <= typed.size()) {
        const QStringView prefix = QStringView(typed).left(k);
        QList<int> matched;
        for (int i : std::as_const(candidates)) {
            const QString& entry = list.at(i);
            if (entry.size() >= k
                && QStringView(entry).left(k).compare(prefix, Qt::CaseInsensitive) == 0)
                matched.append(i);
        }
        if (matched.isEmpty())
            break;
        best = matched;
        candidates = std::move(matched);
        ++k;
    }
    return best;
}

TTagAt getTagAt(const QString& line, int position, const QString& opening, const QString& closing)
{
    const QString open = opening + QStringLiteral("\r\n");
    const QString close = closing + QStringLiteral("\r\n");
    TTagAt none;
    if (position < 0 || position >= line.size())
        return none;

    int end = -1;
    for (int i = position; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (close.contains(c)) {
            end = i;
            break;
        }
        if (i > position && open.contains(c))
            return none;
    }
    if (end < 0)
        return none;

    int start = -1;
    for (int i = position; i >= 0; --i) {
        const QChar c = line.at(i);
        if (open.contains(c)) {
            start = i;
            break;
        }
        if (i < position && close.contains(c))
            return none;
    }
    if (start < 0 || start > end)
        return none;
    return TTagAt { line.mid(start, end - start + 1), start };
}

int closingTagPosition(const QString& templateText)
{
    if (templateText.startsWith(QStringLiteral("</")))
        return 0;
    const qsizetype firstClose = templateText.indexOf(u'>');
    const qsizetype caretRequest = templateText.indexOf(QStringLiteral("{=,=}"));
    qsizetype from = 0;
    if (caretRequest >= 0 && (firstClose < 0 || caretRequest < firstClose))
        from = caretRequest + 5;
    // Counted from the template's start, so the closing part is the template's own text.
    const qsizetype at = templateText.indexOf(QStringLiteral("</"), from);
    return at < 0 ? 0 : int(at + 1);
}

QString wackyCase(const QString& text, qsizetype offset)
{
    QString out = asciiCase(text, false);
    for (qsizetype i = 0; i < out.size(); ++i) {
        if ((offset + i) % 2 == 0)
            out[i] = QChar(asciiUpper(out.at(i).unicode()));
    }
    return out;
}

const QString relativePathSaveQuestion = QStringLiteral(
    "Cannot make the path relative to the document's \r\npath because the document hasn't been "
    "saved yet.\r\nDo you want to save the document now ?\r\n\r\nNotice that if you don't save "
    "the document now you will have to save it latter and try again.");

QString makeRelativePath(const QString& path, TWizardDocument* window)
{
    if (path.isEmpty() || !window || !path.startsWith(u'/'))
        return path;
    if (window->fileName().isEmpty()) {
        if (pm::dialogs().message(
                pm::Dialogs::Kind::Warning, relativePathSaveQuestion, pm::Dialogs::Buttons::YesNo)
            != pm::Dialogs::Answer::Yes)
            return path;
        if (!window->saveWithDialog() || window->fileName().isEmpty())
            return path;
    }
    const QString docFolder = folderOf(window->fileName());
    const QString pathFolder = folderOf(path);
    // With one root every absolute path starts alike, so "occurs in" must mean "starts with",
    // or /a/ would be found inside /x/a/.
    if (pathFolder.startsWith(docFolder))
        return path.mid(docFolder.size());
    if (docFolder.startsWith(pathFolder)) {
        const qsizetype up = docFolder.count(u'/') - path.count(u'/');
        return QStringLiteral("../").repeated(up) + path.mid(pathFolder.size());
    }
    return path;
}
