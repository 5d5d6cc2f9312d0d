/** @file TMemoSource.cpp ** Editing, undo, selection and colour scheduling of the text storage. **/
#include "editor/TMemoSource.h"

#include "editor/TMemoSourceImpl.h"
#include "editor/TextClipboard.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

/// How far beyond a line's end the caret may go; guards against padding a line with
/// billions of spaces when a caller hands in a wild column.
constexpr int kMaxVirtualColumn = 1 << 16;
/// Typing aids that look at the lines above stop after this many lines, so that no
/// keystroke walks a whole large document.
constexpr int kMaxLookBack = 5000;

std::vector<TMemoSource*>& allSources()
{
    static std::vector<TMemoSource*> sources;
    return sources;
}

bool g_overwrite = false;

QString normalizedBreaks(const QString& text)
{
    if (!text.contains(u'\r'))
        return text;
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

qsizetype trimmed(const QString& s)
{
    return trimmedLength(s.utf16(), s.size());
}

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

int leadingBlanks(const LineText& t)
{
    int n = 0;
    while (n < t.size() && isBlank(t.at(n)))
        ++n;
    return n;
}

} // namespace

// ----------------------------------------------------------------------------------------
// Positions

TPosition::TPosition(TMemoSource* owner, int column, int line)
    : m_owner(owner)
    , m_column(std::max(column, 0))
    , m_line(std::max(line, 0))
{
    if (m_owner)
        m_owner->m_positions.push_back(this);
}

TPosition::~TPosition()
{
    if (m_owner) {
        auto& v = m_owner->m_positions;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
}

// ----------------------------------------------------------------------------------------
// Construction

TMemoSource::TMemoSource()
    : m_d(new Impl)
    , m_options(soBackUnindents | soGroupUndo | soBeyondFileEnd | soForceCutCopy | soAutoIndent
                | soSmartTab | soFindTextAtCursor | soUndoAfterSave | soCreateBackups)
    , m_delimiterSet(TCharSet::delimiters(QString()))
{
    m_d->lines.insertEmpty(0, 1);
    m_positions = { &m_caret, &m_selStart, &m_selEnd };
    for (TPosition* p : m_positions)
        p->m_owner = this;
    setTabStops(QStringLiteral("9,17"));
    allSources().push_back(this);
}

TMemoSource::~TMemoSource()
{
    auto& all = allSources();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    const auto listeners = m_listeners;
    m_listeners.clear();
    for (TMemoListener* l : listeners)
        l->memoDestroyed();
    for (TPosition* p : m_positions)
        p->m_owner = nullptr;
    m_positions.clear();
}

// ----------------------------------------------------------------------------------------
// Lines

int TMemoSource::lineCount() const
{
    return int(m_d->lines.count());
}

LineText TMemoSource::lineText(int line) const
{
    if (line < 0 || line >= lineCount())
        return LineText();
    return m_d->lines.text(line);
}

LineText TMemoSource::lineView(int line) const
{
    if (line < 0 || line >= lineCount())
        return LineText();
    return m_d->lines.view(line);
}

QString TMemoSource::line(int line) const
{
    return lineText(line).toString();
}

int TMemoSource::lineLength(int line) const
{
    if (line < 0 || line >= lineCount())
        return 0;
    return int(m_d->lines.rec(line).size());
}

qint64 TMemoSource::charCount() const
{
    return m_d->lines.charCount();
}

void TMemoSource::setLine(int line, const QString& text)
{
    if (line < 0 || line >= lineCount())
        return;
    TPosition keep(this, CaretX(), CaretY());
    beginChange(opSetLines);
    recCaretTo(0, line);
    recDelete(lineLength(line));
    recInsert(normalizedBreaks(text));
    recCaretTo(keep.column(), keep.line());
    endChange();
}

void TMemoSource::insertLine(int line, const QString& text)
{
    if (line < 0 || line > lineCount())
        return;
    TPosition keep(this, CaretX(), CaretY());
    beginChange(opSetLines);
    if (line < lineCount()) {
        recCaretTo(0, line);
        recInsert(normalizedBreaks(text) + u'\n');
    } else {
        const int last = lineCount() - 1;
        recCaretTo(lineLength(last), last);
        recInsert(u'\n' + normalizedBreaks(text));
    }
    recCaretTo(keep.column(), keep.line());
    endChange();
}

void TMemoSource::addLine(const QString& text)
{
    insertLine(lineCount(), text);
}

void TMemoSource::deleteLine(int line)
{
    if (line < 0 || line >= lineCount())
        return;
    TPosition keep(this, CaretX(), CaretY());
    beginChange(opSetLines);
    if (lineCount() == 1) {
        recCaretTo(0, 0);
        recDelete(lineLength(0));
    } else if (line < lineCount() - 1) {
        recCaretTo(0, line);
        recDelete(qint64(lineLength(line)) + 1);
    } else {
        recCaretTo(lineLength(line - 1), line - 1);
        recDelete(qint64(lineLength(line)) + 1);
    }
    int c = keep.column(), l = keep.line();
    clampPosition(c, l);
    recCaretTo(c, l);
    endChange();
}

QString TMemoSource::text() const
{
    const int n = lineCount();
    qsizetype total = 0;
    for (int i = 0; i < n; ++i)
        total += lineLength(i) + 2;
    QString out;
    out.reserve(total);
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            out += QStringLiteral("\r\n");
        const LineText t = m_d->lines.text(i);
        if (t.isWide())
            out.append(reinterpret_cast<const QChar*>(t.utf16()), t.size());
        else
            out.append(QLatin1StringView(t.latin1(), t.size()));
    }
    if (m_finalLineBreak)
        out += QStringLiteral("\r\n");
    return out;
}

