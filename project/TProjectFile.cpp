/** @file TProjectFile.cpp ** Reading and writing the lines of a project file. **/
#include "project/TProjectFile.h"

#include <QByteArrayView>
#include <QStringList>

#include <algorithm>
#include <climits>

namespace {

const QString projectNameLine = QStringLiteral("Project name:");
const QString projectFilesLine = QStringLiteral("Project files:");
const QString projectNotesLine = QStringLiteral("Project Notes:");

/// A decimal integer with an optional sign, nothing else, that fits 32 bits.
bool parseInt(QStringView text, int& value)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    if (i == text.size())
        return false;
    qint64 v = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c - u'0');
        if (v > qint64(INT_MAX) + 1)
            return false;
    }
    v = negative ? -v : v;
    if (v < INT_MIN || v > INT_MAX)
        return false;
    value = int(v);
    return true;
}

} // namespace

QString projectItemPath(const TProjectItem& item)
{
    return item.path + item.fileName;
}

TProjectItem projectItemFor(const QString& fullPath)
{
    const qsizetype slash = fullPath.lastIndexOf(u'/');
    return TProjectItem { fullPath.mid(slash + 1), fullPath.left(slash + 1) };
}

bool projectItemLess(const TProjectItem& a, const TProjectItem& b)
{
    if (const int c = a.fileName.compare(b.fileName, Qt::CaseInsensitive))
        return c < 0;
    if (const int c = a.fileName.compare(b.fileName))
        return c < 0;
    return a.path < b.path;
}

QString notesWindowLine(const TNotesWindowState& s)
{
    return QLatin1Char(s.visible ? '+' : '-') + QLatin1Char(' ') + QString::number(s.top)
        + QLatin1Char(' ') + QString::number(s.left) + QLatin1Char(' ') + QString::number(s.width)
        + QLatin1Char(' ') + QString::number(s.height);
}

bool parseNotesWindowLine(const QString& line, TNotesWindowState& state)
{
    // The sign, then the text after the first space: "Top Left Width Height", each number
    // ended by one space except the last, which is the rest of the line.
    QStringView rest(line);
    const qsizetype first = rest.indexOf(u' ');
    if (line.isEmpty() || first < 0)
        return false;
    rest = rest.mid(first + 1);
    int numbers[4];
    for (int k = 0; k < 3; ++k) {
        const qsizetype space = rest.indexOf(u' ');
        if (space < 0 || !parseInt(rest.left(space), numbers[k]))
            return false;
        rest = rest.mid(space + 1);
    }
    if (!parseInt(rest, numbers[3]))
        return false;
    state.visible = line.at(0) == u'+';
    state.top = numbers[0];
    state.left = numbers[1];
    state.width = numbers[2];
    state.height = numbers[3];
    return true;
}

TProjectRead readProjectBytes(const QByteArray& bytes)
{
    TProjectRead read;
    QByteArrayView view(bytes);
    qsizetype at = 0;
    // The next line without its line end; false at the end of the bytes.
    auto nextLine = [&](QByteArrayView& line) {
        if (at >= view.size())
            return false;
        qsizetype nl = view.indexOf('\n', at);
        if (nl < 0)
            nl = view.size();
        line = view.sliced(at, nl - at);
        if (line.endsWith('\r'))
            line.chop(1);
        at = nl + 1;
        return true;
    };
    QByteArrayView line;
    if (!nextLine(line) || line != QByteArrayView(projectFileHeader))
        return read;
    // The file is decoded as one text, so that a name is read the way it was written.
    const bool utf8 = view.isValidUtf8();
    auto text
        = [utf8](QByteArrayView b) { return utf8 ? QString::fromUtf8(b) : QString::fromLatin1(b); };
    TProjectData& data = read.data;
    data.hasNotesWindowLine = false;
    read.outcome = TProjectRead::Ok;
    if (!nextLine(line)) // "Project name:"
        return read;
    if (!nextLine(line))
        return read;
    data.name = text(line);
    if (!nextLine(line)) // "Project files:"
        return read;
    bool sawNotes = false;
    while (nextLine(line)) {
        if (line == QByteArrayView("Project Notes:")) { // exactly, as written below
            sawNotes = true;
            break;
        }
        data.files.append(projectItemFor(text(line)));
    }
    std::stable_sort(data.files.begin(), data.files.end(), projectItemLess);
    if (!sawNotes || !nextLine(line) || line.isEmpty())
        return read;
    const QString windowLine = text(line);
    if (!parseNotesWindowLine(windowLine, data.notesWindow)) {
        read.outcome = TProjectRead::BadNotesWindowLine;
        read.badLine = windowLine;
        return read;
    }
    data.hasNotesWindowLine = true;
    QStringList notes;
    while (nextLine(line)) {
        if (!line.isEmpty())
            notes.append(text(line));
    }
    data.notes = notes.join(u'\n');
    return read;
}

QByteArray projectFileBytes(const TProjectData& data)
{
    QString out;
    const QLatin1StringView crlf("\r\n");
    out += QLatin1StringView(projectFileHeader) + crlf;
    out += projectNameLine + crlf + data.name + crlf + projectFilesLine + crlf;
    for (const TProjectItem& item : data.files)
        out += projectItemPath(item) + crlf;
    out += projectNotesLine + crlf + notesWindowLine(data.notesWindow) + crlf;
    QString notes = data.notes;
    notes.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    notes.replace(u'\r', u'\n');
    notes.replace(u'\n', QStringLiteral("\r\n"));
    out += notes + crlf;
    return out.toUtf8();
}
