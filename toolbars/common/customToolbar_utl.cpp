/** @file customToolbar_utl.cpp ** The toolbar descriptions and the toolbar file. **/
#include "toolbars/common/customToolbar_utl.h"

#include "core/errors_utl.h"
#include "platform/Dialogs.h"
#include "platform/SafeSave.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <atomic>
#include <limits>
#include <optional>

TToolbars toolbarDescriptions;

namespace {

constexpr uint8_t kErrMessage = 14;
constexpr uint8_t kErrNotToolbarsFile = 20;
constexpr int kButtonFields = 8;

const QString kCrLf = QStringLiteral("\r\n");
constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kMax = std::numeric_limits<int32_t>::max();

std::atomic<uint64_t> g_nextToolbarId { 1 };

/// UTF-8 when the bytes are valid UTF-8, otherwise Latin-1, which never fails.
QString decodeFile(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

/// Lines ended by LF or CR LF; a last line without a line end counts, an empty tail does not.
class Lines
{
public:
    explicit Lines(const QByteArray& bytes)
        : m_text(decodeFile(bytes))
    {
    }

    /// The next line, or nothing at the end of the file.
    std::optional<QString> read()
    {
        if (m_pos >= m_text.size())
            return std::nullopt;
        qsizetype end = m_text.indexOf(u'\n', m_pos);
        if (end < 0)
            end = m_text.size();
        qsizetype stop = end;
        if (stop > m_pos && m_text.at(stop - 1) == u'\r')
            --stop;
        QString line = m_text.mid(m_pos, stop - m_pos);
        m_pos = end + 1;
        ++m_number;
        return line;
    }
    /// The 1-based number of the line read last.
    int number() const { return m_number; }

private:
    QString m_text;
    qsizetype m_pos = 0;
    int m_number = 0;
};

QChar firstNonBlank(const QString& line)
{
    for (const QChar c : line)
        if (c != u' ' && c != u'\t')
            return c;
    return QChar();
}

/// The file's markers compare without regard to the case of ASCII letters only.
bool isMarker(const QString& line, QLatin1StringView marker)
{
    if (line.size() != marker.size())
        return false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        char16_t c = line.at(i).unicode();
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c + 32);
        if (c != char16_t(marker.at(i).unicode()))
            return false;
    }
    return true;
}

const QLatin1StringView kSeparatorMarker("~seperator~");
const QLatin1StringView kButtonMarker("~button~");

bool endsButton(const QString& line)
{
    return firstNonBlank(line) == u'}' || isMarker(line, kSeparatorMarker)
        || isMarker(line, kButtonMarker);
}

/// A field must stay on its own line or every later field would shift. Lines end at LF only,
/// so a CR, even a last one, comes back as it was written.
QString oneLine(const QString& text)
{
    QString result = text;
    result.replace(u'\n', u' ');
    return result;
}

/// A decimal integer in [low, high], or why not.
std::optional<int32_t> decimal(const QString& text, int64_t low, int64_t high, QString* error)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<int32_t>::min()
        || value > std::numeric_limits<int32_t>::max()) {
        *error = QStringLiteral("'%1' is not a valid integer value").arg(text);
        return std::nullopt;
    }
    if (value < low || value > high) {
        *error = QStringLiteral("%1 is out of range (%2 to %3)").arg(value).arg(low).arg(high);
        return std::nullopt;
    }
    return int32_t(value);
}

} // namespace

// --- Commands and descriptions ------------------------------------------------------------

void TMenuCommands::clear()
{
    m_items.clear();
    m_byName.clear();
}

TMenuCommand& TMenuCommands::add()
{
    m_byName.clear();
    return m_items.emplace_back();
}

int32_t TMenuCommands::indexOfName(const QString& name) const
{
    if (name.isEmpty())
        return -1;
    if (m_byName.isEmpty() && !m_items.isEmpty()) {
        m_byName.reserve(m_items.size());
        for (qsizetype i = m_items.size() - 1; i >= 0; --i)
            m_byName.insert(m_items.at(i).Name, int32_t(i)); // the first of equal names wins
    }
    return m_byName.value(name, -1);
}

QString TMenuCommands::nameAt(int32_t index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index).Name : QString();
}

TToolbarElement TToolbarElement::separator()
{
    TToolbarElement e;
    e.IsSeparator = 1;
    e.Caption = QStringLiteral("Seperator");
    return e;
}

TToolbar::TToolbar()
    : m_id(g_nextToolbarId++)
{
}

TToolbar& TToolbars::add()
{
    TToolbar& t = Toolbars.emplace_back();
    t.Commands = &Commands;
    return t;
}