void TMemoSource::setText(const QString& text)
{
    const QString t = normalizedBreaks(text);
    TLineStore fresh;
    qsizetype start = 0;
    while (true) {
        const qsizetype nl = t.indexOf(u'\n', start);
        if (nl < 0) {
            if (start < t.size() || fresh.count() == 0) {
                fresh.insertEmpty(fresh.count(), 1);
                fresh.set(fresh.count() - 1, QStringView(t).mid(start));
            }
            break;
        }
        fresh.insertEmpty(fresh.count(), 1);
        fresh.set(fresh.count() - 1, QStringView(t).mid(start, nl - start));
        start = nl + 1;
    }
    beginChange(opSetLines);
    m_d->lines.swap(fresh);
    m_finalLineBreak = t.endsWith(u'\n');
    resetAfterLoad();
    noteTextChange(0, lineCount() - 1, lineCount() - int(fresh.count()), 0);
    endChange();
}

void TMemoSource::resetAfterLoad()
{
    m_undo.clear();
    m_redo.clear();
    if (m_selMode != smNone)
        m_pending.State |= msSelectionChanged;
    m_selMode = smNone;
    for (TPosition* p : m_positions) {
        int c = p->m_column, l = p->m_line;
        clampPosition(c, l);
        p->set(c, l);
    }
    m_selStart.set(0, 0);
    m_selEnd.set(0, 0);
    if (m_caret.m_column != 0 || m_caret.m_line != 0)
        m_pending.State |= msCaretMoved;
    m_caret.set(0, 0);
    m_parseMark = 0;
}

// ----------------------------------------------------------------------------------------
// Change brackets and notification

void TMemoSource::beginChange(uint8_t opCode)
{
    if (m_bracketDepth++ == 0) {
        m_bracketOp = opCode;
        m_groupPending = true;
        m_pending = TMemoChange();
        m_modifiedAtBegin = m_modified;
        m_textChanged = false;
    }
}

void TMemoSource::endChange()
{
    if (m_bracketDepth <= 0)
        return;
    if (--m_bracketDepth > 0)
        return;
    if (m_textChanged) {
        if (!m_inUndo)
            m_redo.clear();
        m_modified = true;
    }
    if (m_modified != m_modifiedAtBegin)
        m_pending.State |= msModifiedChanged;
    const TMemoChange change = m_pending;
    m_pending = TMemoChange();
    if (change.State != 0)
        notify(change);
}

void TMemoSource::notify(const TMemoChange& change)
{
    const auto listeners = m_listeners; // a listener may detach while being told
    for (TMemoListener* l : listeners) {
        if (std::find(m_listeners.begin(), m_listeners.end(), l) != m_listeners.end())
            l->memoChanged(change);
    }
}

void TMemoSource::attach(TMemoListener* listener)
{
    if (listener && std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void TMemoSource::detach(TMemoListener* listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener),
                      m_listeners.end());
}

bool TMemoSource::overwriteMode()
{
    return g_overwrite;
}

void TMemoSource::setOverwriteMode(bool on)
{
    if (g_overwrite == on)
        return;
    g_overwrite = on;
    TMemoChange change;
    change.State = msOverwriteChanged;
    const auto sources = allSources();
    for (TMemoSource* s : sources)
        s->notify(change);
}

void TMemoSource::noteTextChange(int first, int last, int lineDelta, int column)
{
    m_textChanged = true;
    TMemoChange& p = m_pending;
    p.State |= msTextChanged;
    if (lineDelta != 0)
        p.State |= msLineCountChanged;
    p.LineDelta += lineDelta;
    // Trimming may have taken blanks before the edit's column. Edits that begin below
    // FirstLine never reach back into it.
    column = std::min(column, lineLength(first));
    if (p.FirstLine < 0 || first < p.FirstLine)
        p.FirstColumn = column;
    else if (first == p.FirstLine)
        p.FirstColumn = std::min(p.FirstColumn, column);
    if (p.FirstLine < 0) {
        p.FirstLine = first;
        p.LastLine = last;
    } else {
        if (p.LastLine > first)
            p.LastLine = std::max(first, p.LastLine + lineDelta);
        p.FirstLine = std::min(p.FirstLine, first);
        p.LastLine = std::max(p.LastLine, last);
    }
    const int maxLine = lineCount() - 1;
    if (p.FirstLine > maxLine)
        p.FirstColumn = 0;
    p.FirstLine = std::min(p.FirstLine, maxLine);
    p.LastLine = std::min(p.LastLine, maxLine);
    m_parseMark = std::min(m_parseMark, first);
}

void TMemoSource::setModified(bool on)
{
    beginChange(opSetModified);
    m_modified = on;
    endChange();
}

// ----------------------------------------------------------------------------------------
// Basic recorded edits

void TMemoSource::record(uint8_t kind, int32_t count1, int32_t count2, const QString& text)
{
    TUndoRecord r;
    r.Kind = kind;
    r.Count1 = count1;
    r.Count2 = count2;
    r.Text = text;
    r.GroupStart = m_groupPending;
    r.OpCode = m_bracketOp;
    m_groupPending = false;
    m_undo.append(std::move(r));
}

void TMemoSource::recCaretTo(int column, int line)
{
    const int dc = column - m_caret.m_column;
    const int dl = line - m_caret.m_line;
    if (dc == 0 && dl == 0)
        return;
    record(ukCaretMoved, dc, dl);
    m_caret.set(column, line);
    m_pending.State |= msCaretMoved;
}

