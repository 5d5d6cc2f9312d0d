/** @file TLineMetrics.h ** Places columns of a line on the screen for one font. **/
#pragma once

#include "editor/LineText.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>

/// Columns are indexes into a line; columns past its end lie in virtual space, each as wide as a
/// space. Tabs and control characters are shown (and measured) as spaces so that the caret and
/// the painted text always agree.
class TLineMetrics
{
public:
    explicit TLineMetrics(const QFont& font = QFont());

    const QFont& font() const { return m_font; }
    const QFontMetricsF& metrics() const { return m_metrics; }
    int lineHeight() const { return m_lineHeight; }
    qreal ascent() const { return m_metrics.ascent(); }
    qreal spaceWidth() const { return m_spaceWidth; }
    /// True when every Latin-1 character has the same advance, so narrow lines need no
    /// measuring.
    bool fixedLatin1() const { return m_fixedLatin1; }

    /// Left edge of `column`, relative to the start of the line.
    qreal xOfColumn(const LineText& line, qsizetype column) const;
    /// The column whose left edge is nearest to `x` (virtual space included; never negative).
    qsizetype columnAt(const LineText& line, qreal x) const;
    /// Width of the character at `column` (a space's width in virtual space).
    qreal charWidth(const LineText& line, qsizetype column) const;
    /// The characters [from, to) as painted.
    static QString displayText(const LineText& line, qsizetype from, qsizetype to);

private:
    bool fastPath(const LineText& line) const { return m_fixedLatin1 && !line.isWide(); }

    QFont m_font;
    QFontMetricsF m_metrics;
    int m_lineHeight = 1;    ///< invariant: >= 1
    qreal m_spaceWidth = 1;  ///< invariant: > 0
    bool m_fixedLatin1 = false;
};
