/** @file customRules_utl.cpp ** The global rule set and the colour rules file. **/
#include "colour/customRules_utl.h"

#include "core/errors_utl.h"
#include "core/global_utl.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <optional>

namespace {

const QString kSeparator = QStringLiteral("-----------------------------");
constexpr uint8_t kErrFileNotFound = 1;
constexpr uint8_t kErrMessage = 14;

/// Hands out the file's lines; past the end every read gives an empty line, as the format's
/// readers always did, so a truncated group surfaces as an empty number.
class LineReader
{
public:
    explicit LineReader(const QString& text) : m_text(text) { }

    bool atEnd() const { return m_pos >= m_text.size(); }

    QString next()
    {
        if (atEnd())
            return QString();
        qsizetype end = m_text.indexOf(u'\n', m_pos);
        if (end < 0)
            end = m_text.size();
        qsizetype stop = end;
        if (stop > m_pos && m_text.at(stop - 1) == u'\r')
            --stop;
        QString line = m_text.mid(m_pos, stop - m_pos);
        m_pos = end + 1;
        return line;
    }

private:
    QString m_text;
    qsizetype m_pos = 0;
};

/// UTF-8 when the bytes are valid UTF-8, otherwise Latin-1, which never fails.
QString decodeFile(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

std::optional<int32_t> toInteger(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok) {
        showError(kErrMessage, QStringLiteral("'%1' is not a valid integer value").arg(text));
        return std::nullopt;
    }
    return int32_t(value);
}

/// A field must stay on its own line or every later group would shift.
QString oneLine(const QString& text)
{
    QString result = text;
    result.replace(u'\r', u' ').replace(u'\n', u' ');
    return result;
}

} // namespace

bool loadColorRules(TRules& rules, const QString& fileName)
{
    QFile file(fileName);
    if (!QFileInfo::exists(fileName)) {
        showError(kErrFileNotFound, fileName);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        showError(kErrMessage, QStringLiteral("Cannot read the file\r\n%1\r\n%2")
                                   .arg(fileName, file.errorString()));
        return false;
    }
    LineReader in(decodeFile(file.readAll()));
    file.close();

    rules.TextStyles.clear();
    rules.clear();

    in.next(); // "Styles:"
    for (;;) {
        const QString name = in.next();
        if (name.isEmpty())
            break;
        const QString colours = in.next();
        const qsizetype space = colours.indexOf(u' ');
        if (space < 0)
            continue; // no style for this name: later styles move up one index
        const auto foreground = toInteger(colours.left(space));
        if (!foreground)
            return false;
        const auto background = toInteger(colours.mid(space + 1));
        if (!background)
            return false;
        TTextStyle style;
        style.Name = name;
        style.Font.Color = *foreground;
        style.Color = *background;
        rules.TextStyles.append(style);
    }

    in.next(); // "Rules:"
    while (!in.atEnd()) {
        const QString name = in.next();
        const QString openText = in.next();
        const QString closeText = in.next();
        const auto styleIndex = toInteger(in.next());
        if (!styleIndex)
            return false;
        in.next(); // separator
        rules.add().setValues(name, openText, *styleIndex, closeText);
    }
    return true;
}

bool saveColorRules(const TRules& rules, const QString& fileName)
{
    QString text;
    const auto line = [&text](const QString& s) { text += oneLine(s) + QStringLiteral("\r\n"); };
    line(QStringLiteral("Styles:"));
    for (const TTextStyle& style : rules.TextStyles) {
        // An empty name would end the styles section when the file is read back.
        line(style.Name.isEmpty() ? QStringLiteral(" ") : style.Name);
        line(QString::number(style.Font.Color) + u' ' + QString::number(style.Color));
    }
    line(QString());
    line(QStringLiteral("Rules:"));
    for (qsizetype i = 0; i < rules.count(); ++i) {
        const TRule& rule = rules.at(i);
        line(rule.RuleName());
        line(rule.OpenTag());
        line(rule.CloseTag());
        line(QString::number(rule.StyleIndex()));
        line(kSeparator);
    }

    QSaveFile file(fileName);
    // Unbuffered: through the buffer a full disk shows only in commit, which misses it.
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (ok) {
        const QByteArray bytes = text.toUtf8();
        ok = file.write(bytes) == bytes.size();
    }
    if (ok)
        ok = file.commit();
    else
        file.cancelWriting();
    if (!ok)
        showError(kErrMessage, QStringLiteral("Cannot save the file\r\n%1\r\n%2")
                                   .arg(fileName, file.errorString()));
    return ok;
}

TTextStyles applyColorStyles(const TRules& rules)
{
    return rules.TextStyles;
}

TTextStyles reloadColorStyles()
{
    loadColorRules(colorRules, colorRulesFileName);
    return applyColorStyles(colorRules);
}
