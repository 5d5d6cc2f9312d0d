/** @file RegDocument.cpp ** Lenient REGEDIT4 reader and change-preserving writer. **/
#include "platform/RegDocument.h"

#include <QStringDecoder>

namespace pm {

namespace {

    enum class Charset { Ansi, Utf16 };

    QString decodeLine(const QByteArray& bytes)
    {
        // Exports made on Windows are ANSI; our own writes are UTF-8. Decide per line so a file
        // that mixes both still reads.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(bytes);
        if (utf8.hasError())
            return QString::fromLatin1(bytes);
        return text;
    }

    bool isBlank(QChar c)
    {
        return c == u' ' || c == u'\t';
    }

    qsizetype skipBlanks(const QString& s, qsizetype i)
    {
        while (i < s.size() && isBlank(s.at(i)))
            ++i;
        return i;
    }

    /// Reads a quoted string starting at s[i] == '"'; returns the index after the closing quote,
    /// or -1 when it is not closed.
    qsizetype readQuoted(const QString& s, qsizetype i, QString& out)
    {
        out.clear();
        for (++i; i < s.size(); ++i) {
            const QChar c = s.at(i);
            if (c == u'"')
                return i + 1;
            if (c == u'\\' && i + 1 < s.size()) {
                const QChar next = s.at(i + 1);
                if (next == u'\\' || next == u'"') {
                    out += next;
                    ++i;
                    continue;
                }
            }
            out += c;
        }
        return -1;
    }

    QString quoted(const QString& s)
    {
        QString out;
        out.reserve(s.size() + 2);
        out += u'"';
        for (const QChar c : s) {
            if (c == u'\\' || c == u'"')
                out += u'\\';
            out += c;
        }
        out += u'"';
        return out;
    }

    std::optional<QByteArray> hexBytes(const QString& list)
    {
        QByteArray bytes;
        const QStringList parts = list.split(u',', Qt::SkipEmptyParts);
        for (const QString& part : parts) {
            QString p = part.trimmed();
            if (p.endsWith(u'\\'))
                p.chop(1);
            p = p.trimmed();
            if (p.isEmpty())
                continue;
            bool ok = false;
            const uint b = p.toUInt(&ok, 16);
            if (!ok || b > 0xFF)
                return std::nullopt;
            bytes.append(char(b));
        }
        return bytes;
    }

    QString hexList(const QByteArray& bytes)
    {
        QString out;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (i > 0)
                out += u',';
            out += QString::number(uchar(bytes.at(i)), 16).rightJustified(2, u'0');
        }
        return out;
    }

    bool needsHexForm(const QString& text)
    {
        for (const QChar c : text)
            if (c.unicode() < 0x20 && c != u'\t')
                return true;
        return false;
    }

    struct ParsedValue
    {
        QString name;
        bool isText = false;
        QString text;
    };

    /// Parses `"name"=...` or `@=...`; nothing when the line is not a complete value line.
    std::optional<ParsedValue> parseValueLine(const QString& line, Charset charset)
    {
        ParsedValue v;
        qsizetype i = 0;
        if (line.startsWith(u'@')) {
            i = 1;
        } else {
            i = readQuoted(line, 0, v.name);
            if (i < 0)
                return std::nullopt;
        }
        i = skipBlanks(line, i);
        if (i >= line.size() || line.at(i) != u'=')
            return std::nullopt;
        i = skipBlanks(line, i + 1);
        const QString data = line.mid(i);

        if (data.startsWith(u'"')) {
            const qsizetype end = readQuoted(line, i, v.text);
            if (end < 0 || skipBlanks(line, end) != line.size())
                return std::nullopt;
            v.isText = true;
            return v;
        }
        const QString lower = data.toLower();
        if (lower.startsWith(u"dword:")) {
            bool ok = false;
            const uint n = data.mid(6).trimmed().toUInt(&ok, 16);
            if (!ok)
                return std::nullopt;
            v.isText = true;
            v.text = QString::number(int32_t(n)); // what a program reading an integer would see
            return v;
        }
        for (const QLatin1StringView prefix :
            { QLatin1StringView("hex(1):"), QLatin1StringView("hex(2):") }) {
            if (!lower.startsWith(prefix))
                continue;
            const auto bytes = hexBytes(data.mid(prefix.size()));
            if (!bytes)
                return std::nullopt;
            if (charset == Charset::Utf16) {
                QByteArray b = *bytes;
                if (b.size() % 2)
                    b.chop(1);
                v.text = QString::fromUtf16(
                    reinterpret_cast<const char16_t*>(b.constData()), b.size() / 2);
            } else {
                v.text = decodeLine(*bytes);
            }
            while (v.text.endsWith(QChar(0)))
                v.text.chop(1);
            v.isText = true;
            return v;
        }
        if (data.startsWith(u'-'))
            return std::nullopt; // a deletion request of an import file: kept as it stands
        if (lower.startsWith(u"hex"))
            return v; // binary and other types: a value we keep but cannot read as text
        return std::nullopt;
    }

