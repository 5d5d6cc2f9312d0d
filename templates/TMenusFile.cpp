/** @file TMenusFile.cpp ** Reads the dynamic menus file into a plain model. **/
#include "templates/TMenusFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

namespace {

/// Deeper nesting than this is refused rather than recursed into without bound.
constexpr int maxMenuDepth = 64;

const QString crlf = QStringLiteral("\r\n");

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
class LineReader
{
public:
    explicit LineReader(QFile& file) : m_file(file) {}

    bool next(QString& line)
    {
        if (m_file.atEnd())
            return false;
        QByteArray bytes = m_file.readLine();
        if (bytes.endsWith('\n'))
            bytes.chop(1);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        line = utf8.decode(bytes);
        if (utf8.hasError())
            line = QString::fromLatin1(bytes);
        ++m_line;
        return true;
    }
    int lineNumber() const { return m_line; }

private:
    QFile& m_file;
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
        QStringList autoInsert;
        QString line;
        for (;;) {
            if (!m_lines.next(line))
                return fail(QStringLiteral("end of file inside the auto-insert section"));
            const QChar c = firstNonBlank(line);
            if (c == u'}')
                break;
            if (c == u';')
                continue;
            keep(line);
            autoInsert.append(line);
        }
        m_out.entryTexts.append(autoInsert.join(crlf));

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
            return fail(QStringLiteral("menus nested too deeply"));
        // Entry names must be unique among the entries directly under one menu.
        QSet<QString> entryNames;
        QString line;
        if (!m_lines.next(line))
            return fail(QStringLiteral("end of file inside a menu"));
        for (;;) {
            const QChar c = firstNonBlank(line);
            if (c == u'}')
                return true;
            if (c == u';') {
                if (!m_lines.next(line))
                    return fail(QStringLiteral("end of file inside a menu"));
                continue;
            }
            if (c == u'{') {
                TMenuNode sub;
                sub.caption = line.mid(line.indexOf(u'{') + 1);
                sub.line = m_lines.lineNumber();
                const QString subPath = path + sub.caption;
                sub.name = menuItemNameFromPath(subPath);
                if (sub.name.isEmpty())
                    return fail(QStringLiteral("a submenu without a usable name"));
                if (!readMenuLevel(sub, subPath, depth + 1))
                    return false;
                parent.children.append(sub);
                if (!m_lines.next(line))
                    return fail(QStringLiteral("end of file inside a menu"));
                continue;
            }

            TMenuNode entry;
            entry.isEntry = true;
            entry.caption = entryCaptionFromLine(line);
            entry.line = m_lines.lineNumber();
            entry.name = menuItemNameFromPath(path + entry.caption);
            if (entry.name.isEmpty())
                return fail(QStringLiteral("an entry without a usable name"));
            const QString folded = entry.name.toLower();
            if (entryNames.contains(folded))
                return fail(QStringLiteral("two entries of one menu with the same name"));
            entryNames.insert(folded);

            QStringList templateLines;
            for (;;) {
                if (!m_lines.next(line))
                    return fail(QStringLiteral("end of file inside a template"));
                if (endsTemplate(line))
                    break;
                if (firstNonBlank(line) == u';')
                    continue;
                keep(line);
                templateLines.append(line);
            }
            m_out.entryTexts.append(templateLines.join(crlf));
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
        out.errorReason = file.errorString();
        return out;
    }
    LineReader lines(file);
    QString line;
    if (!lines.next(line) || line != QStringView(menusFileHeader)) {
        out.errorCode = 4;
        out.errorLine = 1;
        out.errorReason = QStringLiteral("wrong header");
        return out;
    }
    const QString opening = QStringLiteral("{auto insert tags when new html is created");
    for (;;) {
        if (!lines.next(line)) {
            out.errorCode = 4;
            out.errorLine = lines.lineNumber();
            out.errorReason = QStringLiteral("no auto-insert section");
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
