/** @file tagParser.cpp ** Tag editing at the caret. **/
#include "templates/tagParser.h"

#include "core/errors_utl.h"
#include "core/global_utl.h"
#include "editor/TMemoSource.h"
#include "templates/requestSyntax.h"
#include "templates/templateRunner.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

TEnclosingTag findEnclosingTag(const QString& line, int caretColumn)
{
    const qsizetype n = line.size();
    const qsizetype c = qBound(qsizetype(0), qsizetype(caretColumn), n);
    if (n == 0)
        return {};
    // Without a character before the caret, the one at the caret decides: a "<" there begins
    // the tag the caret stands at.
    qsizetype right = c > 0 ? c - 1 : 0;
    qsizetype left = c - 2;
    if (c == 0) {
        if (line.at(0) != u'<')
            return {};
        right = 1;
        left = 0;
    }
    for (; right < n; ++right) {
        if (line.at(right) == u'>')
            break;
        if (line.at(right) == u'<')
            return {};
    }
    if (right == n)
        right = n - 1;
    for (; left > 0; --left) {
        if (line.at(left) == u'<')
            break;
        if (line.at(left) == u'>')
            return {};
    }
    if (left < 0)
        left = 0;
    else if (line.at(left) == u'>')
        return {};
    return { line.mid(left, right - left + 1), int(left + 1) };
}

TAttribute extractAttribute(QString& text, qsizetype& position, bool cut)
{
    TAttribute a;
    const qsizetype n = text.size();
    const qsizetype from = qBound(qsizetype(0), position, n);
    qsizetype j = from;
    while (j < n && text.at(j) == u' ')
        ++j;
    while (j < n && text.at(j) != u'=' && text.at(j) != u' ' && text.at(j) != u'>')
        ++j;
    if (j < n && text.at(j) == u'=') {
        ++j;
        while (j < n && text.at(j) == u' ')
            ++j;
        QChar quote;
        if (j < n && (text.at(j) == u'"' || text.at(j) == u'\''))
            quote = text.at(j++);
        a.namePart = text.mid(from, j - from);
        const qsizetype value = j;
        if (!quote.isNull())
            while (j < n && text.at(j) != quote && text.at(j) != u'>')
                ++j;
        else
            while (j < n && text.at(j) != u' ' && text.at(j) != u'>')
                ++j;
        a.value = text.mid(value, j - value);
        const qsizetype closing = j;
        while (j < n && text.at(j) != u' ' && text.at(j) != u'>' && text.at(j) != u'{')
            ++j;
        a.closingPart = text.mid(closing, j - closing);
    } else {
        a.namePart = text.mid(from, j - from);
    }
    if (cut)
        text.remove(from, j - from);
    else
        position = j;
    return a;
}

namespace {

/// Characters before the tag's first blank, else before its first ">", else all of it.
qsizetype tagNameLength(const QString& tag)
{
    qsizetype n = tag.indexOf(u' ');
    if (n < 1)
        n = tag.indexOf(u'>');
    if (n < 1)
        n = tag.size();
    return n;
}

bool samePrefix(const QString& line, const QString& tag, qsizetype n)
{
    return QStringView(line).left(n).compare(QStringView(tag).left(n), Qt::CaseInsensitive) == 0;
}

/// The lines of a text file, each UTF-8 when valid and Latin-1 otherwise, as the menus
/// loader reads them.
QStringList readLines(const QString& fileName)
{
    QFile file(fileName);
    QStringList lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    while (!file.atEnd()) {
        QByteArray bytes = file.readLine();
        if (bytes.endsWith('\n'))
            bytes.chop(1);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString line = utf8.decode(bytes);
        if (utf8.hasError())
            line = QString::fromLatin1(bytes);
        lines.append(line);
    }
    return lines;
}

} // namespace

QStringList matchTemplateLines(const QStringList& lines, const QString& tag)
{
    qsizetype n = tagNameLength(tag);
    QStringList matching;
    for (const QString& line : lines)
        if (samePrefix(line, tag, n))
            matching.append(line);
    // Each longer prefix keeps a subset of the lines that shared the shorter one.
    QStringList longest;
    while (!matching.isEmpty() && n <= tag.size()) {
        longest = matching;
        ++n;
        QStringList next;
        for (const QString& line : std::as_const(matching))
            if (samePrefix(line, tag, n))
                next.append(line);
        matching = std::move(next);
    }
    return longest.isEmpty() ? matching : longest;
}

QString cutAfterOpeningTag(const QString& templateLine)
{
    qsizetype i = 0;
    while (i < templateLine.size()) {
        if (templateLine.at(i) == u'{' && i + 1 < templateLine.size()
            && templateLine.at(i + 1) == u'=') {
            const qsizetype close = templateLine.indexOf(QStringLiteral("=}"), i + 2);
            if (close < 0)
                break;
            i = close + 2;
            continue;
        }
        if (templateLine.at(i) == u'>')
            return templateLine.left(i + 1);
        ++i;
    }
    return templateLine;
}

