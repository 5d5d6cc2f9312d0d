/** @file TLineMetrics.cpp ** Places columns of a line on the screen for one font. **/
#include "editor/TLineMetrics.h"

#include <QtMath>
#include <algorithm>
#include <cstring>

namespace {

/// The first tab in [from, to), or `to`.
qsizetype findTab(const LineText& line, qsizetype from, qsizetype to)
{
    if (from >= to)
        return to;
    if (line.isWide()) {
        const char16_t* p = line.utf16();
        return std::find(p + from, p + to, u'\t') - p;
    }
    while (from < to) {
        // Each piece of a line with a gap on its own.
        const qsizetype n = std::min(line.pieceFrom(from), to - from);
        const char* p = line.latin1At(from);
        if (const void* tab = std::memchr(p, '\t', size_t(n)))
            return from + (static_cast<const char*>(tab) - p);
        from += n;
    }
    return to;
}

} // namespace

TLineMetrics::TLineMetrics(const QFont& font, const TTabStops& stops)
    : m_font(font)
    , m_metrics(font)
    , m_tabStops(stops)
{
    m_lineHeight = qMax(1, qCeil(m_metrics.height()));
    m_spaceWidth = m_metrics.horizontalAdvance(QLatin1Char(' '));
    if (m_spaceWidth <= 0)
        m_spaceWidth = qMax<qreal>(1, m_metrics.averageCharWidth());
    // A font that calls itself fixed pitch may still fall back to other faces for some
    // characters, so check every printable Latin-1 character once.
    m_fixedLatin1 = true;
    for (int c = 33; c < 256 && m_fixedLatin1; ++c) {
        if (c >= 127 && c < 160)
            continue; // shown as spaces
        m_fixedLatin1 = qFuzzyCompare(m_metrics.horizontalAdvance(QChar(c)), m_spaceWidth);
    }
}

void TLineMetrics::setTabStops(const TTabStops& stops)
{
    m_tabStops = stops;
    clearCache();
}

qreal TLineMetrics::tabEnd(qreal x) const
{
    // Text that ends a hair short of a stop counts as reaching it, so the tab never shrinks
    // to a sliver.
    const qint64 cell = qFloor(x / m_spaceWidth + 1e-3);
    return qreal(m_tabStops.next(qMax<qint64>(0, cell))) * m_spaceWidth;
}

QString TLineMetrics::displayText(const LineText& line, qsizetype from, qsizetype to)
{
    from = qBound<qsizetype>(0, from, line.size());
    to = qBound(from, to, line.size());
    QString s(to - from, Qt::Uninitialized);
    QChar* out = s.data();
    for (qsizetype i = from; i < to; ++i) {
        const char16_t c = line.at(i);
        out[i - from] = (c < 32 || (c >= 127 && c < 160)) ? QChar(u' ') : QChar(c);
    }
    return s;
}

qreal TLineMetrics::advance(const LineText& line, qsizetype from, qsizetype to, qreal x) const
{
    const bool cells = fixedWidth(line);
    while (from < to) {
        const qsizetype tab = findTab(line, from, to);
        if (tab > from)
            x += cells ? qreal(tab - from)
                       : m_metrics.horizontalAdvance(displayText(line, from, tab));
        if (tab >= to)
            break;
        x = cells ? qreal(m_tabStops.next(qint64(x))) : tabEnd(x);
        from = tab + 1;
    }
    return x;
}

TLineMetrics::Checkpoints& TLineMetrics::checkpoints(const LineText& line, int lineNo) const
{
    const void* data = line.data();
    const bool cells = fixedWidth(line);
    for (size_t i = 0; i < m_cache.size(); ++i) {
        Checkpoints& c = m_cache[i];
        const bool match = lineNo >= 0 ? c.lineNo == lineNo
                                       : c.lineNo < 0 && c.data == data && c.size == line.size();
        if (!match)
            continue;
        if (c.cells != cells) {
            c.column.assign(1, 0);
            c.x.assign(1, 0);
            c.cells = cells;
            c.forgetRecent(0);
        }
        while (c.column.size() > 1 && c.column.back() > line.size()) {
            c.column.pop_back();
            c.x.pop_back();
        }
        c.forgetRecent(line.size() + 1);
        c.data = data;
        c.size = line.size();
        std::rotate(m_cache.begin() + i, m_cache.begin() + i + 1, m_cache.end());
        return m_cache.back();
    }
    if (m_cache.size() >= CacheSize)
        m_cache.erase(m_cache.begin());
    Checkpoints cp;
    cp.lineNo = lineNo;
    cp.data = data;
    cp.size = line.size();
    cp.cells = cells;
    cp.column.push_back(0);
    cp.x.push_back(0);
    m_cache.push_back(std::move(cp));
    return m_cache.back();
}