void TMemoSource::recInsert(const QString& text, int* endColumn, int* endLine)
{
    const int c0 = m_caret.m_column;
    const int l0 = m_caret.m_line;
    if (recInsertNarrow(text, endColumn, endLine))
        return;
    QStringList segs = text.split(u'\n');
    const int k = int(segs.size()) - 1;
    // Where the caret belongs, counting blanks that the store is about to trim.
    if (endColumn)
        *endColumn = k == 0 ? c0 + int(text.size()) : int(segs.last().size());
    if (endLine)
        *endLine = l0 + k;

    QString line = m_d->lines.string(l0);
    if (line.size() < c0)
        line += QString(c0 - line.size(), u' ');
    const QString rest = line.mid(c0);
    line.truncate(c0);
    // Trim the segments that will end a line now, so that the recorded length is exactly
    // what the lines hold and undoing it deletes nothing else.
    for (int i = 0; i < k; ++i)
        segs[i].truncate(trimmed(segs[i]));
    if (rest.isEmpty())
        segs[k].truncate(trimmed(segs[k]));
    qint64 count = k;
    for (const QString& s : segs)
        count += s.size();
    if (count == 0)
        return;

    TLineStore& lines = m_d->lines;
    if (k == 0) {
        lines.set(l0, QString(line + segs[0] + rest));
    } else {
        lines.set(l0, QString(line + segs[0]));
        lines.insertEmpty(l0 + 1, k);
        for (int i = 1; i < k; ++i)
            lines.set(l0 + i, segs[i]);
        lines.set(l0 + k, QString(segs[k] + rest));
    }
    const int ce = k == 0 ? c0 + int(segs[0].size()) : int(segs[k].size());
    insertedAtCaret(ce, k, count);
}

bool TMemoSource::recInsertNarrow(const QString& text, int* endColumn, int* endLine)
{
    // Typing into a Latin-1 line goes straight to its bytes: a 10 MB line is copied once, not
    // turned into a string and back several times.
    const int c0 = m_caret.m_column;
    const int l0 = m_caret.m_line;
    TLineStore& lines = m_d->lines;
    const TLineRec& rec = lines.rec(l0);
    if (rec.wide() || text.contains(u'\n')
        || std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; }))
        return false;
    const qsizetype size = rec.size();
    QByteArray add = text.toLatin1();
    qsizetype count = add.size();
    if (c0 >= size) {
        // The text ends the line: its trailing blanks go, and spaces fill up to the caret.
        add.truncate(trimmedLength(add.constData(), add.size()));
        count = add.size();
        add.prepend(QByteArray(c0 - size, ' '));
    }
    if (size + add.size() > TLineRec::kMaxSize)
        return false;
    if (endColumn)
        *endColumn = c0 + int(text.size());
    if (endLine)
        *endLine = l0;
    if (count == 0)
        return true;
    lines.insertLatin1(l0, std::min<qsizetype>(c0, size), add.constData(), add.size());
    insertedAtCaret(c0 + int(count), 0, count);
    return true;
}

void TMemoSource::insertedAtCaret(int endColumn, int breaks, qint64 count)
{
    const int c0 = m_caret.m_column;
    const int l0 = m_caret.m_line;
    for (TPosition* p : m_positions) {
        if (p == &m_caret)
            continue;
        if (p->m_line == l0 && p->m_column >= c0) {
            p->m_column = endColumn + (p->m_column - c0);
            p->m_line = l0 + breaks;
        } else if (p->m_line > l0) {
            p->m_line += breaks;
        }
    }
    record(ukTextInserted, int32_t(std::min<qint64>(count, INT32_MAX)), 0);
    noteTextChange(l0, l0 + breaks, breaks, c0);
}

bool TMemoSource::recDeleteAcross(qint64 count, QString& deleted, int& endLine, int& endColumn)
{
    TLineStore& lines = m_d->lines;
    const int c0 = m_caret.m_column;
    const int l0 = m_caret.m_line;
    const int last = lineCount() - 1;
    QString line = lines.string(l0);
    if (line.size() <= c0) {
        if (l0 >= last)
            return false; // nothing but virtual space up to the end of the document
        line += QString(c0 - line.size(), u' ');
    }
    const qint64 avail = line.size() - c0;
    if (count <= avail) {
        endColumn = c0 + int(count);
        deleted = line.mid(c0, count);
        line.remove(c0, count);
        lines.set(l0, line);
        return true;
    }
    deleted = line.mid(c0);
    qint64 remaining = count - avail;
    endColumn = int(line.size());
    while (remaining > 0 && endLine < last) {
        // Crossing a line break costs one; then take from the next line.
        --remaining;
        ++endLine;
        deleted += u'\n';
        const int len = lineLength(endLine);
        if (remaining <= len) {
            endColumn = int(remaining);
            remaining = 0;
        } else {
            endColumn = len;
            remaining -= len;
        }
        const LineText t = lines.text(endLine);
        if (t.isWide())
            deleted.append(reinterpret_cast<const QChar*>(t.utf16()), endColumn);
        else
            deleted.append(QLatin1StringView(t.latin1(), endColumn));
    }
    line.truncate(c0);
    line += lines.string(endLine).mid(endColumn);
    lines.set(l0, line);
    if (endLine > l0)
        lines.remove(l0 + 1, endLine - l0);
    return true;
}

