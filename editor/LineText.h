/** @file LineText.h ** A read-only view of one stored line, and the parse event that colours it. **/
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <algorithm>
#include <functional>
#include <limits>

/// Lines are stored one byte per character (Latin-1) while every character fits, and as UTF-16
/// otherwise; a column is always an index into the line. The view does not own the characters
/// and is valid only until the line changes.
class LineText
{
public:
    LineText() = default;
    LineText(const char* latin1, qsizetype size) : m_narrow(latin1), m_size(size) { }
    LineText(const char16_t* utf16, qsizetype size) : m_wide(utf16), m_size(size) { }
    /// A Latin-1 line whose characters from column `gapAt` on lie `gapLength` bytes further on
    /// (the storage keeps a gap at the last edit of a long line).
    LineText(const char* latin1, qsizetype size, qsizetype gapAt, qsizetype gapLength)
        : m_narrow(latin1), m_size(size), m_gapAt(gapAt), m_gapLength(gapLength)
    {
    }

    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    bool isWide() const { return m_wide != nullptr; }
    /// Whether the characters lie in two pieces; then only at(), the pieces and toString() apply.
    bool hasGap() const { return m_gapLength != 0 && m_gapAt < m_size; }
    /// invariant: exactly one of latin1() and utf16() is non-null unless the line is empty.
    /// Both need a line without a gap.
    const char* latin1() const { return m_narrow; }
    const char16_t* utf16() const { return m_wide; }
    /// Where the characters begin in memory, to tell lines apart.
    const void* data() const
    {
        return m_wide ? static_cast<const void*>(m_wide) : static_cast<const void*>(m_narrow);
    }
    char16_t at(qsizetype i) const
    {
        if (i >= m_gapAt)
            i += m_gapLength;
        return m_wide ? m_wide[i] : char16_t(static_cast<unsigned char>(m_narrow[i]));
    }
    /// How many characters from column `i` on lie together in memory (at least 1 below size()).
    qsizetype pieceFrom(qsizetype i) const { return (i < m_gapAt ? std::min(m_gapAt, m_size) : m_size) - i; }
    /// Column `i` in memory: Latin-1 lines only.
    const char* latin1At(qsizetype i) const { return m_narrow + (i >= m_gapAt ? i + m_gapLength : i); }
    /// Columns [from, from + n) as a line of their own (they must lie in one piece).
    LineText mid(qsizetype from, qsizetype n) const
    {
        if (m_wide)
            return LineText(m_wide + from, n);
        return LineText(latin1At(from), n);
    }
    QString toString() const
    {
        if (m_wide)
            return QString(reinterpret_cast<const QChar*>(m_wide), m_size);
        if (!hasGap())
            return QString::fromLatin1(m_narrow, m_size);
        return QString::fromLatin1(m_narrow, m_gapAt)
            + QString::fromLatin1(m_narrow + m_gapAt + m_gapLength, m_size - m_gapAt);
    }

private:
    const char* m_narrow = nullptr;
    const char16_t* m_wide = nullptr;
    qsizetype m_size = 0;
    qsizetype m_gapAt = std::numeric_limits<qsizetype>::max(); ///< Latin-1 lines only
    qsizetype m_gapLength = 0;
};

/// Colours one line: `colorData` holds `line.size()` bytes, zero-filled before the call, one
/// style index per character. Returns the state handed to the next line.
using TOnParseSyntaxEvent
    = std::function<int32_t(const LineText& StrData, int32_t InitState, uint8_t* AColorData)>;

/// Colours a long line piece by piece, so that only the part on show is looked at. `StrData`
/// is a stretch of the line that starts where a pass over the whole line would begin a token
/// in state `InitState`; the pass stops at the first such point at or after `stopAt` and
/// reports it in `stoppedAt` (StrData.size() when it ran to the stretch's end). Colours must
/// agree with a pass over the whole line for every character that lies at least
/// kParseLookahead characters before the stretch's end. Returns the state at the stop.
using TOnParseSyntaxFromEvent = std::function<int32_t(const LineText& StrData, int32_t InitState,
    uint8_t* AColorData, qsizetype stopAt, qsizetype& stoppedAt)>;
/// How far past a character a colouring pass may look to decide its colour.
constexpr qsizetype kParseLookahead = 1024;