void TLineMetrics::extend(Checkpoints& cp, const LineText& line, qsizetype column, qreal x) const
{
    for (;;) {
        const qsizetype c = cp.column.back();
        if (line.size() - c <= Chunk || (c + Chunk > column && cp.x.back() > x))
            return;
        qsizetype next = c + Chunk;
        // Never split a surrogate pair between two measurements.
        if (QChar::isLowSurrogate(line.at(next)))
            ++next;
        cp.x.push_back(advance(line, c, next, cp.x.back()));
        cp.column.push_back(next);
    }
}

qreal TLineMetrics::prefix(const LineText& line, qsizetype n, int lineNo) const
{
    if (n <= 0)
        return 0;
    if (line.size() < LongLine)
        return advance(line, 0, n, 0);
    Checkpoints& cp = checkpoints(line, lineNo);
    for (size_t i = 0; i < cp.recentColumn.size(); ++i)
        if (cp.recentColumn[i] == n)
            return cp.recentX[i];
    extend(cp, line, n, -1);
    const auto it = std::upper_bound(cp.column.begin(), cp.column.end(), n);
    const size_t k = size_t(it - cp.column.begin()) - 1;
    const qreal x = advance(line, cp.column[k], n, cp.x[k]);
    const unsigned slot = cp.recentNext++ % cp.recentColumn.size();
    cp.recentColumn[slot] = n;
    cp.recentX[slot] = x;
    return x;
}

qsizetype TLineMetrics::paintStart(const LineText& line, qreal x, int lineNo) const
{
    if (x <= 0 || line.isEmpty())
        return 0;
    if (fixedWidth(line))
        return qBound<qsizetype>(0, columnAt(line, x, lineNo) - 1, line.size());
    if (line.size() < LongLine)
        return 0;
    Checkpoints& cp = checkpoints(line, lineNo);
    extend(cp, line, -1, x);
    const auto it = std::upper_bound(cp.x.begin(), cp.x.end(), x);
    return cp.column[size_t(it - cp.x.begin()) - 1];
}

qreal TLineMetrics::xOfColumn(const LineText& line, qsizetype column, int lineNo) const
{
    if (column <= 0)
        return 0;
    const qsizetype inLine = qMin(column, line.size());
    return toPixels(line, prefix(line, inLine, lineNo)) + qreal(column - inLine) * m_spaceWidth;
}

qreal TLineMetrics::charWidth(const LineText& line, qsizetype column, int lineNo) const
{
    if (column < 0 || column >= line.size() || (fixedWidth(line) && line.at(column) != u'\t'))
        return m_spaceWidth;
    return xOfColumn(line, column + 1, lineNo) - xOfColumn(line, column, lineNo);
}

qsizetype TLineMetrics::columnAt(const LineText& line, qreal x, int lineNo) const
{
    if (x <= 0)
        return 0;
    const qreal target = fixedWidth(line) ? x / m_spaceWidth : x; // in the line's unit
    qsizetype lo = 0, hi = line.size();
    qreal loX = 0;
    if (line.size() >= LongLine) {
        Checkpoints& cp = checkpoints(line, lineNo);
        extend(cp, line, -1, target);
        const size_t k
            = size_t(std::upper_bound(cp.x.begin(), cp.x.end(), target) - cp.x.begin()) - 1;
        lo = cp.column[k];
        loX = cp.x[k];
        if (k + 1 < cp.column.size())
            hi = cp.column[k + 1];
    }
    const qsizetype from = lo;
    const qreal fromX = loX;
    qreal hiX = advance(line, from, hi, fromX);
    if (target >= hiX) {
        if (hi < line.size())
            return hi;
        return line.size() + qsizetype(toPixels(line, target - hiX) / m_spaceWidth + 0.5);
    }
    // Left edges grow with the column, so search for the nearest one: loX <= target < hiX.
    while (hi - lo > 1) {
        const qsizetype mid = lo + (hi - lo) / 2;
        const qreal midX = advance(line, from, mid, fromX);
        if (midX <= target) {
            lo = mid;
            loX = midX;
        } else {
            hi = mid;
            hiX = midX;
        }
    }
    return (target - loX < hiX - target) ? lo : hi;
}

void TLineMetrics::textChanged(int firstLine, int firstColumn, int lastLine, bool linesMoved) const
{
    if (firstLine < 0) {
        clearCache();
        return;
    }
    auto gone = [&](Checkpoints& c) {
        if (c.lineNo < 0)
            return true; // its characters' address may be reused by the changed text
        if (c.lineNo < firstLine)
            return false;
        if (c.lineNo == firstLine) {
            while (c.column.size() > 1 && c.column.back() >= firstColumn) {
                c.column.pop_back();
                c.x.pop_back();
            }
            c.forgetRecent(firstColumn + 1);
            return false;
        }
        return linesMoved || c.lineNo <= lastLine;
    };
    m_cache.erase(std::remove_if(m_cache.begin(), m_cache.end(), gone), m_cache.end());
}