void TMemoSource::recDelete(qint64 count)
{
    if (count <= 0)
        return;
    TLineStore& lines = m_d->lines;
    const int c0 = m_caret.m_column;
    const int l0 = m_caret.m_line;
    QString deleted;
    int endLine = l0;
    int endColumn = c0 + int(std::min<qint64>(count, INT32_MAX));
    const TLineRec& rec = lines.rec(l0);
    if (!rec.wide() && c0 < rec.size() && count <= rec.size() - c0) {
        // Within one Latin-1 line: straight on its bytes, as in recInsertNarrow.
        const LineText t = lines.view(l0);
        deleted.resize(count);
        for (qsizetype k = 0; k < count; ++k)
            deleted[k] = QChar(t.at(c0 + k));
        lines.removeLatin1(l0, c0, count);
    } else if (!recDeleteAcross(count, deleted, endLine, endColumn)) {
        return;
    }
    for (TPosition* p : m_positions) {
        if (p == &m_caret)
            continue;
        const bool afterStart = p->m_line > l0 || (p->m_line == l0 && p->m_column >= c0);
        const bool beforeEnd
            = p->m_line < endLine || (p->m_line == endLine && p->m_column < endColumn);
        if (afterStart && beforeEnd) {
            p->set(c0, l0);
        } else if (afterStart) {
            if (p->m_line == endLine)
                p->set(c0 + (p->m_column - endColumn), l0);
            else
                p->m_line -= endLine - l0;
        }
    }
    record(ukTextDeleted, int32_t(std::min<qint64>(deleted.size(), INT32_MAX)), 0, deleted);
    noteTextChange(l0, l0, l0 - endLine, c0);
}

void TMemoSource::recSplit()
{
    const int c0 = m_caret.m_column;
    const int l0 = m_caret.m_line;
    TLineStore& lines = m_d->lines;
    const QString line = lines.string(l0);
    lines.insertEmpty(l0 + 1, 1);
    if (c0 < line.size()) {
        lines.set(l0 + 1, QStringView(line).mid(c0));
        lines.set(l0, QStringView(line).left(c0));
    }
    for (TPosition* p : m_positions) {
        if (p == &m_caret)
            continue;
        if (p->m_line == l0 && p->m_column >= c0)
            p->set(p->m_column - c0, l0 + 1);
        else if (p->m_line > l0)
            ++p->m_line;
    }
    record(ukLineSplit, 0, 0);
    noteTextChange(l0, l0 + 1, 1, c0);
}

void TMemoSource::recJoin()
{
    const int l0 = m_caret.m_line;
    if (l0 >= lineCount() - 1)
        return;
    // A join always happens at or beyond the line's end, so that splitting at the caret
    // undoes it exactly.
    if (m_caret.m_column < lineLength(l0))
        recCaretTo(lineLength(l0), l0);
    const int c0 = m_caret.m_column;
    TLineStore& lines = m_d->lines;
    QString line = lines.string(l0);
    line += QString(c0 - line.size(), u' ');
    line += lines.string(l0 + 1);
    lines.set(l0, line);
    lines.remove(l0 + 1, 1);
    for (TPosition* p : m_positions) {
        if (p == &m_caret)
            continue;
        if (p->m_line == l0 && p->m_column > c0)
            p->m_column = c0;
        else if (p->m_line == l0 + 1)
            p->set(c0 + p->m_column, l0);
        else if (p->m_line > l0 + 1)
            --p->m_line;
    }
    record(ukLinesJoined, 0, 0);
    noteTextChange(l0, l0, -1, c0);
}

// ----------------------------------------------------------------------------------------
// Caret and selection

void TMemoSource::clampPosition(int& column, int& line) const
{
    line = std::clamp(line, 0, lineCount() - 1);
    column = std::clamp(column, 0, std::max(lineLength(line), kMaxVirtualColumn));
}

void TMemoSource::setCaret(int column, int line)
{
    clampPosition(column, line);
    beginChange(opCaretMove);
    recCaretTo(column, line);
    endChange();
}

void TMemoSource::moveCaret(int columnDelta, int lineDelta)
{
    const qint64 c = qint64(CaretX()) + columnDelta;
    const qint64 l = qint64(CaretY()) + lineDelta;
    int column = int(std::clamp<qint64>(c, 0, INT_MAX));
    int line = int(std::clamp<qint64>(l, 0, INT_MAX));
    clampPosition(column, line);
    beginChange(opCaretMove);
    recCaretTo(column, line);
    endChange();
}

void TMemoSource::getSelection(int& startColumn, int& startLine, int& endColumn,
                               int& endLine) const
{
    startColumn = m_selStart.m_column;
    startLine = m_selStart.m_line;
    endColumn = m_selEnd.m_column;
    endLine = m_selEnd.m_line;
}

void TMemoSource::setSelection(TSelectionMode mode, int startColumn, int startLine,
                               int endColumn, int endLine)
{
    if (mode != smStream && mode != smColumn)
        mode = smNone;
    clampPosition(startColumn, startLine);
    clampPosition(endColumn, endLine);
    if (mode == smStream && startColumn == endColumn && startLine == endLine)
        mode = smNone;
    beginChange(opSetSelection);
    m_selMode = mode;
    m_selStart.set(startColumn, startLine);
    m_selEnd.set(endColumn, endLine);
    m_pending.State |= msSelectionChanged;
    endChange();
}

void TMemoSource::clearSelection()
{
    if (m_selMode == smNone)
        return;
    beginChange(opClearSelection);
    m_selMode = smNone;
    m_pending.State |= msSelectionChanged;
    endChange();
}

void TMemoSource::normalizedSelection(int& c1, int& l1, int& c2, int& l2) const
{
    c1 = m_selStart.m_column;
    l1 = m_selStart.m_line;
    c2 = m_selEnd.m_column;
    l2 = m_selEnd.m_line;
    if (m_selMode == smColumn) {
        if (c1 > c2)
            std::swap(c1, c2);
        if (l1 > l2)
            std::swap(l1, l2);
    } else if (l1 > l2 || (l1 == l2 && c1 > c2)) {
        std::swap(c1, c2);
        std::swap(l1, l2);
    }
    // Edits elsewhere may have left a position past the end; read it as the end.
    const int last = lineCount() - 1;
    l1 = std::min(l1, last);
    l2 = std::min(l2, last);
}

