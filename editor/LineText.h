/** @file LineText.h ** A read-only view of one stored line, and the parse event that colours it. **/
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>

/// Lines are stored one byte per character (Latin-1) while every character fits, and as UTF-16
/// otherwise; a column is always an index into the line. The view does not own the characters
/// and is valid only until the line changes.
class LineText
{
public:
    LineText() = default;
    LineText(const char* latin1, qsizetype size) : m_narrow(latin1), m_size(size) { }
    LineText(const char16_t* utf16, qsizetype size) : m_wide(utf16), m_size(size) { }

    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    bool isWide() const { return m_wide != nullptr; }
    /// invariant: exactly one of latin1() and utf16() is non-null unless the line is empty.
    const char* latin1() const { return m_narrow; }
    const char16_t* utf16() const { return m_wide; }
    char16_t at(qsizetype i) const
    {
        return m_wide ? m_wide[i] : char16_t(static_cast<unsigned char>(m_narrow[i]));
    }
    QString toString() const
    {
        return m_wide ? QString(reinterpret_cast<const QChar*>(m_wide), m_size)
                      : QString::fromLatin1(m_narrow, m_size);
    }

private:
    const char* m_narrow = nullptr;
    const char16_t* m_wide = nullptr;
    qsizetype m_size = 0;
};

/// Colours one line: `colorData` holds `line.size()` bytes, zero-filled before the call, one
/// style index per character. Returns the state handed to the next line.
using TOnParseSyntaxEvent
    = std::function<int32_t(const LineText& StrData, int32_t InitState, uint8_t* AColorData)>;
