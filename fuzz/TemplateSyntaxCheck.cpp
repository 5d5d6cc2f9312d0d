/** @file TemplateSyntaxCheck.cpp ** Property checks of the template syntax check, the request
 ** parser and the tag helpers. **/
#include "fuzz/TemplateSyntaxCheck.h"

#include "fuzz/ScratchFile.h"
#include "templates/requestSyntax.h"
#include "templates/tagParser.h"

#include <QStringDecoder>

namespace pmfuzz {

namespace {

    /// Carets and attribute positions are tried at every column up to this one, then at every
    /// "<", ">", "=" and blank and at the end, so that long lines stay quick.
    constexpr qsizetype everyColumnUpTo = 24;

    QList<qsizetype> columnsOf(const QString& line)
    {
        const qsizetype size = line.size();
        QList<qsizetype> columns;
        for (qsizetype c = 0; c <= size; ++c) {
            const QChar here = c < size ? line.at(c) : QChar();
            const QChar before = c > 0 ? line.at(c - 1) : QChar();
            if (c <= everyColumnUpTo || c == size || here == u'<' || here == u'>' || before == u'<'
                || before == u'>' || here == u'=' || here == u' ')
                columns.append(c);
            if (columns.size() >= 96)
                break;
        }
        return columns;
    }

    QString checkSyntax(const QString& text)
    {
        const TSyntaxCheck check = checkTemplateSyntax(text);
        const qsizetype size = text.size();
        if (check.ok) {
            if (check.code != 0 || check.position != 0)
                return QStringLiteral("a text that passed has code %1 at %2")
                    .arg(check.code)
                    .arg(check.position);
            // What the check lets through, the runner must be able to start.
            const qsizetype open = text.indexOf(QStringLiteral("{="));
            qsizetype blank = 0;
            while (blank < size && (text.at(blank) == u' ' || text.at(blank) == u'\t'))
                ++blank;
            const bool comment = blank < size && text.at(blank) == u';';
            if (open >= 0 && !comment) {
                const qsizetype close = text.indexOf(QStringLiteral("=}"), open + 2);
                if (close < 0)
                    return QStringLiteral("a text with an unclosed request at %1 passed")
                        .arg(open + 1);
                const QString content = text.mid(open + 2, close - open - 2);
                if (content != QStringLiteral(",") && parseRequest(content).type == rtUnknown)
                    return u"a text passed whose first request \""_qs + shown(content)
                        + u"\" names no type"_qs;
            }
            return {};
        }
        if (check.code < 6 || check.code > 13)
            return QStringLiteral("error code %1 is not a syntax error").arg(check.code);
        if (check.position < 1 || check.position > size)
            return QStringLiteral("error %1 at %2 lies outside a text of %3 characters")
                .arg(check.code)
                .arg(check.position)
                .arg(size);
        const QString at = text.mid(check.position - 1, 2);
        switch (check.code) {
        case 7:
            if (check.position != size)
                return QStringLiteral("an unclosed request is blamed at %1, not at the end %2")
                    .arg(check.position)
                    .arg(size);
            break;
        case 9:
        case 11:
            if (at != QStringLiteral("{="))
                return QStringLiteral("error %1 at %2 stands at \"%3\", not at a \"{=\"")
                    .arg(check.code)
                    .arg(check.position)
                    .arg(shown(at));
            break;
        default:
            if (at != QStringLiteral("=}"))
                return QStringLiteral("error %1 at %2 stands at \"%3\", not at a \"=}\"")
                    .arg(check.code)
                    .arg(check.position)
                    .arg(shown(at));
        }
        return {};
    }

    QString checkRequests(const QString& text)
    {
        qsizetype from = 0;
        for (int n = 0; n < 64; ++n) {
            const qsizetype open = text.indexOf(QStringLiteral("{="), from);
            if (open < 0)
                break;
            const qsizetype close = text.indexOf(QStringLiteral("=}"), open + 2);
            if (close < 0)
                break;
            const QString content = text.mid(open + 2, close - open - 2);
            const TRequest r = parseRequest(content);
            if (r.type < rtUnknown || r.type > rtPlugin || r.type == rtNone)
                return QStringLiteral("request \"%1\" parsed to type %2")
                    .arg(shown(content))
                    .arg(r.type);
            if (r.type != rtUnknown) {
                QString compact = content.toLower();
                compact.remove(u' ');
                if (!compact.contains(requestTypeNames.at(r.type)))
                    return QStringLiteral("request \"%1\" parsed to \"%2\", a word it lacks")
                        .arg(shown(content), requestTypeNames.at(r.type));
            }
            if (!content.contains(r.parameters))
                return QStringLiteral("request \"%1\" has parameters \"%2\" it does not hold")
                    .arg(shown(content), shown(r.parameters));
            if (r.description.size() > content.size())
                return QStringLiteral("request \"%1\" has a longer description \"%2\"")
                    .arg(shown(content), shown(r.description));
            if (r.optional && !content.contains(u'-'))
                return QStringLiteral("request \"%1\" is optional without a \"-\"")
                    .arg(shown(content));
            from = close + 2;
        }
        return {};
    }

