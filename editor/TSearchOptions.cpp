/** @file TSearchOptions.cpp ** The shared search options, the line search and Find Next. **/
#include "editor/TSearchOptions.h"

#include "editor/TMemoSource.h"
#include "editor/TMemoSourceImpl.h"

#include <QLocale>

#include <array>
#include <cstring>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

TSearchOptions& searchOptions()
{
    static TSearchOptions options;
    return options;
}

char16_t searchUpper(char16_t c)
{
    // Turkish and Azeri upper-case the dotted i to a dotted capital; every other locale
    // uses the common one-to-one mapping.
    static const bool turkic = [] {
        const QLocale::Language l = QLocale::system().language();
        return l == QLocale::Turkish || l == QLocale::Azerbaijani;
    }();
    if (c < 128) {
        if (c == u'i' && turkic)
            return u'\u0130';
        return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
    }
    return char16_t(QChar::toUpper(char32_t(c)));
}

namespace {

/// First byte in [p, end) equal to a or b, or end.
/// The last piece of a line is read as one 16-byte load when that load stays inside the
/// page, so that it cannot fault; the bytes past `end` are masked off. Lines are short, so
/// that piece would otherwise cost as much as the rest of the line.
__attribute__((no_sanitize("address")))
const unsigned char* find2(const unsigned char* p, const unsigned char* end, unsigned char a,
                           unsigned char b)
{
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(char(a));
    const __m128i vb = _mm_set1_epi8(char(b));
    while (end - p >= 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, va), _mm_cmpeq_epi8(x, vb)));
        if (mask)
            return p + __builtin_ctz(unsigned(mask));
        p += 16;
    }
    constexpr uintptr_t kPage = 4096;
    if (p < end && (reinterpret_cast<uintptr_t>(p) & (kPage - 1)) <= kPage - 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned mask = unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, va), _mm_cmpeq_epi8(x, vb))))
            & ((1u << (end - p)) - 1);
        return mask ? p + __builtin_ctz(mask) : end;
    }
#endif
    for (; p < end; ++p) {
        if (*p == a || *p == b)
            return p;
    }
    return end;
}

/// The text to find, prepared once per search: compared upper-cased unless case matters.
class Matcher
{
public:
    Matcher(const QString& text, bool caseSensitive)
    {
        m_pattern.reserve(size_t(text.size()));
        for (QChar c : text)
            m_pattern.push_back(caseSensitive ? c.unicode() : searchUpper(c.unicode()));
        for (int b = 0; b < 256; ++b)
            m_fold[b] = caseSensitive ? char16_t(b) : searchUpper(char16_t(b));
        for (int b = 0; b < 256; ++b) {
            if (m_fold[b] == m_pattern[0])
                m_first.push_back(static_cast<unsigned char>(b));
        }
        m_caseSensitive = caseSensitive;
    }

    qsizetype size() const { return qsizetype(m_pattern.size()); }
    /// True when two bytes (or one) are all the Latin-1 bytes that can start a match, which
    /// lets a scan look for them sixteen at a time.
    bool scansNarrow() const { return !m_first.empty() && m_first.size() <= 2; }
    /// Start of the first match in Latin-1 [p, end), or end. Only for scansNarrow().
    const unsigned char* scan(const unsigned char* p, const unsigned char* end) const
    {
        const unsigned char a = m_first[0];
        const unsigned char b = m_first.size() > 1 ? m_first[1] : a;
        const qsizetype m = size();
        for (;; ++p) {
            p = find2(p, end, a, b);
            if (p == end || end - p < m)
                return end;
            if (matchesNarrow(p))
                return p;
        }
    }