    QByteArray formatValue(const QString& name, const QString& text)
    {
        QString line = name.isEmpty() ? QStringLiteral("@") : quoted(name);
        line += u'=';
        if (needsHexForm(text)) {
            // REGEDIT4 has no escape for line breaks; hex(1) is how such a string travels.
            QByteArray bytes = text.toUtf8();
            bytes.append('\0');
            line += QStringLiteral("hex(1):") + hexList(bytes);
        } else {
            line += quoted(text);
        }
        return line.toUtf8();
    }

} // namespace

QString RegDocument::normalizeKey(const QString& keyPath)
{
    const QStringList parts = keyPath.trimmed().split(u'\\', Qt::SkipEmptyParts);
    return parts.join(u'\\');
}

RegDocument RegDocument::parse(const QByteArray& input)
{
    RegDocument doc;
    Charset charset = Charset::Ansi;
    QList<QByteArray> rawLines;
    QStringList lines;

    if (input.startsWith("\xFF\xFE")) {
        // Exports of newer registry editors are UTF-16; such a file is rewritten as UTF-8.
        charset = Charset::Utf16;
        const QByteArray body = input.mid(2);
        const QString all = QString::fromUtf16(
            reinterpret_cast<const char16_t*>(body.constData()), body.size() / 2);
        const QStringList split = all.split(u'\n');
        for (QString l : split) {
            if (l.endsWith(u'\r'))
                l.chop(1);
            lines.append(l);
            rawLines.append(l.toUtf8());
        }
    } else {
        QByteArray body = input;
        if (body.startsWith("\xEF\xBB\xBF"))
            body.remove(0, 3);
        const QList<QByteArray> split = body.split('\n');
        for (QByteArray l : split) {
            if (l.endsWith('\r'))
                l.chop(1);
            rawLines.append(l);
            lines.append(decodeLine(l));
        }
    }

    int current = 0;
    bool headerSeen = false;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines.at(n).trimmed();
        QByteArray raw = rawLines.at(n);
        if (line.isEmpty())
            continue;
        if (!headerSeen) {
            headerSeen = true;
            if (line == u"REGEDIT4"
                || line.startsWith(u"Windows Registry Editor Version", Qt::CaseInsensitive))
                continue;
        }
        // Long hex values continue over lines ending in a backslash.
        if (!line.startsWith(u'[') && line.endsWith(u'\\')
            && line.contains(u"=hex", Qt::CaseInsensitive)) {
            while (line.endsWith(u'\\') && n + 1 < lines.size()) {
                ++n;
                line.chop(1);
                line += lines.at(n).trimmed();
                raw += "\r\n" + rawLines.at(n);
            }
        }

        Line entry;
        entry.raw = raw;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.lastIndexOf(u']');
            const QString path = close > 0 ? normalizeKey(line.mid(1, close - 1)) : QString();
            if (close > 0 && !path.isEmpty() && !path.startsWith(u'-')) {
                current = doc.findOrAddKey(path);
                continue;
            }
        } else if (current > 0 && (line.startsWith(u'"') || line.startsWith(u'@'))) {
            if (const auto v = parseValueLine(line, charset)) {
                entry.kind = v->isText ? Line::Text : Line::Other;
                entry.name = v->name;
                entry.text = v->text;
            }
        }
        doc.m_keys[current].lines.append(entry);
    }
    return doc;
}

QByteArray RegDocument::serialize() const
{
    QByteArray out = "REGEDIT4\r\n";
    auto writeLines = [&out](const Key& key) {
        for (const Line& line : key.lines) {
            out += line.raw.isEmpty() ? formatValue(line.name, line.text) : line.raw;
            out += "\r\n";
        }
    };
    writeLines(m_keys.first());
    for (qsizetype k = 1; k < m_keys.size(); ++k) {
        out += "\r\n[" + m_keys.at(k).path.toUtf8() + "]\r\n";
        writeLines(m_keys.at(k));
    }
    out += "\r\n";
    return out;
}