    QString checkTags(const QString& line)
    {
        const qsizetype size = line.size();
        const QList<qsizetype> columns = columnsOf(line);
        for (const qsizetype c : columns) {
            const TEnclosingTag tag = findEnclosingTag(line, int(c));
            if (tag.text.isEmpty()) {
                if (tag.start != 0)
                    return QStringLiteral("no tag at column %1, yet a start %2")
                        .arg(c)
                        .arg(tag.start);
                continue;
            }
            const qsizetype start = tag.start - 1;
            if (start < 0 || start + tag.text.size() > size
                || line.mid(start, tag.text.size()) != tag.text)
                return QStringLiteral("the tag \"%1\" at column %2 is not the line's text at %3")
                    .arg(shown(tag.text))
                    .arg(c)
                    .arg(tag.start);
            if (c == 0 ? start != 0 : (start >= c || c > start + tag.text.size()))
                return QStringLiteral("the tag \"%1\" found at column %2 runs from %3, not around "
                                      "the caret")
                    .arg(shown(tag.text))
                    .arg(c)
                    .arg(tag.start);
        }
        for (const qsizetype c : columns) {
            QString kept = line;
            qsizetype position = c;
            const TAttribute read = extractAttribute(kept, position, false);
            if (kept != line)
                return QStringLiteral("reading an attribute changed the text");
            if (position < std::min(c, size) || position > size)
                return QStringLiteral("an attribute read at %1 moved to %2 in a text of %3")
                    .arg(c)
                    .arg(position)
                    .arg(size);
            const qsizetype from = std::min(c, size);
            if (read.namePart + read.value + read.closingPart != line.mid(from, position - from))
                return QStringLiteral("the attribute read at %1 is not the text up to %2")
                    .arg(c)
                    .arg(position);
            QString cut = line;
            qsizetype same = c;
            const TAttribute taken = extractAttribute(cut, same, true);
            if (same != c || cut != line.left(from) + line.mid(position)
                || taken.namePart != read.namePart || taken.value != read.value
                || taken.closingPart != read.closingPart)
                return QStringLiteral("cutting the attribute at %1 did not remove what reading "
                                      "it saw")
                    .arg(c);
        }
        const QString opening = cutAfterOpeningTag(line);
        if (!line.startsWith(opening) || (opening.size() < size && !opening.endsWith(u'>')))
            return u"the opening tag of \""_qs + shown(line) + u"\" was cut as \""_qs
                + shown(opening) + u'"';
        return {};
    }

    QString decodedLine(QByteArrayView bytes)
    {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = utf8.decode(bytes);
        return utf8.hasError() ? QString::fromLatin1(bytes) : line;
    }

    QString checkText(const QString& text, bool withTags)
    {
        if (QString broken = checkSyntax(text); !broken.isEmpty())
            return broken + u" in \""_qs + shown(text) + u'"';
        if (QString broken = checkRequests(text); !broken.isEmpty())
            return broken;
        if (withTags && !text.contains(u'\n'))
            return checkTags(text);
        return {};
    }

} // namespace

QString checkTemplateText(const QString& text, bool withTags)
{
    return checkText(text, withTags);
}

QString checkTemplateSyntax(const QByteArray& bytes)
{
    QStringList lines;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(decodedLine(line));
    }
    // The tag helpers look at every caret of a line: the first lines holding a "<" are enough
    // for them, and the rest of a large file stays quick.
    int tagLines = 0;
    for (const QString& line : std::as_const(lines)) {
        const bool withTags = tagLines < 12 && line.contains(u'<');
        tagLines += withTags;
        if (QString broken = checkText(line, withTags); !broken.isEmpty())
            return broken;
    }
    // A whole template as the runner gets it: its lines joined by CR LF.
    if (lines.size() > 1)
        return checkText(lines.join(QStringLiteral("\r\n")), false);
    return {};
}

} // namespace pmfuzz