qint64 TMemoSource::distance(int c1, int l1, int c2, int l2) const
{
    if (l1 == l2)
        return std::max<qint64>(0, std::min(c2, lineLength(l2)) - c1);
    qint64 n = std::max(0, lineLength(l1) - c1) + 1;
    for (int l = l1 + 1; l < l2; ++l)
        n += lineLength(l) + 1;
    return n + std::min(c2, lineLength(l2));
}

QString TMemoSource::SelText() const
{
    if (m_selMode == smNone)
        return QString();
    int c1, l1, c2, l2;
    normalizedSelection(c1, l1, c2, l2);
    QString out;
    if (m_selMode == smColumn) {
        for (int l = l1; l <= l2; ++l) {
            if (l > l1)
                out += QStringLiteral("\r\n");
            QString part = line(l).mid(c1, c2 - c1);
            out += part;
            out += QString(c2 - c1 - part.size(), u' ');
        }
        return out;
    }
    if (l1 == l2)
        return line(l1).mid(c1, std::max(0, std::min(c2, lineLength(l1)) - c1));
    out = line(l1).mid(c1);
    for (int l = l1 + 1; l < l2; ++l) {
        out += QStringLiteral("\r\n");
        out += line(l);
    }
    out += QStringLiteral("\r\n");
    out += line(l2).left(c2);
    return out;
}

bool TMemoSource::canEditLine(int line) const
{
    if (m_readOnly || line < 0 || line >= lineCount())
        return false;
    return !m_d->lines.rec(line).readOnly();
}

bool TMemoSource::canInsertAtCaret() const
{
    return canEditLine(CaretY());
}

void TMemoSource::deleteSelectionInner()
{
    if (m_selMode == smNone)
        return;
    int c1, l1, c2, l2;
    normalizedSelection(c1, l1, c2, l2);
    for (int l = l1; l <= l2; ++l) {
        if (!canEditLine(l))
            return;
    }
    if (m_selMode == smColumn) {
        for (int l = l1; l <= l2; ++l) {
            recCaretTo(c1, l);
            recDelete(std::max(0, std::min(c2, lineLength(l)) - c1));
        }
        recCaretTo(c1, l1);
    } else {
        const qint64 n = distance(c1, l1, c2, l2);
        recCaretTo(c1, l1);
        recDelete(n);
    }
    m_selMode = smNone;
    m_pending.State |= msSelectionChanged;
}

void TMemoSource::deleteSelection()
{
    beginChange(opDelete);
    deleteSelectionInner();
    endChange();
}

void TMemoSource::replaceSelection(const QString& text)
{
    beginChange(opReplaceSelection);
    deleteSelectionInner();
    if (m_selMode == smNone)
        recInsertAtCaret(text);
    endChange();
}

void TMemoSource::recInsertAtCaret(const QString& text)
{
    if (!canInsertAtCaret())
        return;
    int c, l;
    recInsert(normalizedBreaks(text), &c, &l);
    recCaretTo(c, l);
}

void TMemoSource::insertText(const QString& text)
{
    beginChange(opInsertText);
    recInsertAtCaret(text);
    endChange();
}

void TMemoSource::insertAtCaret(const QString& text)
{
    beginChange(opInsertAtCaret);
    recInsertAtCaret(text);
    endChange();
}

void TMemoSource::splitLine()
{
    beginChange(opEnter);
    if (canInsertAtCaret()) {
        recSplit();
        recCaretTo(0, CaretY() + 1);
    }
    endChange();
}

void TMemoSource::changeSelectionCase(bool upper)
{
    if (m_selMode == smNone)
        return;
    int c1, l1, c2, l2;
    normalizedSelection(c1, l1, c2, l2);
    for (int l = l1; l <= l2; ++l) {
        if (!canEditLine(l))
            return;
    }
    const TSelectionMode mode = m_selMode;
    const int cx = CaretX(), cy = CaretY();
    int ec = c2, el = l2;
    if (mode == smColumn) {
        for (int l = l1; l <= l2; ++l) {
            const QString part = line(l).mid(c1, std::max(0, c2 - c1));
            const QString conv = upper ? part.toUpper() : part.toLower();
            if (conv == part)
                continue;
            recCaretTo(c1, l);
            recDelete(part.size());
            recInsert(conv);
        }
    } else {
        QString part = SelText();
        part = normalizedBreaks(part);
        const QString conv = upper ? part.toUpper() : part.toLower();
        if (conv != part) {
            recCaretTo(c1, l1);
            recDelete(distance(c1, l1, c2, l2));
            recInsert(conv, &ec, &el);
        }
    }
    // Upper-casing may lengthen the text (ß becomes SS); the selection covers the result.
    m_selMode = mode;
    m_selStart.set(c1, l1);
    m_selEnd.set(ec, el);
    int x = cx, y = cy;
    clampPosition(x, y);
    recCaretTo(x, y);
}

void TMemoSource::upperCaseSelection()
{
    beginChange(opUpperCase);
    changeSelectionCase(true);
    endChange();
}

void TMemoSource::lowerCaseSelection()
{
    beginChange(opLowerCase);
    changeSelectionCase(false);
    endChange();
}

// ----------------------------------------------------------------------------------------
// Clipboard

void TMemoSource::CopyToClipboard()
{
    if (!m_clipboard)
        return;
    if (m_selMode == smNone) {
        if (m_options.testFlag(soForceCutCopy))
            m_clipboard->setText(QString(), false);
        return;
    }
    m_clipboard->setText(SelText(), m_selMode == smColumn);
}

