/** @file RegDocument.cpp ** Lenient REGEDIT4 reader and change-preserving writer. **/
#include "platform/RegDocument.h"

#include <QStringDecoder>

#include <cstring>

namespace pm {

namespace {

    /// Exports made on Windows are ANSI; our own writes are UTF-8. Decided per line, so a file
    /// that mixes both still reads.
    QString decode(QByteArrayView bytes, bool utf8)
    {
        if (!utf8)
            return QString::fromLatin1(bytes);
        // fromUtf8 drops a byte order mark that opens its input; inside a file it is text.
        if (bytes.startsWith("\xEF\xBB\xBF")) {
            QStringDecoder keepMark(QStringDecoder::Utf8,
                QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
            return keepMark.decode(bytes);
        }
        return QString::fromUtf8(bytes);
    }

    QString decode(QByteArrayView bytes)
    {
        return decode(bytes, bytes.isValidUtf8());
    }

    bool startsWithNoCase(QByteArrayView s, QByteArrayView prefix)
    {
        return s.size() >= prefix.size()
            && s.first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0;
    }

    /// `=hex` in any case: the mark of a value that may continue over lines.
    bool hasHexMark(QByteArrayView s)
    {
        for (qsizetype i = s.indexOf('='); i >= 0 && i + 4 <= s.size(); i = s.indexOf('=', i + 1))
            if (startsWithNoCase(s.sliced(i + 1), "hex"))
                return true;
        return false;
    }

    /// The physical line starting at `at`, without its LF and a CR before it; `next` receives
    /// where the following line starts.
    QByteArrayView lineAt(const QByteArray& buffer, qsizetype at, qsizetype& next)
    {
        const char* data = buffer.constData();
        const auto* lf
            = static_cast<const char*>(std::memchr(data + at, '\n', size_t(buffer.size() - at)));
        qsizetype end = lf ? lf - data : buffer.size();
        next = lf ? end + 1 : end;
        if (end > at && data[end - 1] == '\r')
            --end;
        return QByteArrayView(data + at, end - at);
    }

    qsizetype skipBlanks(QByteArrayView s, qsizetype i)
    {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        return i;
    }

    /// Reads a quoted string starting at s[i] == '"', resolving \\ and \"; returns the index
    /// after the closing quote, or -1 when it is not closed.
    qsizetype readQuoted(QByteArrayView s, qsizetype i, QByteArray& out)
    {
        out.clear();
        qsizetype run = ++i;
        for (; i < s.size(); ++i) {
            const char c = s[i];
            if (c == '"') {
                out.append(s.data() + run, i - run);
                return i + 1;
            }
            if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
                out.append(s.data() + run, i - run);
                run = ++i; // the escaped character starts the next run
            }
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

    std::optional<QByteArray> hexBytes(QByteArrayView list)
    {
        QByteArray bytes;
        bytes.reserve(list.size() / 3 + 1);
        for (qsizetype i = 0; i <= list.size();) {
            qsizetype comma = list.indexOf(',', i);
            if (comma < 0)
                comma = list.size();
            QByteArrayView p = list.sliced(i, comma - i).trimmed();
            if (p.endsWith('\\'))
                p = p.chopped(1).trimmed();
            if (!p.isEmpty()) {
                bool ok = false;
                const uint b = p.toUInt(&ok, 16);
                if (!ok || b > 0xFF)
                    return std::nullopt;
                bytes.append(char(b));
            }
            i = comma + 1;
        }
        return bytes;
    }

    QString hexList(const QByteArray& bytes)
    {
        QString out;
        out.reserve(bytes.size() * 3);
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
        bool rewrite = false; ///< the line cannot be kept as it is in a UTF-8 file
    };

    /// Parses `"name"=...` or `@=...`; nothing when the line is not a complete value line.
    std::optional<ParsedValue> parseValueLine(QByteArrayView line, bool utf16)
    {
        const bool utf8 = line.isValidUtf8();
        ParsedValue v;
        QByteArray bytes;
        qsizetype i = 0;
        if (line.startsWith('@')) {
            i = 1;
        } else {
            i = readQuoted(line, 0, bytes);
            if (i < 0)
                return std::nullopt;
            v.name = decode(bytes, utf8);
        }
        i = skipBlanks(line, i);
        if (i >= line.size() || line[i] != '=')
            return std::nullopt;
        i = skipBlanks(line, i + 1);
        const QByteArrayView data = line.sliced(i);

        if (data.startsWith('"')) {
            const qsizetype end = readQuoted(line, i, bytes);
            if (end < 0 || skipBlanks(line, end) != line.size())
                return std::nullopt;
            v.isText = true;
            v.text = decode(bytes, utf8);
            return v;
        }
        if (startsWithNoCase(data, "dword:")) {
            bool ok = false;
            const uint n = data.sliced(6).trimmed().toUInt(&ok, 16);
            if (!ok)
                return std::nullopt;
            v.isText = true;
            v.text = QString::number(int32_t(n)); // what a program reading an integer would see
            return v;
        }
        if (startsWithNoCase(data, "hex(1):") || startsWithNoCase(data, "hex(2):")) {
            const auto hex = hexBytes(data.sliced(7));
            if (!hex)
                return std::nullopt;
            if (utf16) {
                const qsizetype units = hex->size() / 2;
                v.text = QString::fromUtf16(
                    reinterpret_cast<const char16_t*>(hex->constData()), units);
                // The file is written back as UTF-8, so the text is what UTF-8 can carry.
                v.text = decode(v.text.toUtf8(), true);
                v.rewrite = true;
            } else {
                v.text = decode(*hex);
            }
            while (v.text.endsWith(QChar(0)))
                v.text.chop(1);
            v.isText = true;
            return v;
        }
        if (data.startsWith('-'))
            return std::nullopt; // a deletion request of an import file: kept as it stands
        if (startsWithNoCase(data, "hex"))
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

    /// Adds the case-folded paths of the parents of `folded` to `parents`.
    void addParents(QSet<QString>& parents, const QString& folded)
    {
        for (qsizetype i = folded.indexOf(u'\\'); i > 0; i = folded.indexOf(u'\\', i + 1))
            parents.insert(folded.left(i));
    }

} // namespace

QString RegDocument::normalizeKey(const QString& keyPath)
{
    // Blanks around a part and empty parts go, so that every parent of a normalised path is
    // normalised too and a path reads back as itself from a key header.
    auto isNormal = [](const QString& p) {
        if (p.isEmpty())
            return true;
        if (p.front().isSpace() || p.back().isSpace() || p.front() == u'\\' || p.back() == u'\\')
            return false;
        for (qsizetype i = p.indexOf(u'\\'); i >= 0; i = p.indexOf(u'\\', i + 1))
            if (p.at(i - 1).isSpace() || p.at(i + 1).isSpace() || p.at(i + 1) == u'\\')
                return false;
        return true;
    };
    if (isNormal(keyPath))
        return keyPath;
    QStringList parts;
    for (const QStringView part : QStringView(keyPath).split(u'\\')) {
        const QStringView trimmed = part.trimmed();
        if (!trimmed.isEmpty())
            parts.append(trimmed.toString());
    }
    return parts.join(u'\\');
}

RegDocument RegDocument::parse(const QByteArray& input)
{
    RegDocument doc;
    bool utf16 = false;
    qsizetype at = 0;
    if (input.startsWith("\xFF\xFE")) {
        // Exports of newer registry editors are UTF-16; such a file is rewritten as UTF-8.
        utf16 = true;
        const QByteArrayView body = QByteArrayView(input).sliced(2);
        doc.m_source
            = QStringView(reinterpret_cast<const char16_t*>(body.data()), body.size() / 2).toUtf8();
    } else {
        doc.m_source = input;
        if (input.startsWith("\xEF\xBB\xBF"))
            at = 3;
    }
    const QByteArray& source = doc.m_source;
    const qsizetype size = source.size();
    doc.m_keys.first().lines.reserve(4);

    int current = 0;
    QList<Line>* lines = &doc.m_keys.first().lines;
    bool headerSeen = false;
    QByteArray joined;
    while (at < size) {
        const qsizetype from = at;
        const QByteArrayView physical = lineAt(source, at, at);
        qsizetype to = physical.data() + physical.size() - source.constData();
        QByteArrayView line = physical.trimmed();
        if (line.isEmpty())
            continue;
        if (!headerSeen) {
            headerSeen = true;
            if (line == "REGEDIT4" || startsWithNoCase(line, "Windows Registry Editor Version"))
                continue;
        }
        Line entry;
        // Long hex values continue over lines ending in a backslash. A continuation holds hex
        // digits and commas: a blank line, a key or a value ends one left unfinished.
        if (line[0] != '[' && line.endsWith('\\') && hasHexMark(line)) {
            joined = line.chopped(1).toByteArray();
            entry.open = true;
            while (at < size) {
                qsizetype after = 0;
                const QByteArrayView next = lineAt(source, at, after);
                const QByteArrayView part = next.trimmed();
                if (part.isEmpty() || part[0] == '[' || part[0] == '"' || part[0] == '@')
                    break;
                at = after;
                to = next.data() + next.size() - source.constData();
                if (!part.endsWith('\\')) {
                    joined += part;
                    entry.open = false;
                    break;
                }
                joined += part.chopped(1);
            }
            if (entry.open)
                joined += '\\';
            line = joined;
        }
        entry.raw = QByteArrayView(source.constData() + from, to - from);

        if (line[0] == '[') {
            const qsizetype close = line.lastIndexOf(']');
            const QString path
                = close > 0 ? normalizeKey(decode(line.sliced(1, close - 1))) : QString();
            if (!path.isEmpty() && !path.startsWith(u'-')) {
                current = doc.addKey(path);
                lines = &doc.m_keys[current].lines;
                continue;
            }
        } else if (current > 0 && (line[0] == '"' || line[0] == '@')) {
            if (auto v = parseValueLine(line, utf16)) {
                entry.kind = v->isText ? Line::Text : Line::Other;
                entry.name = std::move(v->name);
                entry.text = std::move(v->text);
                if (v->rewrite) {
                    entry.raw = {};
                    entry.open = false;
                }
            }
        }
        lines->append(std::move(entry));
    }
    return doc;
}

QByteArray RegDocument::serialize() const
{
    QByteArray out;
    out.reserve(m_source.size() + m_keys.size() * 8 + 64);
    out += "REGEDIT4\r\n";
    auto writeLines = [&out](const Key& key) {
        for (const Line& line : key.lines) {
            if (line.raw.isEmpty())
                out += formatValue(line.name, line.text);
            else
                out += line.raw;
            out += line.open ? "\r\n\r\n" : "\r\n";
        }
    };
    writeLines(m_keys.first());
    for (qsizetype k = 1; k < m_keys.size(); ++k) {
        out += "\r\n[";
        out += m_keys.at(k).path.toUtf8();
        out += "]\r\n";
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
    return addKey(normalizeKey(keyPath));
}

int RegDocument::addKey(const QString& path)
{
    QString folded = path.toCaseFolded();
    const auto it = m_index.constFind(folded);
    if (it != m_index.constEnd())
        return *it;
    m_keys.append(Key { path, {}, {}, false });
    const int index = int(m_keys.size() - 1);
    if (m_parentsBuilt)
        addParents(m_parents, folded);
    m_index.insert(std::move(folded), index);
    return index;
}

qsizetype RegDocument::findValue(const Key& key, const QString& name)
{
    if (!key.named) {
        key.names.clear();
        for (qsizetype i = 0; i < key.lines.size(); ++i) {
            const Line& line = key.lines.at(i);
            if (line.kind != Line::Raw)
                key.names.insert(line.name.toCaseFolded(), i);
        }
        key.named = true;
    }
    return key.names.value(name.toCaseFolded(), -1);
}

void RegDocument::reindex()
{
    m_index.clear();
    for (qsizetype k = 1; k < m_keys.size(); ++k)
        m_index.insert(m_keys.at(k).path.toCaseFolded(), int(k));
    m_parents.clear();
    m_parentsBuilt = false;
}

std::optional<QString> RegDocument::value(const QString& keyPath, const QString& name) const
{
    const int k = findKey(keyPath);
    if (k <= 0)
        return std::nullopt;
    const Key& key = m_keys.at(k);
    const qsizetype v = findValue(key, name);
    if (v < 0 || key.lines.at(v).kind != Line::Text)
        return std::nullopt;
    return key.lines.at(v).text;
}

bool RegDocument::hasValue(const QString& keyPath, const QString& name) const
{
    const int k = findKey(keyPath);
    return k > 0 && findValue(m_keys.at(k), name) >= 0;
}

bool RegDocument::canHold(const QString& keyPath, const QString& name)
{
    const QString path = normalizeKey(keyPath);
    return !path.isEmpty() && !path.startsWith(u'-') && !path.contains(u'\n')
        && !name.contains(u'\n');
}

void RegDocument::setValue(const QString& keyPath, const QString& name, const QString& text)
{
    if (!canHold(keyPath, name))
        return;
    Key& key = m_keys[findOrAddKey(keyPath)];
    const qsizetype v = findValue(key, name);
    if (v >= 0) {
        Line& line = key.lines[v];
        if (line.kind == Line::Text && line.text == text)
            return; // keep the original spelling of an unchanged line
        line.kind = Line::Text;
        line.text = text;
        line.raw = {};
        line.open = false;
        return;
    }
    Line line;
    line.kind = Line::Text;
    line.name = name;
    line.text = text;
    key.lines.append(std::move(line));
    key.names.insert(name.toCaseFolded(), key.lines.size() - 1);
}

void RegDocument::removeValue(const QString& keyPath, const QString& name)
{
    const int k = findKey(keyPath);
    if (k <= 0 || findValue(m_keys.at(k), name) < 0)
        return;
    Key& key = m_keys[k];
    const QString folded = name.toCaseFolded();
    key.lines.removeIf([&folded](const Line& line) {
        return line.kind != Line::Raw && line.name.toCaseFolded() == folded;
    });
    key.named = false;
}

bool RegDocument::hasKey(const QString& keyPath) const
{
    const QString folded = normalizeKey(keyPath).toCaseFolded();
    if (folded.isEmpty())
        return false;
    if (m_index.contains(folded))
        return true;
    if (!m_parentsBuilt) {
        m_parents.clear();
        for (auto it = m_index.constBegin(); it != m_index.constEnd(); ++it)
            addParents(m_parents, it.key());
        m_parentsBuilt = true;
    }
    return m_parents.contains(folded);
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
    QSet<QString> seen;
    for (const Line& line : m_keys.at(k).lines) {
        if (line.kind == Line::Raw || line.name.isEmpty())
            continue;
        QString folded = line.name.toCaseFolded();
        if (!seen.contains(folded)) {
            seen.insert(std::move(folded));
            names.append(line.name);
        }
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
    QSet<QString> seen;
    for (qsizetype k = 1; k < m_keys.size(); ++k) {
        const QString& path = m_keys.at(k).path;
        if (path.size() <= start || path.at(base.size()) != u'\\'
            || !path.startsWith(base, Qt::CaseInsensitive))
            continue;
        const QString child = path.mid(start).section(u'\\', 0, 0);
        QString folded = child.toCaseFolded();
        if (!seen.contains(folded)) {
            seen.insert(std::move(folded));
            names.append(child);
        }
    }
    return names;
}

QStringList RegDocument::keyPaths() const
{
    QStringList paths;
    paths.reserve(m_keys.size() - 1);
    for (qsizetype k = 1; k < m_keys.size(); ++k)
        paths.append(m_keys.at(k).path);
    return paths;
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
