/** @file wizardAnswers_utl.cpp ** The input wizard's rules that need no widgets. **/
#include "templates/wizard/wizardAnswers_utl.h"

#include <algorithm>
#include <limits>

const QStringList alignNames = {QString(),
                                QStringLiteral("LEFT"),
                                QStringLiteral("RIGHT"),
                                QStringLiteral("TOP"),
                                QStringLiteral("TEXTTOP"),
                                QStringLiteral("MIDDLE"),
                                QStringLiteral("ABSMIDDLE"),
                                QStringLiteral("BASELINE"),
                                QStringLiteral("BOTTOM"),
                                QStringLiteral("ABSBOTTOM")};

const QStringList alignCaptions = {QStringLiteral("Default"),  QStringLiteral("Left"),
                                   QStringLiteral("Right"),    QStringLiteral("Top"),
                                   QStringLiteral("TextTop"),  QStringLiteral("Middle"),
                                   QStringLiteral("AbsMiddle"), QStringLiteral("BaseLine"),
                                   QStringLiteral("Bottom"),   QStringLiteral("AbsBottom")};

QString colorAnswer(int32_t color)
{
    const uint32_t c = uint32_t(color);
    const uint32_t rgb = ((c & 0xff) << 16) | (c & 0xff00) | ((c >> 16) & 0xff);
    return QStringLiteral("%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
}

std::optional<int32_t> colorFromAnswer(const QString& text)
{
    QString t = text;
    t.remove(u' ').remove(u'#');
    if (t.size() != 6)
        return std::nullopt;
    bool ok = false;
    const uint32_t rgb = t.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return int32_t(((rgb >> 16) & 0xff) | (rgb & 0xff00) | ((rgb & 0xff) << 16));
}

QStringList attListValues(const QString& documentText, const QString& parameters)
{
    QStringList values;
    const int first = int(parameters.indexOf(u';'));
    const int second = first < 0 ? -1 : int(parameters.indexOf(u';', first + 1));
    // A missing part is empty; an empty tag or attribute finds nothing (and must not loop).
    const QString tag = first < 0 ? parameters : parameters.left(first);
    const QString attribute =
        first < 0 ? QString()
                  : (second < 0 ? parameters.mid(first + 1) : parameters.mid(first + 1, second - first - 1));
    const QString terminators = second < 0 ? QString() : parameters.mid(second + 1);
    if (tag.isEmpty() || attribute.isEmpty())
        return values;
    const QString text = documentText + u'>';
    qsizetype at = text.indexOf(tag, 0, Qt::CaseInsensitive);
    while (at >= 0) {
        const qsizetype tagEnd = text.indexOf(u'>', at);
        const QStringView tagText = QStringView(text).mid(at, tagEnd - at);
        const qsizetype a = tagText.indexOf(attribute, 0, Qt::CaseInsensitive);
        if (a >= 0) {
            qsizetype end = a + attribute.size();
            while (end < tagText.size() && !terminators.contains(tagText.at(end)))
                ++end;
            values.append(tagText.mid(a + attribute.size(), end - a - attribute.size()).toString());
        }
        at = text.indexOf(tag, at + tag.size(), Qt::CaseInsensitive);
    }
    return values;
}

QList<QPair<QString, QString>> listParameterPairs(const QString& parameters)
{
    QStringList texts;
    qsizetype i = 0;
    while (i < parameters.size()) {
        if (parameters.at(i) != u'\'') {
            ++i; // blanks, commas and stray characters between the quoted texts
            continue;
        }
        const qsizetype close = parameters.indexOf(u'\'', i + 1);
        if (close < 0) {
            texts.append(parameters.mid(i + 1));
            break;
        }
        texts.append(parameters.mid(i + 1, close - i - 1));
        i = close + 1;
    }
    QList<QPair<QString, QString>> pairs;
    for (qsizetype k = 0; k < texts.size(); k += 2)
        pairs.append({texts.at(k), k + 1 < texts.size() ? texts.at(k + 1) : QString()});
    return pairs;
}

bool acceptNumberChar(const QString& text, int caret, QChar c)
{
    if (c == u'\b' || c == u'%' || c == u'+' || c == u'.')
        return true;
    if (c == u'-')
        return caret == 0 && !text.contains(u'-');
    if (c.isDigit() && c.unicode() < 0x80) {
        const qsizetype minus = text.indexOf(u'-');
        return minus < 0 || caret > minus;
    }
    return false;
}

std::optional<int64_t> wholeNumber(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t.at(i) == u'+' || t.at(i) == u'-'))
        ++i;
    if (i == t.size())
        return std::nullopt;
    for (qsizetype k = i; k < t.size(); ++k)
        if (t.at(k) < u'0' || t.at(k) > u'9')
            return std::nullopt;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok) // more digits than fit: clamp rather than fail, it is still a whole number
        return t.startsWith(u'-') ? std::numeric_limits<int64_t>::min()
                                  : std::numeric_limits<int64_t>::max();
    return v;
}

std::optional<QString> stepNumberText(const QString& text, int delta)
{
    if (text.isEmpty() || text.contains(u'%') || text.contains(u'.'))
        return std::nullopt;
    const std::optional<int64_t> n = wholeNumber(text);
    if (!n)
        return std::nullopt;
    constexpr int64_t lo = std::numeric_limits<int32_t>::min();
    constexpr int64_t hi = std::numeric_limits<int32_t>::max();
    const int64_t v = std::clamp<int64_t>(*n, lo, hi);
    return QString::number(std::clamp<int64_t>(v + delta, lo, hi));
}

std::optional<QString> imageSizeAttributes(const QString& width, const QString& height)
{
    const std::optional<int64_t> w = wholeNumber(width.isEmpty() ? QStringLiteral("0") : width);
    const std::optional<int64_t> h = wholeNumber(height.isEmpty() ? QStringLiteral("0") : height);
    if (!w || !h)
        return std::nullopt;
    QString out;
    if (*w > 0)
        out += QStringLiteral(" WIDTH=") + QString::number(*w);
    if (*h > 0)
        out += QStringLiteral(" HEIGHT=") + QString::number(*h);
    return out;
}

QString qtFileFilter(const QString& filter)
{
    if (filter.trimmed().isEmpty())
        return QString();
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString masks = i + 1 < parts.size() ? parts.at(i + 1) : QStringLiteral("*");
        masks.replace(u';', u' ');
        out.append(parts.at(i) + QStringLiteral(" (") + masks.simplified() + u')');
    }
    return out.join(QStringLiteral(";;"));
}