void TMemoSource::CutToClipboard()
{
    if (!m_clipboard)
        return;
    beginChange(opCut);
    CopyToClipboard();
    deleteSelectionInner();
    endChange();
}

void TMemoSource::insertBlock(const QStringList& rows)
{
    const int c0 = CaretX();
    const int l0 = CaretY();
    const int n = int(rows.size());
    for (int i = 0; i < n; ++i) {
        if (l0 + i < lineCount() && !canEditLine(l0 + i))
            return;
    }
    for (int i = 0; i < n; ++i) {
        const int l = l0 + i;
        if (l >= lineCount()) {
            const int last = lineCount() - 1;
            recCaretTo(lineLength(last), last);
            recInsert(QStringLiteral("\n"));
        }
        recCaretTo(c0, l);
        recInsert(rows[i]);
    }
    recCaretTo(c0 + int(rows.last().size()), l0 + n - 1);
}

void TMemoSource::PasteFromClipboard()
{
    if (!m_clipboard)
        return;
    bool block = false;
    const QString t = normalizedBreaks(m_clipboard->text(&block));
    if (t.isEmpty())
        return;
    beginChange(opPaste);
    deleteSelectionInner();
    if (m_selMode == smNone && canInsertAtCaret()) {
        if (block) {
            insertBlock(t.split(u'\n'));
        } else {
            int c, l;
            recInsert(t, &c, &l);
            recCaretTo(c, l);
        }
    }
    endChange();
}

// ----------------------------------------------------------------------------------------
// Editing keys

bool TMemoSource::setTabStops(const QString& stops)
{
    const std::optional<TTabStops> parsed = TTabStops::parse(stops);
    if (!parsed)
        return false;
    const bool moved = *parsed != m_tabStops;
    m_tabStops = *parsed;
    m_tabStopsText = stops;
    if (moved) {
        beginChange(opSetLines);
        m_pending.State |= msTabStopsChanged;
        endChange();
    }
    return true;
}

int TMemoSource::nextTabStop(int column) const
{
    return int(std::min<qint64>(m_tabStops.next(column), INT_MAX));
}

void TMemoSource::keyTab()
{
    const int cx = CaretX();
    const int cy = CaretY();
    int target = nextTabStop(cx);
    if (m_options.testFlag(soSmartTab)) {
        for (int l = cy - 1; l >= 0 && l >= cy - kMaxLookBack; --l) {
            const LineText t = lineText(l);
            if (t.size() <= cx)
                continue;
            qsizetype p = cx;
            while (p < t.size() && !isBlank(t.at(p)))
                ++p;
            while (p < t.size() && isBlank(t.at(p)))
                ++p;
            if (p < t.size())
                target = int(p);
            break;
        }
    }
    beginChange(opTab);
    if (!g_overwrite && canInsertAtCaret())
        recInsert(QString(target - cx, u' '));
    recCaretTo(target, cy);
    endChange();
}

void TMemoSource::keyEnter()
{
    const int cx = CaretX();
    const int cy = CaretY();
    const bool autoIndent = m_options.testFlag(soAutoIndent);
    const LineText cur = lineText(cy);
    const int lead = leadingBlanks(cur);
    if (g_overwrite) {
        if (cy + 1 >= lineCount())
            return;
        int column = 0;
        if (autoIndent)
            column = (!cur.isEmpty() && cx <= lead) ? cx : leadingBlanks(lineText(cy + 1));
        beginChange(opEnter);
        recCaretTo(column, cy + 1);
        endChange();
        return;
    }
    if (!canInsertAtCaret())
        return;
    int indent = 0;
    if (autoIndent) {
        if (!cur.isEmpty() && lead > 0 && cx <= lead) {
            indent = cx;
        } else {
            // The split line keeps what lies before the caret.
            if (trimmedLength(cur.toString().utf16(), std::min<qsizetype>(cx, cur.size())) > 0) {
                indent = lead;
            } else {
                for (int l = cy - 1; l >= 0 && l >= cy - kMaxLookBack; --l) {
                    const LineText t = lineText(l);
                    if (!t.isEmpty()) {
                        indent = leadingBlanks(t);
                        break;
                    }
                }
            }
        }
    }
    beginChange(opEnter);
    recSplit();
    recCaretTo(0, cy + 1);
    if (indent > 0) {
        recInsert(QString(indent, u' '));
        recCaretTo(indent, cy + 1);
    }
    endChange();
}

void TMemoSource::keyBackspace()
{
    const int cx = CaretX();
    const int cy = CaretY();
    if (!canEditLine(cy))
        return;
    const LineText cur = lineView(cy);
    const int len = int(cur.size());
    if (cx > len) {
        beginChange(opBackspace);
        recCaretTo(cx - 1, cy);
        endChange();
        return;
    }
    if (cx == 0) {
        if (cy == 0 || !canEditLine(cy - 1))
            return;
        beginChange(opBackspace);
        recCaretTo(lineLength(cy - 1), cy - 1);
        recJoin();
        endChange();
        return;
    }
    int newColumn = cx - 1;
    if (m_options.testFlag(soBackUnindents) && cx == leadingBlanks(cur) && cx < len) {
        newColumn = 0;
        for (int l = cy - 1; l >= 0 && l >= cy - kMaxLookBack; --l) {
            const LineText t = lineText(l);
            if (t.isEmpty() || leadingBlanks(t) >= cx)
                continue;
            for (qsizetype p = std::min<qsizetype>(cx - 2, t.size() - 1); p >= 0; --p) {
                if (t.at(p) == u' ') {
                    newColumn = p > 0 ? int(p) + 1 : 0;
                    break;
                }
            }
            break;
        }
    }
    beginChange(opBackspace);
    recCaretTo(newColumn, cy);
    recDelete(cx - newColumn);
    endChange();
}

