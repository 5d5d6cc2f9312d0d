/** @file TLineMetrics.h ** Places columns of a line on the screen for one font. **/
#pragma once

#include "editor/LineText.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <vector>

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
    /// A column at or left of the one at `x` whose left edge is known cheaply (start the
    /// painting of a long line there).
    qsizetype paintStart(const LineText& line, qreal x) const;

    /// Long lines keep measured widths; the owner must call this whenever any text changes,
    /// since a changed line may reuse its old characters' storage.
    void clearCache() const { m_cache.clear(); }

private:
    bool fastPath(const LineText& line) const { return m_fixedLatin1 && !line.isWide(); }
    /// Width of the first `n` characters (n <= line.size()).
    qreal prefixWidth(const LineText& line, qsizetype n) const;

    /// Left edges of every Chunk-th column of one long line, measured once, so placing a
    /// column costs one chunk's measuring rather than the whole prefix's.
    struct Checkpoints {
        const void* data = nullptr; ///< the line's characters: identity until text changes
        qsizetype size = 0;
        std::vector<qsizetype> column; ///< invariant: column[0] == 0, increasing
        std::vector<qreal> x;          ///< left edge of column[i]
    };
    static constexpr qsizetype Chunk = 256;
    static constexpr qsizetype LongLine = 2 * Chunk;
    static constexpr size_t CacheSize = 8;
    const Checkpoints& checkpoints(const LineText& line) const;
    /// Index of the last checkpoint at or before column `n`.
    static size_t checkpointBefore(const Checkpoints& cp, qsizetype n);

    QFont m_font;
    QFontMetricsF m_metrics;
    int m_lineHeight = 1;    ///< invariant: >= 1
    qreal m_spaceWidth = 1;  ///< invariant: > 0
    bool m_fixedLatin1 = false;
    mutable std::vector<Checkpoints> m_cache; ///< most recently used last; at most CacheSize
};
