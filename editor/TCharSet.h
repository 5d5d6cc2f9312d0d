/** @file TCharSet.h ** A set of characters for word boundaries. **/
#pragma once

#include <QString>
#include <bitset>

/// Membership is a table lookup for Latin-1 and a short scan above it.
class TCharSet
{
public:
    TCharSet() = default;
    /// Every character with code 0 to 32, plus the characters of `extra`.
    static TCharSet delimiters(const QString& extra)
    {
        TCharSet s;
        for (int c = 0; c <= 32; ++c)
            s.m_low.set(c);
        for (QChar ch : extra)
            s.insert(ch.unicode());
        return s;
    }
    void insert(char16_t c)
    {
        if (c < 256)
            m_low.set(c);
        else if (!m_high.contains(QChar(c)))
            m_high.append(QChar(c));
    }
    bool contains(char16_t c) const
    {
        return c < 256 ? m_low.test(c) : m_high.contains(QChar(c));
    }

private:
    std::bitset<256> m_low;
    QString m_high; ///< members above 255, each once
};