void TMemoSource::keyDelete()
{
    beginChange(opDelete);
    if (m_selMode != smNone) {
        deleteSelectionInner();
    } else if (canInsertAtCaret()) {
        if (CaretX() < lineLength(CaretY()))
            recDelete(1);
        else if (CaretY() + 1 < lineCount() && canEditLine(CaretY() + 1))
            recJoin();
    }
    endChange();
}

void TMemoSource::keyChar(QChar c)
{
    if (c == u'\r' || c == u'\n') {
        keyEnter();
        return;
    }
    if (c == u'\t') {
        keyTab();
        return;
    }
    beginChange(opInsertAtCaret);
    deleteSelectionInner();
    if (m_selMode == smNone && canInsertAtCaret()) {
        if (g_overwrite && CaretX() < lineLength(CaretY()))
            recDelete(1);
        recInsert(QString(c));
        recCaretTo(CaretX() + 1, CaretY());
    }
    endChange();
}

// ----------------------------------------------------------------------------------------
// Undo

void TMemoSource::clearUndo()
{
    m_undo.clear();
    m_redo.clear();
}

void TMemoSource::Undo()
{
    undoRedo(true);
}

void TMemoSource::Redo()
{
    undoRedo(false);
}

void TMemoSource::applyInverse(const TUndoRecord& r)
{
    m_groupPending = true; // every inverse change starts a group of its own
    switch (r.Kind) {
    case ukCaretMoved: {
        int c = m_caret.m_column - r.Count1;
        int l = m_caret.m_line - r.Count2;
        clampPosition(c, l);
        recCaretTo(c, l);
        break;
    }
    case ukTextInserted:
        recDelete(r.Count1);
        break;
    case ukLineSplit:
        recJoin();
        break;
    case ukLinesJoined:
        recSplit();
        break;
    case ukTextDeleted:
        recInsert(r.Text);
        break;
    }
}

void TMemoSource::undoRedo(bool undo)
{
    if (m_readOnly || m_bracketDepth > 0)
        return;
    // Records always go to m_undo; exchanging the logs makes Undo record into the redo log.
    if (undo)
        m_undo.swap(m_redo);
    QList<TUndoRecord>& source = m_redo;
    if (!source.isEmpty()) {
        beginChange(source.last().OpCode);
        m_inUndo = true;
        const uint8_t op = m_bracketOp;
        while (!source.isEmpty() && source.last().OpCode == op) {
            const TUndoRecord r = source.takeLast();
            applyInverse(r);
            if (r.GroupStart && !m_options.testFlag(soGroupUndo))
                break;
        }
        if (m_selMode != smNone) {
            m_selMode = smNone;
            m_pending.State |= msSelectionChanged;
        }
        endChange();
        m_inUndo = false;
    }
    if (undo)
        m_undo.swap(m_redo);
}

// ----------------------------------------------------------------------------------------
// Settings

void TMemoSource::setDelimeters(const QString& delimiters)
{
    m_delimeters = delimiters;
    m_delimiterSet = TCharSet::delimiters(delimiters);
}

bool TMemoSource::lineReadOnly(int line) const
{
    return line >= 0 && line < lineCount() && m_d->lines.rec(line).readOnly();
}

void TMemoSource::setLineReadOnly(int line, bool on)
{
    if (line < 0 || line >= lineCount())
        return;
    TLineRec& r = m_d->lines.rec(line);
    if (on)
        r.bits |= TLineRec::kReadOnly;
    else
        r.bits &= ~TLineRec::kReadOnly;
}

// ----------------------------------------------------------------------------------------
// Words

void TMemoSource::wordAt(int column, int line, int& start, int& end) const
{
    start = end = column;
    const LineText t = lineView(line);
    if (column < 0 || column >= t.size() || isDelimiter(t.at(column)))
        return;
    while (start > 0 && !isDelimiter(t.at(start - 1)))
        --start;
    while (end < t.size() && !isDelimiter(t.at(end)))
        ++end;
}

void TMemoSource::nextWordStart(int& column, int& line) const
{
    clampPosition(column, line);
    const LineText t = lineView(line);
    qsizetype p = column;
    while (p < t.size() && !isDelimiter(t.at(p)))
        ++p;
    while (p < t.size() && isDelimiter(t.at(p)))
        ++p;
    if (p < t.size()) {
        column = int(p);
        return;
    }
    if (column < t.size()) {
        column = int(t.size());
        return;
    }
    if (line + 1 >= lineCount())
        return;
    ++line;
    const LineText n = lineView(line);
    p = 0;
    while (p < n.size() && isDelimiter(n.at(p)))
        ++p;
    column = int(p);
}

void TMemoSource::previousWordStart(int& column, int& line) const
{
    clampPosition(column, line);
    LineText t = lineView(line);
    qsizetype p = std::min<qsizetype>(column, t.size());
    if (p == 0) {
        if (line == 0) {
            column = 0;
            return;
        }
        --line;
        t = lineView(line);
        column = int(t.size());
        return;
    }
    while (p > 0 && isDelimiter(t.at(p - 1)))
        --p;
    while (p > 0 && !isDelimiter(t.at(p - 1)))
        --p;
    column = int(p);
}

// ----------------------------------------------------------------------------------------
// Colours

void TMemoSource::setOnParseSyntax(TOnParseSyntaxEvent handler)
{
    m_onParseSyntax = std::move(handler);
    invalidateColors(0);
}