void findTemplateForTag()
{
    tagEditState.ok = true;
    const QString tag = tagEditState.tagText;
    if (tag.isEmpty()) {
        tagEditState.ok = false;
        return;
    }
    if (!QFileInfo::exists(dynamicMenusFileName)) {
        showError(1, dynamicMenusFileName);
        tagEditState.ok = false;
        return;
    }
    const QStringList matching = matchTemplateLines(readLines(dynamicMenusFileName), tag);
    if (matching.isEmpty()) {
        tagEditState.ok = false;
        return;
    }
    const QString cut = cutAfterOpeningTag(matching.first());
    if (!cut.contains(u'=')) { // no attribute to edit
        tagEditState.ok = false;
        return;
    }
    tagEditState.templateText = cut;
    qsizetype name = tag.indexOf(u' ');
    if (name < 0)
        name = tag.indexOf(u'>');
    tagEditState.tagText = name < 0 ? QString() : tag.mid(name);
}

namespace {

/// Takes the attribute whose name part starts with `key` (lower case) out of the tag text.
std::optional<QString> takeAttribute(const QString& key)
{
    QString& tagText = tagEditState.tagText;
    qsizetype at = tagText.toLower().indexOf(key);
    if (at < 0)
        return std::nullopt;
    return extractAttribute(tagText, at, true).value;
}

} // namespace

void prefillWizardPage(TWizardPage& page)
{
    QString key = page.prefix.toLower();
    const qsizetype equals = key.indexOf(u'=');
    if (equals < 0)
        return;
    key.truncate(equals + 1);
    const std::optional<QString> value = takeAttribute(key);
    if (!value)
        return;
    page.answer = *value;
    page.prefilled = true;
    if (page.type == rtImage) {
        page.width = takeAttribute(QStringLiteral("width=")).value_or(QString());
        page.height = takeAttribute(QStringLiteral("height=")).value_or(QString());
    }
    if (page.type == rtDate && !QLocale::system().toDate(*value, QLocale::ShortFormat).isValid())
        showError(14, QStringLiteral("Invalid date:\r\n") + *value);
}

void addExtraAttributePages(QList<TWizardPage>& pages, QList<TWizardStep>& steps, QString& text)
{
    QString& tagText = tagEditState.tagText;
    const qsizetype blank = tagText.indexOf(u' ');
    if (blank >= 0) {
        qsizetype first = blank;
        while (first < tagText.size() && tagText.at(first) == u' ')
            ++first;
        tagText = u' ' + tagText.mid(first);
    }
    for (;;) {
        QString compact = tagText;
        compact.remove(u' ');
        if (compact.isEmpty() || compact == QStringLiteral(">"))
            break;
        QString rest = tagText;
        qsizetype position = 0;
        const TAttribute a = extractAttribute(rest, position, true);
        const qsizetype length = tagText.size() - rest.size();
        if (length == 0) { // a stray ">" or "{" before the end: not an attribute
            tagText.remove(0, 1);
            continue;
        }
        tagText = rest;
        // The template writes this attribute itself. Without regard to case: a tag typed in
        // lower case would otherwise get the attribute twice.
        if (tagEditState.templateText.contains(a.namePart, Qt::CaseInsensitive))
            continue;
        TWizardPage page;
        page.type = rtString;
        page.description = a.namePart + a.value + a.closingPart;
        page.prefix = a.namePart;
        page.suffix = a.closingPart;
        page.answer = a.value;
        page.prefilled = true;
        const int k = int(pages.size());
        steps.append({ page.description, k, QString() });
        pages.append(page);
        const QString placeholder
            = QStringLiteral("{=") + QString::number(k) + QStringLiteral("=}");
        const qsizetype end = text.indexOf(u'>');
        text.insert(end < 0 ? text.size() : end, placeholder);
    }
}

QString editTagAtCaret(const QString& tag)
{
    struct EditScope
    {
        EditScope()
        {
            tagEditState.active = true;
            tagEditState.ok = true;
            tagEditState.templateText.clear();
            tagEditState.prefillPage = prefillWizardPage;
            tagEditState.addExtraAttributePages = addExtraAttributePages;
        }
        ~EditScope()
        {
            tagEditState.active = false;
            tagEditState.prefillPage = nullptr;
            tagEditState.addExtraAttributePages = nullptr;
        }
    } scope;
    tagEditState.tagText = tag;
    findTemplateForTag();
    return runTemplateCore(tagEditState.templateText, QStringLiteral("Editing tag"));
}

bool editTagAtCursor(TMemoSource& editor)
{
    const int y = editor.CaretY();
    if (y < 0 || y >= editor.lineCount())
        return false;
    const QString line = editor.line(y);
    const TEnclosingTag tag = findEnclosingTag(line, editor.CaretX());
    QString result = editTagAtCaret(tag.text);
    result.remove(QChar(answerGuard));
    if (result.isEmpty() || result == tag.text)
        return false;
    const int start = tag.start - 1;
    // One bracket: Undo takes back the selection and the replacement in one step.
    editor.beginChange(opReplaceSelection);
    editor.setSelection(smStream, start, y, start + int(tag.text.size()), y);
    editor.replaceSelection(result);
    editor.endChange();
    return true;
}
