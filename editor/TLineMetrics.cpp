/** @file TLineMetrics.cpp ** Places columns of a line on the screen for one font. **/
#include "editor/TLineMetrics.h"

#include <QtMath>

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

qreal TLineMetrics::xOfColumn(const LineText& line, qsizetype column) const
{
    if (column <= 0)
        return 0;
    if (fastPath(line))
        return column * m_spaceWidth;
    const qsizetype inLine = qMin(column, line.size());
    const qreal x = m_metrics.horizontalAdvance(displayText(line, 0, inLine));
    return x + (column - inLine) * m_spaceWidth;
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
    while (hi - lo > 1) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (xOfColumn(line, mid) <= x)
            lo = mid;
        else
            hi = mid;
    }
    return (x - xOfColumn(line, lo) < xOfColumn(line, hi) - x) ? lo : hi;
}
