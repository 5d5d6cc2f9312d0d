/** @file TLineMetrics.h ** Places columns of a line on the screen for one font. **/
#pragma once

#include "editor/LineText.h"
#include "editor/TTabStops.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <array>
#include <vector>

/// Columns are indexes into a line; columns past its end lie in virtual space, each as wide as a
/// space. A tab reaches to the next tab stop, counted in space widths; control characters are
/// shown (and measured) as spaces so that the caret and the painted text always agree.
///
/// Long lines keep measured positions between calls. A line given with its number (`lineNo`
/// >= 0) keeps them across edits, as long as the owner reports every edit through
/// textChanged(); a line given without one is known by its characters' address and length.
class TLineMetrics
{
public:
    explicit TLineMetrics(const QFont& font = QFont(), const TTabStops& stops = TTabStops());

    const QFont& font() const { return m_font; }
    const QFontMetricsF& metrics() const { return m_metrics; }
    int lineHeight() const { return m_lineHeight; }
    qreal ascent() const { return m_metrics.ascent(); }
    qreal spaceWidth() const { return m_spaceWidth; }
    /// True when every Latin-1 character has the same advance, so narrow lines need no
    /// measuring.
    bool fixedLatin1() const { return m_fixedLatin1; }
    /// Whether the line's characters all take one space width (tabs aside).
    bool fixedWidth(const LineText& line) const { return m_fixedLatin1 && !line.isWide(); }

    const TTabStops& tabStops() const { return m_tabStops; }
    /// Forgets every measured position.
    void setTabStops(const TTabStops& stops);
    /// Where a tab that begins `x` pixels into a line ends.
    qreal tabEnd(qreal x) const;

    /// Left edge of `column`, relative to the start of the line.
    qreal xOfColumn(const LineText& line, qsizetype column, int lineNo = -1) const;
    /// The column whose left edge is nearest to `x` (virtual space included; never negative).
    qsizetype columnAt(const LineText& line, qreal x, int lineNo = -1) const;
    /// Width of the character at `column` (a space's width in virtual space).
    qreal charWidth(const LineText& line, qsizetype column, int lineNo = -1) const;
    /// The characters [from, to) as painted (tabs as spaces: paint them on their own).
    static QString displayText(const LineText& line, qsizetype from, qsizetype to);
    /// A column at or left of the one at `x` whose left edge is known cheaply (start the
    /// painting of a long line there).
    qsizetype paintStart(const LineText& line, qreal x, int lineNo = -1) const;

    /// Forgets every measured position.
    void clearCache() const { m_cache.clear(); }
    /// The owner's lines changed: line `firstLine` kept its characters before `firstColumn`,
    /// lines before it are untouched, and when `linesMoved` lines after it may have come, gone
    /// or changed; otherwise lines from `firstLine` to `lastLine` changed.
    void textChanged(int firstLine, int firstColumn, int lastLine, bool linesMoved) const;

private:
    /// Measured positions of one long line: the left edge of every Chunk-th column, from the
    /// start up to as far as a call needed, so placing a column costs one chunk's measuring.
    struct Checkpoints
    {
        int lineNo = -1; ///< >= 0: known by its number; else by data and size
        const void* data = nullptr;
        qsizetype size = 0;
        bool cells = false; ///< x counts space widths (fixedWidth lines), else pixels
        std::vector<qsizetype> column; ///< invariant: column[0] == 0, increasing, <= size
        std::vector<qreal> x; ///< left edge of column[i]
        /// Columns measured lately (the caret's, mostly) and their x; -1 when unused.
        std::array<qsizetype, 4> recentColumn { -1, -1, -1, -1 };
        std::array<qreal, 4> recentX {};
        unsigned recentNext = 0;
        void forgetRecent(qsizetype from)
        {
            for (qsizetype& c : recentColumn)
                if (c >= from)
                    c = -1;
        }
    };
    static constexpr qsizetype Chunk = 256;
    static constexpr qsizetype LongLine = 2 * Chunk;
    static constexpr size_t CacheSize = 16;

    Checkpoints& checkpoints(const LineText& line, int lineNo) const;
    /// Measures on until the last checkpoint lies at or beyond `column`, or at or beyond
    /// `x` (in the checkpoints' unit), or no chunk is left.
    void extend(Checkpoints& cp, const LineText& line, qsizetype column, qreal x) const;
    /// x of column `to`, given x of column `from`, in the unit of the line (cells or pixels).
    qreal advance(const LineText& line, qsizetype from, qsizetype to, qreal x) const;
    /// x of column `n` <= line.size(), in the unit of the line.
    qreal prefix(const LineText& line, qsizetype n, int lineNo) const;
    qreal toPixels(const LineText& line, qreal x) const
    {
        return fixedWidth(line) ? x * m_spaceWidth : x;
    }

    QFont m_font;
    QFontMetricsF m_metrics;
    TTabStops m_tabStops;
    int m_lineHeight = 1; ///< invariant: >= 1
    qreal m_spaceWidth = 1; ///< invariant: > 0
    bool m_fixedLatin1 = false;
    mutable std::vector<Checkpoints> m_cache; ///< most recently used last; at most CacheSize
};