    /// Start of the first occurrence at or after `from`, or -1.
    qsizetype forward(const LineText& t, qsizetype from) const
    {
        const qsizetype m = size();
        const qsizetype lastStart = t.size() - m;
        if (from > lastStart)
            return -1;
        if (t.isWide()) {
            for (qsizetype i = from; i <= lastStart; ++i) {
                if (matchesAt(t, i))
                    return i;
            }
            return -1;
        }
        if (m_first.empty())
            return -1; // no Latin-1 character folds to the first one
        const auto* base = reinterpret_cast<const unsigned char*>(t.latin1());
        const auto* end = base + lastStart + 1;
        const unsigned char a = m_first[0];
        const unsigned char b = m_first.size() > 1 ? m_first[1] : a;
        const bool two = m_first.size() <= 2;
        for (const unsigned char* p = base + from; p < end; ++p) {
            if (two) {
                p = find2(p, end, a, b);
                if (p == end)
                    return -1;
            } else if (m_fold[*p] != m_pattern[0]) {
                continue;
            }
            if (matchesNarrow(p))
                return p - base;
        }
        return -1;
    }

    /// Start of the last occurrence at or before `from`, or -1.
    qsizetype backward(const LineText& t, qsizetype from) const
    {
        qsizetype i = std::min(from, t.size() - size());
        for (; i >= 0; --i) {
            if (matchesAt(t, i))
                return i;
        }
        return -1;
    }

private:
    bool matchesNarrow(const unsigned char* p) const
    {
        for (size_t k = 1; k < m_pattern.size(); ++k) {
            if (m_fold[p[k]] != m_pattern[k])
                return false;
        }
        return true;
    }
    bool matchesAt(const LineText& t, qsizetype i) const
    {
        if (!t.isWide())
            return m_fold[static_cast<unsigned char>(t.latin1()[i])] == m_pattern[0]
                && matchesNarrow(reinterpret_cast<const unsigned char*>(t.latin1()) + i);
        const char16_t* u = t.utf16() + i;
        for (size_t k = 0; k < m_pattern.size(); ++k) {
            const char16_t c = m_caseSensitive ? u[k] : searchUpper(u[k]);
            if (c != m_pattern[k])
                return false;
        }
        return true;
    }

    std::vector<char16_t> m_pattern;
    std::array<char16_t, 256> m_fold;
    std::vector<unsigned char> m_first; ///< Latin-1 bytes that fold to the first character
    bool m_caseSensitive = false;
};

/// The word around an occurrence, extended to the nearest delimiters, must be exactly it.
bool isWholeWord(const LineText& t, qsizetype at, qsizetype length, const TCharSet& delimiters)
{
    qsizetype start = at;
    while (start > 0 && !delimiters.contains(t.at(start - 1)))
        --start;
    qsizetype end = at + length;
    while (end < t.size() && !delimiters.contains(t.at(end)))
        ++end;
    return end - start == length;
}


/// Searches the Latin-1 lines from `first` on whose texts lie one after another in memory, as
/// lines read from a file do (with at most a line break and blanks between them), in one
/// scan; a hit is then placed in its line. `last` receives the last line searched. Only for
/// a matcher that scansNarrow() and a narrow first line.
bool findInRun(const TLineStore& store, int first, const Matcher& matcher, bool wholeWords,
               const TCharSet& delimiters, TSearchPos& pos, int& last)
{
    // Bytes between two lines that the scan may read through; they stay inside the blocks
    // holding the two lines, so they are mapped.
    constexpr ptrdiff_t kMaxGap = 32;
    store.settle(); // records' texts are read directly
    const int count = int(store.count());
    const auto textOf = [&store](qsizetype i) { return static_cast<const unsigned char*>(store.rec(i).text); };
    const unsigned char* runStart = textOf(first);
    const unsigned char* runEnd = runStart ? runStart + store.rec(first).size() : nullptr;
    last = first;
    while (last + 1 < count) {
        const TLineRec& next = store.rec(last + 1);
        if (next.size() == 0) {
            ++last; // empty lines have no text and cannot hold a match
            continue;
        }
        const auto* text = static_cast<const unsigned char*>(next.text);
        if (!runEnd || next.wide() || text < runEnd || text - runEnd > kMaxGap)
            break;
        runEnd = text + next.size();
        ++last;
    }
    if (!runStart)
        return false;
    const qsizetype m = matcher.size();
    int at = first;
    for (const unsigned char* p = runStart; p < runEnd;) {
        const unsigned char* hit = matcher.scan(p, runEnd);
        if (hit == runEnd)
            return false;
        // The first line that ends after the hit holds it, unless it lies between lines.
        while (store.rec(at).size() == 0 || hit >= textOf(at) + store.rec(at).size())
            ++at;
        const unsigned char* lineStart = textOf(at);
        const unsigned char* lineEnd = lineStart + store.rec(at).size();
        if (hit < lineStart) {
            p = lineStart;
            continue;
        }
        if (hit + m > lineEnd) {
            p = hit + 1; // runs on past the line's end: no match
            continue;
        }
        if (!wholeWords || isWholeWord(store.text(at), hit - lineStart, m, delimiters)) {
            pos.Index = int(hit - lineStart + 1);
            pos.Line = at;
            return true;
        }
        // A failed first occurrence ends the search of this line.
        p = lineEnd;
    }
    return false;
}

} // namespace

