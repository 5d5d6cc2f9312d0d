/** @file TMenusFile.cpp ** Reads the dynamic menus file into a plain model. **/
#include "templates/TMenusFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>

#include <cstring>

namespace {

/// Deeper nesting than this is refused rather than recursed into without bound.
constexpr int maxMenuDepth = 64;

const QString crlf = QStringLiteral("\r\n");

/// A caption or name as the reasons quote it: a file may hold captions of any length.
QString shown(const QString& text)
{
    constexpr qsizetype most = 60;
    return text.size() <= most ? text : text.left(most) + QStringLiteral("...");
}

/// First character that is neither a space nor a tab; a null QChar when there is none.
QChar firstNonBlank(const QString& line)
{
    for (const QChar c : line) {
        if (c != u' ' && c != u'\t')
            return c;
    }
    return QChar();
}

/// Lines of the file, LF or CR LF ended; UTF-8 when valid, Latin-1 otherwise, line by line.
/// Read in large blocks and decoded straight from them: one pass over the bytes, however long
/// the lines are.
class LineReader
{
public:
    explicit LineReader(QFile& file) : m_file(file) {}

    bool next(QString& line)
    {
        for (;;) {
            const char* data = m_buffer.constData();
            const auto* nl = static_cast<const char*>(
                std::memchr(data + m_scanned, '\n', size_t(m_buffer.size() - m_scanned)));
            if (nl) {
                take(line, nl - data, nl - data + 1);
                return true;
            }
            m_scanned = m_buffer.size();
            if (!fill()) {
                if (m_start == m_buffer.size())
                    return false;
                take(line, m_buffer.size(), m_buffer.size()); // a last line without line end
                return true;
            }
        }
    }
    int lineNumber() const { return m_line; }

private:
    static constexpr qint64 blockSize = 1 << 20;

    /// Line := bytes [m_start, end) without a final CR; the next line starts at `next`.
    void take(QString& line, qsizetype end, qsizetype next)
    {
        QByteArrayView bytes(m_buffer.constData() + m_start, end - m_start);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        line = utf8.decode(bytes);
        if (utf8.hasError())
            line = QString::fromLatin1(bytes);
        m_start = m_scanned = next;
        ++m_line;
    }

    /// Drops the lines already handed out and reads the next block; false at the end.
    bool fill()
    {
        if (m_start > 0) {
            m_buffer.remove(0, m_start);
            m_scanned -= m_start;
            m_start = 0;
        }
        const qsizetype had = m_buffer.size();
        // A line longer than a block takes the rest of the file in one read rather than a
        // buffer grown (and copied) step by step.
        const qint64 want
            = had < blockSize ? blockSize : qMax<qint64>(blockSize, m_file.size() - m_file.pos());
        m_buffer.resize(had + want);
        const qint64 got = m_file.read(m_buffer.data() + had, want);
        m_buffer.resize(had + qMax<qint64>(got, 0));
        return got > 0;
    }

    QFile& m_file;
    QByteArray m_buffer;
    qsizetype m_start = 0; ///< where the next line begins in m_buffer
    qsizetype m_scanned = 0; ///< invariant: no '\n' in [m_start, m_scanned)
    int m_line = 0; ///< 1-based number of the line last returned
};

class Reader
{
public:
    Reader(LineReader& lines, TMenusFile& out, bool keepLines)
        : m_lines(lines), m_out(out), m_keepLines(keepLines)
    {
    }

    /// Reads from the line after the auto-insert opening line to the end of the file.
    bool readBody()
    {
        const int opened = m_lines.lineNumber();
        QStringList autoInsert;
        QString line;
        for (;;) {
            if (!m_lines.next(line))
                return fail(QStringLiteral("the auto-insert section opened on line %1 has no "
                                           "closing \"}\" line")
                                .arg(opened));
            const QChar c = firstNonBlank(line);
            if (c == u'}')
                break;
            if (c == u';')
                continue;
            keep(line);
            autoInsert.append(line);
        }
        m_out.entryTexts.append(joinTemplate(autoInsert));

        while (m_lines.next(line)) {
            if (firstNonBlank(line) != u'{')
                continue;
            TMenuNode menu;
            menu.caption = line.mid(line.indexOf(u'{') + 1);
            menu.line = m_lines.lineNumber();
            if (!readMenuLevel(menu, menu.caption, 1))
                return false;
            m_out.menus.append(menu);
        }
        return true;
    }

private:
    bool nameClash(const TMenuNode& entry, const TMenuNode& first)
    {
        const QString separator = QStringLiteral("-");
        if (entry.caption == separator && first.caption == separator)
            return fail(
                QStringLiteral("the separator on line %1 clashes with the separator on line "
                               "%2: two separators directly under one menu take the same "
                               "name (\"%3\")")
                    .arg(QString::number(entry.line), QString::number(first.line),
                        shown(entry.name)));
        return fail(QStringLiteral("the entry \"%1\" on line %2 takes the same name (\"%3\") as "
                                   "the entry \"%4\" on line %5 of the same menu")
                        .arg(shown(entry.caption), QString::number(entry.line), shown(entry.name),
                            shown(first.caption), QString::number(first.line)));
    }

    bool fail(const QString& reason)
    {
        m_out.errorCode = 4;
        m_out.errorLine = m_lines.lineNumber();
        m_out.errorReason = reason;
        return false;
    }

    void keep(const QString& line)
    {
        if (m_keepLines)
            m_out.templateLines.append({m_lines.lineNumber(), line});
    }

