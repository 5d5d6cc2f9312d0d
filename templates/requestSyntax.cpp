/** @file requestSyntax.cpp ** The request syntax of templates. **/
#include "templates/requestSyntax.h"

#include "core/errors_utl.h"
#include "core/global_utl.h"

const QStringList requestTypeNames = {
    QStringLiteral("unknown"), QString(),
    QStringLiteral("file"),    QStringLiteral("string"),
    QStringLiteral("number"),  QStringLiteral("percent"),
    QStringLiteral("url"),     QStringLiteral("urlfile"),
    QStringLiteral("color"),   QStringLiteral("attlist"),
    QStringLiteral("align"),   QStringLiteral("image"),
    QStringLiteral("list"),    QStringLiteral("text"),
    QStringLiteral("run"),     QStringLiteral("date"),
    QStringLiteral("msg"),     QStringLiteral("menucommand"),
    QStringLiteral("goto"),    QStringLiteral("plugin"),
};

int requestTypeIndex(const QString& word)
{
    // The empty entry 1 must not be selectable by an empty word.
    if (word.isEmpty())
        return rtUnknown;
    const qsizetype i = requestTypeNames.indexOf(word);
    return i < 0 ? rtUnknown : int(i);
}

bool isWizardRequestType(int type)
{
    return (type >= rtFile && type <= rtText) || type == rtDate;
}

TRequest parseRequest(const QString& content)
{
    TRequest r;
    // A quote opens only before the first comma, so the first unquoted comma ends the description.
    qsizetype comma = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const QChar c = content.at(i);
        if (c == u'\'')
            quoted = !quoted;
        else if (c == u',' && !quoted) {
            comma = i;
            break;
        }
    }
    const QString part = comma < 0 ? content : content.left(comma);
    const qsizetype q1 = part.indexOf(u'\'');
    if (q1 < 0) {
        r.description = part.trimmed();
    } else {
        const qsizetype q2 = part.indexOf(u'\'', q1 + 1);
        r.description = q2 < 0 ? part.mid(q1 + 1) : part.mid(q1 + 1, q2 - q1 - 1) + part.mid(q2 + 1);
    }
    if (comma < 0)
        return r;

    const QString rest = content.mid(comma + 1);
    qsizetype p = 0;
    while (p < rest.size() && rest.at(p) == u' ')
        ++p;
    if (p < rest.size() && rest.at(p) == u'-') {
        r.optional = true;
        ++p;
    }
    const qsizetype bracket = rest.indexOf(u'[', p);
    QString word = rest.mid(p, (bracket < 0 ? rest.size() : bracket) - p);
    word.remove(u' ');
    // Only a non-optional word keeps its first character as written: "String" names no type.
    if (r.optional)
        word = word.toLower();
    else if (!word.isEmpty())
        word = word.left(1) + word.mid(1).toLower();
    r.type = requestTypeIndex(word);
    if (bracket >= 0) {
        const qsizetype close = rest.indexOf(u']', bracket + 1);
        r.parameters = close < 0 ? rest.mid(bracket + 1) : rest.mid(bracket + 1, close - bracket - 1);
    }
    return r;
}

TSyntaxCheck checkTemplateSyntax(const QString& text)
{
    TSyntaxCheck result;
    if (text.isEmpty())
        return result;
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t')
            continue;
        if (c == u';')
            return result;
        break;
    }

    const QStringView t(text);
    const qsizetype len = t.size();
    uint8_t error = 0;
    qsizetype errorPos = 0;
    bool open = false;
    bool hasComma = false;
    bool quoted = false;
    bool emptySeen = false;
    qsizetype requestStart = -1;  // 0-based index of the open request's "{"
    qsizetype commaOffset = -1;   // index of the open request's comma, -1 before it
    qsizetype firstRequest = -1;  // 0-based index of the first "{=" of the text
    auto raise = [&](uint8_t code, qsizetype i) {
        error = code;
        errorPos = i + 1;
    };
    for (qsizetype i = 0; i < len && error == 0; ++i) {
        const QChar c = t.at(i);
        const QChar next = i + 1 < len ? t.at(i + 1) : QChar();
        if (c == u'{' && next == u'=') {
            if (open) {
                raise(9, i);
            } else {
                open = true;
                hasComma = false;
                quoted = false;
                requestStart = i;
                commaOffset = -1;
                if (firstRequest < 0)
                    firstRequest = i;
            }
        }
        if (c == u',' && !quoted) {
            if (open && !hasComma)
                commaOffset = i;
            hasComma = true;
        }
        if (c == u'\'') {
            if (quoted)
                quoted = false;
            else if (!hasComma)
                quoted = true;
        }
        if (c == u'=' && next == u'}') {
            // Later errors replace earlier ones raised by the same closing tag.
            if (!hasComma)
                raise(8, i);
            if (quoted)
                raise(12, i);
            if (!open)
                raise(6, i);
            if (open) {
                // The request's text runs from its "{" to this "=".
                const QStringView request = t.mid(requestStart, i - requestStart + 1);
                if (request == u"{=,=") {
                    if (emptySeen)
                        raise(10, i);
                    emptySeen = true;
                } else if (commaOffset >= 0) {
                    const QStringView fromComma = t.mid(commaOffset, i - commaOffset + 1);
                    if (fromComma.contains(u'[') && !fromComma.contains(u']'))
                        raise(13, i);
                }
            }
            open = false;
        }
    }
    if (error == 0 && open)
        raise(7, len - 1);
    if (error == 0 && firstRequest >= 0) {
        const qsizetype close = text.indexOf(QStringLiteral("=}"), firstRequest + 2);
        const QString content = text.mid(firstRequest + 2, close - firstRequest - 2);
        if (content != QStringLiteral(",") && parseRequest(content).type == rtUnknown)
            raise(11, firstRequest);
    }
    if (error != 0) {
        result.ok = false;
        result.code = error;
        result.position = int(errorPos);
    }
    return result;
}

bool checkTemplateSyntaxAndReport(const QString& text)
{
    const TSyntaxCheck check = checkTemplateSyntax(text);
    if (!check.ok)
        showError(check.code, QString::number(check.position));
    return check.ok;
}

QString shortErrorMessage(uint8_t code, const QString& param)
{
    return formatErrorMessage(code, param, 1);
}