bool findText(const TMemoSource& lines, TSearchOptions& options, TSearchPos& pos,
              const TCharSet& delimiters)
{
    const bool forward = options.Direction != sdBackward;
    const int count = lines.lineCount();
    qint64 index = pos.Index;
    int line = pos.Line;
    if (options.FirstSearch) {
        if (options.Origin == soEntireScope) {
            if (forward) {
                index = 1;
                line = 0;
            } else {
                line = count - 1;
                index = lines.lineLength(line);
            }
        }
        options.FirstSearch = false;
    }
    if (options.TextToFind.isEmpty())
        return false;
    const Matcher matcher(options.TextToFind, options.CaseSensitive);
    const qsizetype m = matcher.size();
    const TLineStore& store = lines.m_d->lines; // every line is read: no per-line call

    if (forward) {
        if (line < 0) {
            line = 0;
            index = 1;
        }
        index = std::max<qint64>(index, 1);
        for (; line < count; ++line, index = 1) {
            if (index == 1 && matcher.scansNarrow() && !store.rec(line).wide()) {
                int last = line;
                if (findInRun(store, line, matcher, options.WholeWordsOnly, delimiters, pos, last))
                    return true;
                line = last;
                continue;
            }
            const LineText t = store.text(line);
            if (t.size() < index)
                continue;
            const qsizetype at = matcher.forward(t, qsizetype(index - 1));
            if (at < 0)
                continue;
            // A failed first occurrence ends the search of this line.
            if (options.WholeWordsOnly && !isWholeWord(t, at, m, delimiters))
                continue;
            pos.Index = int(at + 1);
            pos.Line = line;
            return true;
        }
        return false;
    }
    if (line >= count) {
        line = count - 1;
        index = lines.lineLength(line);
    }
    for (bool first = true; line >= 0; --line, first = false) {
        const LineText t = store.text(line);
        if (!first)
            index = t.size();
        if (t.size() < index || index < 1)
            continue;
        const qsizetype at = matcher.backward(t, qsizetype(index - 1));
        if (at < 0)
            continue;
        if (options.WholeWordsOnly && !isWholeWord(t, at, m, delimiters))
            continue;
        pos.Index = int(at + 1);
        pos.Line = line;
        return true;
    }
    return false;
}

bool findNext(TMemoSource& storage)
{
    TSearchOptions& shared = searchOptions();
    TSearchOptions options = shared;
    options.Direction = sdForward;
    TSearchPos pos;
    pos.Index = storage.CaretX() + 1;
    pos.Line = storage.CaretY();
    const bool found = findText(storage, options, pos, storage.delimiterSet());
    shared.FirstSearch = options.FirstSearch;
    if (!found)
        return false;
    const int start = pos.Index - 1;
    const int end = start + int(options.TextToFind.size());
    storage.setSelection(smStream, start, pos.Line, end, pos.Line);
    storage.setCaret(end, pos.Line);
    return true;
}