void TMemoSource::setOnParseSyntaxFrom(TOnParseSyntaxFromEvent handler)
{
    m_onParseSyntaxFrom = std::move(handler);
    invalidateColors(0);
}

void TMemoSource::invalidateColors(int line)
{
    m_parseMark = std::clamp(std::min(m_parseMark, line), 0, lineCount());
    ++m_colourGeneration;
}

int TMemoSource::takeLastStateChange()
{
    const int n = m_lastStateChange;
    m_lastStateChange = -1;
    return n;
}

void TMemoSource::parseLongLine(int line, qsizetype to)
{
    // Stretches of about this many characters end with a stop where a pass can resume.
    constexpr qsizetype kStep = 2048;
    TLineStore& lines = m_d->lines;
    const qsizetype size = lines.rec(line).size();
    const int32_t init = line > 0 ? lines.rec(line - 1).endState : 0;
    TLongColour& c = *lines.ensureLongColour(line);
    if (c.generation != m_colourGeneration || c.initState != init) {
        c.valid = 0;
        c.stops.assign(1, { 0, init });
        c.initState = init;
        c.generation = m_colourGeneration;
    }
    to = std::min(to, size);
    qsizetype reach = kStep; // how far past the last stop the next stretch looks for one
    while (c.valid < to) {
        const auto [from, state] = c.stops.back();
        const qsizetype stopAt = from + reach;
        // Room for the token that crosses stopAt and for the look-ahead after it.
        const qsizetype end = std::min(size, stopAt + 2 * kParseLookahead);
        const LineText piece = lines.stretch(line, from, end);
        uint8_t* bytes = c.bytes.data() + from;
        std::memset(bytes, 0, size_t(end - from));
        qsizetype stopped = end - from;
        const int32_t after = m_onParseSyntaxFrom(piece, state, bytes, stopAt - from, stopped);
        stopped = std::clamp<qsizetype>(stopped, 0, end - from);
        if (end == size && stopped == end - from) {
            c.valid = size; // the pass reached the line's end: its state is the line's
            TLineRec& r = lines.rec(line);
            if (after != r.endState)
                m_lastStateChange = std::max(m_lastStateChange, line);
            r.endState = after;
            if (m_parseMark == line)
                m_parseMark = line + 1;
            return;
        }
        // A stop is sure only where the look-ahead it needed lay inside the stretch.
        if (stopped > 0 && (end == size || from + stopped + kParseLookahead <= end)) {
            c.stops.push_back({ from + stopped, after });
            c.valid = from + stopped;
            reach = kStep;
        } else {
            // One token runs past the stretch: what lies before its cut-off is known.
            c.valid = std::max(c.valid, std::min(from + stopped, end - kParseLookahead));
            reach *= 2;
        }
    }
}

void TMemoSource::parseLine(int line, bool keepColours)
{
    TLineStore& lines = m_d->lines;
    const qsizetype n = lines.rec(line).size();
    if (m_onParseSyntaxFrom && n >= kLongParseLine && !lines.rec(line).wide()) {
        parseLongLine(line, n);
        return;
    }
    const int32_t init = line > 0 ? lines.rec(line - 1).endState : 0;
    // A line parsed only for its end state keeps no colour bytes, unless it had some.
    uint8_t* buf = keepColours ? lines.ensureColour(line) : lines.colour(line);
    if (!buf) {
        // Never null, even for an empty line, so a careless handler cannot crash.
        if (m_d->scratch.size() < size_t(n) + 1)
            m_d->scratch.resize(size_t(n) + 1);
        buf = m_d->scratch.data();
    }
    if (n > 0)
        std::memset(buf, 0, size_t(n));
    const int32_t state = m_onParseSyntax(lines.text(line), init, buf);
    TLineRec& r = lines.rec(line);
    if (state != r.endState)
        m_lastStateChange = std::max(m_lastStateChange, line);
    r.endState = state;
}

const uint8_t* TMemoSource::colorData(int line, qsizetype to)
{
    if (line < 0 || line >= lineCount() || !m_onParseSyntax)
        return nullptr;
    const TLineRec& rec = m_d->lines.rec(line);
    if (!m_onParseSyntaxFrom || rec.size() < kLongParseLine || rec.wide())
        return colorData(line);
    m_parseMark = std::min(m_parseMark, lineCount());
    for (int l = m_parseMark; l < line; ++l)
        parseLine(l, false);
    m_parseMark = std::max(m_parseMark, line); // passes it once its end is reached
    parseLongLine(line, to);
    return m_d->lines.longColour(line)->bytes.data();
}

const uint8_t* TMemoSource::colorData(int line)
{
    if (line < 0 || line >= lineCount() || !m_onParseSyntax)
        return nullptr;
    const TLineRec& rec = m_d->lines.rec(line);
    if (m_onParseSyntaxFrom && rec.size() >= kLongParseLine && !rec.wide())
        return colorData(line, rec.size());
    m_parseMark = std::min(m_parseMark, lineCount());
    if (line >= m_parseMark) {
        for (int l = m_parseMark; l < line; ++l)
            parseLine(l, false);
        parseLine(line, true);
        m_parseMark = line + 1;
    } else if (m_d->lines.rec(line).size() > 0 && !m_d->lines.colour(line)) {
        parseLine(line, true);
    }
    return m_d->lines.colour(line);
}

int32_t TMemoSource::lineEndState(int line)
{
    if (line < 0 || line >= lineCount())
        return 0;
    if (m_onParseSyntax) {
        m_parseMark = std::min(m_parseMark, lineCount());
        for (int l = m_parseMark; l <= line; ++l)
            parseLine(l, false);
        m_parseMark = std::max(m_parseMark, line + 1);
    }
    return m_d->lines.rec(line).endState;
}