int RegDocument::findKey(const QString& keyPath) const
{
    return m_index.value(normalizeKey(keyPath).toCaseFolded(), -1);
}

int RegDocument::findOrAddKey(const QString& keyPath)
{
    const QString path = normalizeKey(keyPath);
    const QString folded = path.toCaseFolded();
    const auto it = m_index.constFind(folded);
    if (it != m_index.constEnd())
        return *it;
    m_keys.append(Key { path, {} });
    const int index = int(m_keys.size() - 1);
    m_index.insert(folded, index);
    return index;
}

int RegDocument::findValue(const Key& key, const QString& name)
{
    for (qsizetype i = key.lines.size() - 1; i >= 0; --i) {
        const Line& line = key.lines.at(i);
        if (line.kind != Line::Raw && line.name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

void RegDocument::reindex()
{
    m_index.clear();
    for (qsizetype k = 1; k < m_keys.size(); ++k)
        m_index.insert(m_keys.at(k).path.toCaseFolded(), int(k));
}

std::optional<QString> RegDocument::value(const QString& keyPath, const QString& name) const
{
    const int k = findKey(keyPath);
    if (k <= 0)
        return std::nullopt;
    const int v = findValue(m_keys.at(k), name);
    if (v < 0 || m_keys.at(k).lines.at(v).kind != Line::Text)
        return std::nullopt;
    return m_keys.at(k).lines.at(v).text;
}

void RegDocument::setValue(const QString& keyPath, const QString& name, const QString& text)
{
    Key& key = m_keys[findOrAddKey(keyPath)];
    const int v = findValue(key, name);
    if (v >= 0) {
        Line& line = key.lines[v];
        if (line.kind == Line::Text && line.text == text)
            return; // keep the original spelling of an unchanged line
        line.kind = Line::Text;
        line.text = text;
        line.raw.clear();
        return;
    }
    Line line;
    line.kind = Line::Text;
    line.name = name;
    line.text = text;
    key.lines.append(line);
}

void RegDocument::removeValue(const QString& keyPath, const QString& name)
{
    const int k = findKey(keyPath);
    if (k <= 0)
        return;
    QList<Line>& lines = m_keys[k].lines;
    lines.removeIf([&name](const Line& line) {
        return line.kind != Line::Raw && line.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

bool RegDocument::hasKey(const QString& keyPath) const
{
    const QString folded = normalizeKey(keyPath).toCaseFolded();
    if (folded.isEmpty())
        return false;
    if (m_index.contains(folded))
        return true;
    const QString prefix = folded + u'\\';
    for (auto it = m_index.constBegin(); it != m_index.constEnd(); ++it)
        if (it.key().startsWith(prefix))
            return true;
    return false;
}

void RegDocument::removeKey(const QString& keyPath)
{
    const QString folded = normalizeKey(keyPath).toCaseFolded();
    if (folded.isEmpty())
        return;
    const QString prefix = folded + u'\\';
    bool first = true; // the preamble stays
    m_keys.removeIf([&](const Key& key) {
        if (first) {
            first = false;
            return false;
        }
        const QString f = key.path.toCaseFolded();
        return f == folded || f.startsWith(prefix);
    });
    reindex();
}

QStringList RegDocument::valueNames(const QString& keyPath) const
{
    QStringList names;
    const int k = findKey(keyPath);
    if (k <= 0)
        return names;
    for (const Line& line : m_keys.at(k).lines) {
        if (line.kind == Line::Raw || line.name.isEmpty())
            continue;
        if (!names.contains(line.name, Qt::CaseInsensitive))
            names.append(line.name);
    }
    return names;
}

QStringList RegDocument::subKeyNames(const QString& keyPath) const
{
    QStringList names;
    const QString base = normalizeKey(keyPath);
    if (base.isEmpty())
        return names;
    const qsizetype start = base.size() + 1;
    for (qsizetype k = 1; k < m_keys.size(); ++k) {
        const QString& path = m_keys.at(k).path;
        if (path.size() <= start || path.at(base.size()) != u'\\'
            || !path.startsWith(base, Qt::CaseInsensitive))
            continue;
        const QString child = path.mid(start).section(u'\\', 0, 0);
        if (!names.contains(child, Qt::CaseInsensitive))
            names.append(child);
    }
    return names;
}

int RegDocument::unreadableLineCount() const
{
    int count = 0;
    for (const Key& key : m_keys)
        for (const Line& line : key.lines)
            count += line.kind == Line::Raw ? 1 : 0;
    return count;
}

} // namespace pm