void TToolbars::replace(QList<TToolbar> toolbars)
{
    Toolbars = std::move(toolbars);
    for (TToolbar& t : Toolbars)
        t.Commands = &Commands;
}

// --- The toolbar file ---------------------------------------------------------------------

TToolbarsText readToolbarsText(const QByteArray& bytes, const TMenuCommands& commands)
{
    TToolbarsText out;
    Lines lines(bytes);
    const std::optional<QString> header = lines.read();
    if (!header || *header != QStringView(toolbarsFileHeader)) {
        out.status = TToolbarsText::WrongHeader;
        return out;
    }
    const auto malformed = [&out](int line, const QString& error) {
        out.status = TToolbarsText::Malformed;
        out.toolbars.clear();
        out.errorLine = line;
        out.error = error;
        return out;
    };

    for (std::optional<QString> line = lines.read(); line; line = lines.read()) {
        if (firstNonBlank(*line) != u'{')
            continue; // outside a toolbar
        TToolbar toolbar;
        const qsizetype brace = line->indexOf(u'{');
        toolbar.Visible = brace + 1 < line->size() && line->at(brace + 1) == u'-' ? 0 : 1;
        toolbar.ToolbarName = line->mid(brace + 2);

        std::optional<QString> current = lines.read();
        while (current && firstNonBlank(*current) != u'}') {
            if (isMarker(*current, kSeparatorMarker)) {
                toolbar.Elements.append(TToolbarElement::separator());
                current = lines.read();
                continue;
            }
            // Any other line opens a button; its fields are the lines up to the next marker.
            const int opened = lines.number();
            QStringList fields;
            int count = 0;
            for (current = lines.read(); current && !endsButton(*current); current = lines.read())
                if (count++ < kButtonFields)
                    fields.append(*current);
            if (count < kButtonFields)
                return malformed(opened,
                    QStringLiteral("the button opened here has %1 of its %2 lines")
                        .arg(count)
                        .arg(kButtonFields));
            TToolbarElement button;
            QString error;
            const auto number = [&](int field, int64_t low, int64_t high) {
                return decimal(fields.at(field), low, high, &error);
            };
            const auto numGlyphs = number(2, 0, 255);
            if (!numGlyphs)
                return malformed(opened + 3, error);
            const auto width = number(4, kMin, kMax);
            if (!width)
                return malformed(opened + 5, error);
            const auto height = number(5, kMin, kMax);
            if (!height)
                return malformed(opened + 6, error);
            const auto displayMode = number(7, 0, 255);
            if (!displayMode)
                return malformed(opened + 8, error);
            button.Caption = fields.at(0);
            button.GlyphFileName = fields.at(1);
            button.NumGlyphs = uint8_t(*numGlyphs);
            button.Hint = fields.at(3);
            button.Width = *width;
            button.Height = *height;
            button.CommandIndex = commands.indexOfName(fields.at(6));
            button.DisplayMode = uint8_t(*displayMode);
            toolbar.Elements.append(button);
        }
        out.toolbars.append(std::move(toolbar));
    }
    return out;
}

QByteArray toolbarsFileText(const TToolbars& descriptions)
{
    QString text;
    const auto line = [&text](const QString& s) { text += oneLine(s) + kCrLf; };
    line(QString::fromUtf16(toolbarsFileHeader));
    for (const TToolbar& toolbar : descriptions.Toolbars) {
        line((toolbar.Visible ? QStringLiteral("{+") : QStringLiteral("{-")) + toolbar.ToolbarName);
        for (const TToolbarElement& e : toolbar.Elements) {
            if (e.IsSeparator == 1) {
                line(QStringLiteral("~Seperator~"));
            } else if (e.IsSeparator == 0) {
                line(QStringLiteral("~Button~"));
                line(e.Caption);
                line(e.GlyphFileName);
                line(QString::number(e.NumGlyphs));
                line(e.Hint);
                line(QString::number(e.Width));
                line(QString::number(e.Height));
                line(toolbar.Commands ? toolbar.Commands->nameAt(e.CommandIndex) : QString());
                line(QString::number(e.DisplayMode));
            }
        }
        line(QStringLiteral("}"));
    }
    return text.toUtf8();
}