    /// The lines of a template as one text; a one-line template is that line, not a copy.
    static QString joinTemplate(const QStringList& lines)
    {
        return lines.size() == 1 ? lines.first() : lines.join(crlf);
    }

    bool unclosed(const TMenuNode& menu)
    {
        return fail(QStringLiteral("the menu \"%1\" opened on line %2 has no closing \"}\" line")
                        .arg(shown(menu.caption), QString::number(menu.line)));
    }

    static bool endsTemplate(const QString& line)
    {
        if (line.startsWith(QStringLiteral("item=["), Qt::CaseInsensitive))
            return true;
        const QChar c = firstNonBlank(line);
        // A line starting with a request is template text, not a submenu.
        return c == u'}' || (c == u'{' && !line.contains(QStringLiteral("{=")));
    }

    bool readMenuLevel(TMenuNode& parent, const QString& path, int depth)
    {
        if (depth > maxMenuDepth)
            return fail(QStringLiteral("the menu \"%1\" on line %2 lies more than %3 menus deep")
                            .arg(shown(parent.caption), QString::number(parent.line),
                                QString::number(maxMenuDepth)));
        // Entry names must be unique among the entries directly under one menu.
        QHash<QString, TMenuNode> entryNames;
        QString line;
        if (!m_lines.next(line))
            return unclosed(parent);
        for (;;) {
            const QChar c = firstNonBlank(line);
            if (c == u'}')
                return true;
            if (c == u';') {
                if (!m_lines.next(line))
                    return unclosed(parent);
                continue;
            }
            if (c == u'{') {
                TMenuNode sub;
                sub.caption = line.mid(line.indexOf(u'{') + 1);
                sub.line = m_lines.lineNumber();
                const QString subPath = path + sub.caption;
                sub.name = menuItemNameFromPath(subPath);
                if (sub.name.isEmpty())
                    return fail(QStringLiteral("the submenu \"%1\" takes no name: its menu path "
                                               "holds no letter, digit or \"_\"")
                                    .arg(shown(sub.caption)));
                if (!readMenuLevel(sub, subPath, depth + 1))
                    return false;
                parent.children.append(sub);
                if (!m_lines.next(line))
                    return unclosed(parent);
                continue;
            }

            TMenuNode entry;
            entry.isEntry = true;
            entry.caption = entryCaptionFromLine(line);
            entry.line = m_lines.lineNumber();
            entry.name = menuItemNameFromPath(path + entry.caption);
            if (entry.name.isEmpty())
                return fail(QStringLiteral("the entry \"%1\" takes no name: its menu path holds "
                                           "no letter, digit or \"_\"")
                                .arg(shown(entry.caption)));
            const QString folded = entry.name.toLower();
            const auto first = entryNames.constFind(folded);
            if (first != entryNames.constEnd())
                return nameClash(entry, *first);
            entryNames.insert(folded, entry);

            QStringList templateLines;
            for (;;) {
                if (!m_lines.next(line))
                    return unclosed(parent);
                if (endsTemplate(line))
                    break;
                if (firstNonBlank(line) == u';')
                    continue;
                keep(line);
                templateLines.append(line);
            }
            m_out.entryTexts.append(joinTemplate(templateLines));
            entry.tag = int32_t(m_out.entryTexts.size() - 1);
            parent.children.append(entry);
            // The line that ended the template is examined next.
        }
    }

    LineReader& m_lines;
    TMenusFile& m_out;
    bool m_keepLines;
};

} // namespace

TMenusFile readMenusFile(const QString& fileName, bool keepTemplateLines)
{
    TMenusFile out;
    const QFileInfo info(fileName);
    if (!info.exists() || info.isDir()) {
        out.errorCode = 1;
        out.errorReason = QStringLiteral("file not found");
        return out;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        out.errorCode = 4;
        out.errorReason = QStringLiteral("the file cannot be read: ") + file.errorString();
        return out;
    }
    LineReader lines(file);
    QString line;
    if (!lines.next(line) || line != QStringView(menusFileHeader)) {
        out.errorCode = 4;
        out.errorLine = 1;
        out.errorReason = QStringLiteral("the header is wrong: line 1 must read exactly \"%1\"")
                              .arg(QStringView(menusFileHeader));
        return out;
    }
    const QString opening = QStringLiteral("{auto insert tags when new html is created");
    for (;;) {
        if (!lines.next(line)) {
            out.errorCode = 4;
            out.errorLine = lines.lineNumber();
            out.errorReason
                = QStringLiteral("no line \"%1\" opens the auto-insert section").arg(opening);
            return out;
        }
        if (line.size() == opening.size() && line.toLower() == opening)
            break;
    }
    Reader reader(lines, out, keepTemplateLines);
    reader.readBody();
    return out;
}

QString menuItemNameFromPath(const QString& path)
{
    QString name;
    name.reserve(path.size());
    for (const QChar c : path) {
        const char16_t u = c.unicode();
        if ((u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9')
            || u == u'_')
            name.append(c);
    }
    qsizetype digits = 0;
    while (digits < name.size() && name.at(digits).unicode() >= u'0'
           && name.at(digits).unicode() <= u'9')
        ++digits;
    return name.mid(digits);
}

QString entryCaptionFromLine(const QString& line)
{
    // Cut by count: a line without "item=[" loses its first five characters all the same.
    const qsizetype at = line.indexOf(QStringLiteral("item=["), 0, Qt::CaseInsensitive);
    QString caption = line.mid(at < 0 ? 5 : at + 6);
    caption.chop(1);
    return caption;
}
