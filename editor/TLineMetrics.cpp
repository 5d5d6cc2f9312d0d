/** @file TLineMetrics.cpp ** Places columns of a line on the screen for one font. **/
#include "editor/TLineMetrics.h"

#include <QtMath>
#include <algorithm>

TLineMetrics::TLineMetrics(const QFont& font) : m_font(font), m_metrics(font)
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

const TLineMetrics::Checkpoints& TLineMetrics::checkpoints(const LineText& line) const
{
    const void* data = line.isWide() ? static_cast<const void*>(line.utf16())
                                     : static_cast<const void*>(line.latin1());
    for (size_t i = 0; i < m_cache.size(); ++i) {
        if (m_cache[i].data == data && m_cache[i].size == line.size()) {
            std::rotate(m_cache.begin() + i, m_cache.begin() + i + 1, m_cache.end());
            return m_cache.back();
        }
    }
    if (m_cache.size() >= CacheSize)
        m_cache.erase(m_cache.begin());
    Checkpoints cp;
    cp.data = data;
    cp.size = line.size();
    cp.column.push_back(0);
    cp.x.push_back(0);
    qsizetype c = 0;
    while (line.size() - c > Chunk) {
        qsizetype next = c + Chunk;
        // Never split a surrogate pair between two measurements.
        if (QChar::isLowSurrogate(line.at(next)))
            ++next;
        cp.x.push_back(cp.x.back() + m_metrics.horizontalAdvance(displayText(line, c, next)));
        cp.column.push_back(next);
        c = next;
    }
    m_cache.push_back(std::move(cp));
    return m_cache.back();
}

size_t TLineMetrics::checkpointBefore(const Checkpoints& cp, qsizetype n)
{
    const auto it = std::upper_bound(cp.column.begin(), cp.column.end(), n);
    return size_t(it - cp.column.begin()) - 1;
}

qreal TLineMetrics::prefixWidth(const LineText& line, qsizetype n) const
{
    if (n <= 0)
        return 0;
    if (line.size() < LongLine)
        return m_metrics.horizontalAdvance(displayText(line, 0, n));
    const Checkpoints& cp = checkpoints(line);
    const size_t k = checkpointBefore(cp, n);
    const qsizetype from = cp.column[k];
    return cp.x[k] + (n > from ? m_metrics.horizontalAdvance(displayText(line, from, n)) : 0);
}

qsizetype TLineMetrics::paintStart(const LineText& line, qreal x) const
{
    if (x <= 0 || line.isEmpty())
        return 0;
    if (fastPath(line))
        return qBound<qsizetype>(0, qsizetype(x / m_spaceWidth) - 1, line.size());
    if (line.size() < LongLine)
        return 0;
    const Checkpoints& cp = checkpoints(line);
    const auto it = std::upper_bound(cp.x.begin(), cp.x.end(), x);
    return cp.column[size_t(it - cp.x.begin()) - 1];
}

qreal TLineMetrics::xOfColumn(const LineText& line, qsizetype column) const
{
    if (column <= 0)
        return 0;
    if (fastPath(line))
        return column * m_spaceWidth;
    const qsizetype inLine = qMin(column, line.size());
    return prefixWidth(line, inLine) + (column - inLine) * m_spaceWidth;
}

qreal TLineMetrics::charWidth(const LineText& line, qsizetype column) const
{
    if (column < 0 || column >= line.size() || fastPath(line))
        return m_spaceWidth;
    return xOfColumn(line, column + 1) - xOfColumn(line, column);
}

qsizetype TLineMetrics::columnAt(const LineText& line, qreal x) const
{
    if (x <= 0)
        return 0;
    if (fastPath(line))
        return qsizetype(x / m_spaceWidth + 0.5);
    const qreal lineWidth = xOfColumn(line, line.size());
    if (x >= lineWidth)
        return line.size() + qsizetype((x - lineWidth) / m_spaceWidth + 0.5);
    // Prefix widths grow with the column, so search for the nearest boundary.
    qsizetype lo = 0, hi = line.size(); // xOfColumn(lo) <= x < xOfColumn(hi)
    if (line.size() >= LongLine) {
        const Checkpoints& cp = checkpoints(line);
        const size_t k = size_t(std::upper_bound(cp.x.begin(), cp.x.end(), x) - cp.x.begin()) - 1;
        lo = cp.column[k];
        if (k + 1 < cp.column.size())
            hi = cp.column[k + 1];
    }
    while (hi - lo > 1) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (xOfColumn(line, mid) <= x)
            lo = mid;
        else
            hi = mid;
    }
    return (x - xOfColumn(line, lo) < xOfColumn(line, hi) - x) ? lo : hi;
}