bool loadToolbarsFile(TToolbars& descriptions, const QString& fileName)
{
    if (!QFileInfo(fileName).isFile())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        showError(kErrMessage,
            QStringLiteral("Cannot read the file\r\n%1\r\n%2").arg(fileName, file.errorString()));
        return false;
    }
    TToolbarsText read = readToolbarsText(file.readAll(), descriptions.Commands);
    switch (read.status) {
    case TToolbarsText::WrongHeader:
        showError(kErrNotToolbarsFile, fileName);
        return false;
    case TToolbarsText::Malformed:
        showError(kErrMessage,
            QStringLiteral("%1\r\nline %2: %3").arg(fileName).arg(read.errorLine).arg(read.error));
        return false;
    case TToolbarsText::Read:
        break;
    }
    descriptions.replace(std::move(read.toolbars));
    return true;
}

bool saveToolbarsFile(const TToolbars& descriptions, const QString& fileName)
{
    QString error;
    if (pm::saveFileSafely(fileName, toolbarsFileText(descriptions), &error))
        return true;
    showError(kErrMessage, QStringLiteral("Cannot save the file\r\n%1\r\n%2").arg(fileName, error));
    return false;
}

// --- The older format ---------------------------------------------------------------------

TOldToolbarsConversion convertOldToolbarsText(const QByteArray& oldBytes)
{
    TOldToolbarsConversion out;
    Lines lines(oldBytes);
    const std::optional<QString> header = lines.read();
    if (!header || *header != QStringView(oldToolbarsFileHeader)) {
        out.wrongHeader = true;
        return out;
    }
    const auto malformed = [&out](int line, const QString& error) {
        out.errorLine = line;
        out.error = error;
        return out;
    };
    QString text = QString::fromUtf16(toolbarsFileHeader) + kCrLf;
    const auto copy = [&text](const QString& s) { text += s + kCrLf; };

    for (std::optional<QString> line = lines.read(); line; line = lines.read()) {
        if (!line->startsWith(u'{'))
            continue; // outside a toolbar
        copy(*line);
        for (line = lines.read(); line; line = lines.read()) {
            copy(*line);
            if (firstNonBlank(*line) == u'}')
                break;
            if (!isMarker(*line, kButtonMarker))
                continue;
            // The old block: caption, glyph, glyphs, hint, command, then one line of
            // "mode, one separator character, width, comma, height".
            const int opened = lines.number();
            QStringList block;
            while (block.size() < 6) {
                line = lines.read();
                if (!line)
                    return malformed(opened,
                        QStringLiteral("the button opened here has %1 of its 6 lines")
                            .arg(block.size()));
                block.append(*line);
            }
            const QString& sizes = block.at(5);
            const qsizetype comma = sizes.indexOf(u',', 2);
            QString error;
            if (sizes.isEmpty() || !sizes.at(0).isDigit() || sizes.at(0).unicode() > u'9'
                || comma < 0)
                return malformed(opened + 6,
                    QStringLiteral("'%1' is not a display mode with a width and a height")
                        .arg(sizes));
            const auto width = decimal(sizes.mid(2, comma - 2), kMin, kMax, &error);
            if (!width)
                return malformed(opened + 6, error);
            const auto height = decimal(sizes.mid(comma + 1), kMin, kMax, &error);
            if (!height)
                return malformed(opened + 6, error);
            for (int i = 0; i < 4; ++i)
                copy(block.at(i));
            copy(QString::number(*width));
            copy(QString::number(*height));
            copy(block.at(4));
            copy(QString(sizes.at(0)));
        }
    }
    out.converted = true;
    out.text = text.toUtf8();
    return out;
}

bool convertOldToolbarsFile(const QString& oldFileName, const QString& newFileName)
{
    QFile file(oldFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        pm::dialogs().error(QStringLiteral("Cannot read the file\r\n%1\r\n%2")
                                .arg(oldFileName, file.errorString()));
        return false;
    }
    const TOldToolbarsConversion conversion = convertOldToolbarsText(file.readAll());
    file.close();
    if (conversion.wrongHeader) {
        pm::dialogs().error(oldFileName + QStringLiteral(" is not a valid toolbar file !"));
        return false;
    }
    if (!conversion.converted) {
        pm::dialogs().error(QStringLiteral("%1\r\nline %2: %3")
                                .arg(oldFileName)
                                .arg(conversion.errorLine)
                                .arg(conversion.error));
        return false;
    }
    QString error;
    if (!pm::saveFileSafely(newFileName, conversion.text, &error)) {
        pm::dialogs().error(
            QStringLiteral("Cannot save the file\r\n%1\r\n%2").arg(newFileName, error));
        return false;
    }
    pm::dialogs().information(QStringLiteral("Done.\r\n") + oldFileName + kCrLf
        + QStringLiteral(" converted to") + kCrLf + newFileName);
    return true;
}
