/** @file ColorRuleMatcher.cpp ** Finds the colour rule that starts at the tokenizer's position
 ** and consumes its span. **/
#include "colour/ColorRuleMatcher.h"

#include "colour/TRules.h"
#include "colour/customRules_utl.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using ColorRuleMatcherLanes = ColorRuleMatcher::ByteLanes;

namespace {

/// Only ASCII letters fold; rule texts are stored folded the same way.
inline char16_t fold(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

/// The line from `at` holds `text` (ASCII case folded); its first `known` characters are
/// already known to be equal.
template <typename Ch>
inline bool equalsFolded(const Ch* chars, qsizetype size, qsizetype at, const std::u16string& text,
                         size_t known = 0)
{
    const auto length = qsizetype(text.size());
    if (length > size - at)
        return false;
    for (qsizetype k = qsizetype(known); k < length; ++k) {
        if (fold(char16_t(chars[at + k])) != text[size_t(k)])
            return false;
    }
    return true;
}

#if defined(__SSE2__)
inline __m128i lane(const ColorRuleMatcherLanes& lanes, size_t i)
{
    return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes.lanes[i].data()));
}
#endif

#if defined(__SSE2__)
#if defined(__SANITIZE_ADDRESS__)
#define PM_CHECKED_READS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PM_CHECKED_READS 1
#endif
#endif

/// The 16 bytes at s + i, of which those at `size` and after are not to be used; `size` > 0.
inline __m128i load16(const unsigned char* s, qsizetype i, qsizetype size)
{
#if !defined(PM_CHECKED_READS)
    // A read that starts inside the line and stays inside one page cannot fault, whatever the
    // bytes past the line's end belong to. Blocks wholly past the end read the last byte's
    // block instead, as their bytes are not used. The address sanitizer would still count
    // such reads as overflows, so its builds take the copy below every time.
    const unsigned char* at = s + std::min(i, size - 1);
    if ((reinterpret_cast<uintptr_t>(at) & 4095) <= 4096 - 16)
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
#endif
    if (i >= size)
        return _mm_setzero_si128();
    if (size - i >= 16)
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    alignas(16) unsigned char tail[16] = {};
    std::memcpy(tail, s + i, size_t(size - i));
    return _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
}
#endif

#if defined(__SSE2__)
/// Bit k set where byte k of `x` is one of the first N bytes of `b`.
template <int N>
inline uint32_t blockMask(__m128i x, const __m128i* b)
{
    __m128i m = _mm_cmpeq_epi8(x, b[0]);
    for (int k = 1; k < N; ++k)
        m = _mm_or_si128(m, _mm_cmpeq_epi8(x, b[k]));
    return uint32_t(_mm_movemask_epi8(m));
}

template <int N>
inline qsizetype findBytesOf(const unsigned char* s, qsizetype from, qsizetype size,
                             const ColorRuleMatcherLanes& lanes)
{
    __m128i b[N];
    for (int k = 0; k < N; ++k)
        b[k] = lane(lanes, size_t(k));
    // 32 at a time: most spans and runs end within that, so the loop seldom turns.
    for (qsizetype i = from; i < size; i += 32) {
        __m128i x0;
        __m128i x1;
#if !defined(PM_CHECKED_READS)
        // As in load16: from inside the line and within one page.
        if ((reinterpret_cast<uintptr_t>(s + i) & 4095) <= 4096 - 32) {
            x0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 16));
        } else
#endif
        {
            x0 = load16(s, i, size);
            x1 = load16(s, i + 16, size);
        }
        const uint32_t mask = blockMask<N>(x0, b) | (blockMask<N>(x1, b) << 16);
        if (mask) {
            const qsizetype at = i + __builtin_ctz(mask);
            return at < size ? at : size;
        }
    }
    return size;
}
#endif

/// The first position in [from, size) holding one of the bytes of `lanes`, or `size`.
inline qsizetype findBytes(const unsigned char* s, qsizetype from, qsizetype size,
                           const ColorRuleMatcherLanes& lanes)
{
#if defined(__SSE2__)
    switch (lanes.count) {
    case 1:
        return findBytesOf<1>(s, from, size, lanes);
    case 2:
        return findBytesOf<2>(s, from, size, lanes);
    case 3:
        return findBytesOf<3>(s, from, size, lanes);
    default:
        return findBytesOf<4>(s, from, size, lanes);
    }
#else
    for (qsizetype i = from; i < size; ++i) {
        const uint8_t c = s[i];
        if (c == lanes.lanes[0][0] || c == lanes.lanes[1][0] || c == lanes.lanes[2][0]
            || c == lanes.lanes[3][0])
            return i;
    }
    return size;
#endif
}

/// borders[i]: length of the longest proper prefix of text[0..i] that is also its suffix.
std::vector<int32_t> prefixFunction(const std::u16string& text)
{
    std::vector<int32_t> borders(text.size(), 0);
    for (size_t i = 1; i < text.size(); ++i) {
        int32_t k = borders[i - 1];
        while (k > 0 && text[i] != text[size_t(k)])
            k = borders[size_t(k) - 1];
        if (text[i] == text[size_t(k)])
            ++k;
        borders[i] = k;
    }
    return borders;
}

/// Linear search for the first place at or after `from` where `text` stands (ASCII case
/// folded); -1 when there is none. `borders` is the prefix function of `text`.
template <typename Ch>
qsizetype findFolded(const Ch* chars, qsizetype from, qsizetype size, const std::u16string& text,
                     const std::vector<int32_t>& borders)
{
    const auto length = qsizetype(text.size());
    qsizetype k = 0;
    for (qsizetype i = from; i < size; ++i) {
        const char16_t c = fold(char16_t(chars[i]));
        while (k > 0 && text[size_t(k)] != c)
            k = borders[size_t(k) - 1];
        if (text[size_t(k)] == c)
            ++k;
        if (k == length)
            return i - length + 1;
    }
    return -1;
}

/// The first place at or after `from` where the short `text` stands (ASCII case folded), or -1.
template <typename Ch>
qsizetype findShortFolded(const Ch* chars, qsizetype from, qsizetype size,
                          const std::u16string& text)
{
    const char16_t first = text.front();
    const qsizetype last = size - qsizetype(text.size());
    for (qsizetype q = from; q <= last; ++q) {
        if (fold(char16_t(chars[q])) == first && equalsFolded(chars, size, q, text, 1))
            return q;
    }
    return -1;
}

/// findShortFolded for a Latin-1 line, where `firsts` holds the text's first character in
/// both cases.
inline qsizetype findShortLatin1(const unsigned char* chars, qsizetype from, qsizetype size,
                                 const std::u16string& text, const ColorRuleMatcherLanes& firsts)
{
    const qsizetype last = size - qsizetype(text.size());
    for (qsizetype q = from; q <= last; ++q) {
        q = findBytes(chars, q, last + 1, firsts);
        if (q > last)
            return -1;
        if (equalsFolded(chars, size, q, text, 1))
            return q;
    }
    return -1;
}

/// Marks every place in the line where `text` stands, overlapping ones included, in one pass.
template <typename Ch>
void markFolded(const Ch* chars, qsizetype size, const std::u16string& text,
                const std::vector<int32_t>& borders, std::vector<uint8_t>& marks)
{
    marks.assign(size_t(size), 0);
    const auto length = qsizetype(text.size());
    qsizetype k = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = fold(char16_t(chars[i]));
        while (k > 0 && text[size_t(k)] != c)
            k = borders[size_t(k) - 1];
        if (text[size_t(k)] == c)
            ++k;
        if (k == length) {
            marks[size_t(i - length + 1)] = 1;
            k = borders[size_t(k) - 1];
        }
    }
}

} // namespace

void ColorRuleMatcher::ByteLanes::set(const uint8_t* bytes, int count)
{
    this->count = count;
    for (size_t i = 0; i < lanes.size(); ++i)
        lanes[i].fill(bytes[int(i) < count ? i : 0]);
}

ColorRuleMatcher::ColorRuleMatcher(TDCParser& parser, const TRules& rules)
    : m_parser(parser), m_rules(rules)
{
    m_parser.registerHandler({ 0 }, &ColorRuleMatcher::call, this, TDCParser::TCharSet::all());
    m_parser.registerHandler({ kOpenSpanState }, &ColorRuleMatcher::call, this,
                             TDCParser::TCharSet::all());
    m_parser.registerLineRoutine(&ColorRuleMatcher::call, this, &ColorRuleMatcher::callLine);
}

ColorRuleMatcher::ColorRuleMatcher(TDCParser& parser) : ColorRuleMatcher(parser, colorRules) { }

int32_t ColorRuleMatcher::call(void* owner, TDCParser& parser)
{
    Q_UNUSED(parser);
    return static_cast<ColorRuleMatcher*>(owner)->colorRuleToken();
}

bool ColorRuleMatcher::callLine(void* owner, TDCParser& parser, uint8_t* colorData)
{
    auto* self = static_cast<ColorRuleMatcher*>(owner);
    self->rebuildIfStale();
    const LineText& line = parser.line();
    if (line.isWide())
        return self->colourLine(line.utf16(), line.size(), colorData);
    return self->colourLine(reinterpret_cast<const unsigned char*>(line.latin1()), line.size(),
                            colorData);
}

void ColorRuleMatcher::rebuild()
{
    m_compiled.clear();
    m_byFirstWide.clear();
    std::array<std::vector<uint32_t>, 256> byFirst;
    for (qsizetype i = 0; i < m_rules.count(); ++i) {
        const TRule& rule = m_rules.at(i);
        if (rule.OpenTag().isEmpty())
            continue;
        const auto index = uint32_t(m_compiled.size());
        Compiled compiled{ rule.OpenTag().toStdU16String(), rule.CloseTag().toStdU16String(),
                           rule.StyleIndex(), {}, {}, {}, 0, {}, false };
        compiled.closeBorders = prefixFunction(compiled.close);
        if (!compiled.close.empty() && compiled.close.front() <= 0xFF) {
            const char16_t first = compiled.close.front();
            const bool letter = first >= u'a' && first <= u'z';
            const uint8_t both[2] = { uint8_t(first), uint8_t(first - 32) };
            compiled.closeFirst.set(both, letter ? 2 : 1);
            compiled.shortLatin1Close = compiled.close.size() <= kLongClosing;
        }
        if (compiled.open.size() > kLongOpening)
            compiled.openBorders = prefixFunction(compiled.open);
        m_compiled.push_back(std::move(compiled));
        const std::u16string& open = m_compiled.back().open;
        if (open.front() < 256)
            byFirst[open.front()].push_back(index);
        else
            m_byFirstWide[open.front()].push_back(
                { index, open.size() > 1 ? open[1] : char16_t(0) });
    }

    m_groups.clear();
    m_candidates.clear();
    m_groupOf.fill(-1);
    for (size_t first = 0; first < 256; ++first) {
        if (byFirst[first].empty())
            continue;
        m_groupOf[first] = int16_t(m_groups.size());
        FirstGroup group;
        for (size_t k = 0; k <= kLineEnds; ++k) {
            group.offsets[k] = uint32_t(m_candidates.size());
            for (uint32_t index : byFirst[first]) {
                const std::u16string& open = m_compiled[index].open;
                const bool fits = open.size() == 1
                    || (k < kWideSecond && open[1] == k)
                    || (k == kWideSecond && open[1] >= 256);
                if (fits)
                    m_candidates.push_back(index);
            }
            const size_t known = k == kWideSecond ? 1 : 2;
            if (group.offsets[k] == m_candidates.size())
                group.decided[k] = kNone;
            else if (m_compiled[m_candidates[group.offsets[k]]].open.size() <= known)
                group.decided[k] = int32_t(m_candidates[group.offsets[k]]);
            else
                group.decided[k] = kCheck;
        }
        group.offsets[kLineEnds + 1] = uint32_t(m_candidates.size());
        m_groups.push_back(group);
    }

    m_startCount = 0;
    for (size_t c = 0; c < 256; ++c) {
        m_groupOfByte[c] = m_groupOf[fold(char16_t(c))];
        m_foldByte[c] = uint8_t(fold(char16_t(c)));
        m_canStart[c] = m_groupOf[fold(char16_t(c))] >= 0;
        if (m_canStart[c]) {
            if (m_startCount < kFewStarts)
                m_starts[size_t(m_startCount)] = uint8_t(c);
            ++m_startCount;
        }
    }
    if (m_startCount > 0 && m_startCount <= kFewStarts)
        m_startLanes.set(m_starts.data(), m_startCount);
    m_builtGeneration = m_rules.generation();
    m_built = true;
}

template <typename Ch>
bool ColorRuleMatcher::opensAt(Compiled& rule, const Ch* chars, qsizetype size, qsizetype p,
                               size_t known)
{
    if (rule.open.size() <= known)
        return true;
    if (rule.openBorders.empty())
        return equalsFolded(chars, size, p, rule.open, known);
    if (rule.matchesPass != m_parser.passNumber()) {
        markFolded(chars, size, rule.open, rule.openBorders, rule.matchesAt);
        rule.matchesPass = m_parser.passNumber();
    }
    return rule.matchesAt[size_t(p)] != 0;
}

template <typename Ch>
const ColorRuleMatcher::Compiled* ColorRuleMatcher::ruleAt(const Ch* chars, qsizetype size,
                                                           qsizetype p)
{
    if constexpr (sizeof(Ch) == 1)
        return ruleAtLatin1(chars, size, p);
    const char16_t first = fold(char16_t(chars[p]));
    if (first < 256) {
        const int16_t group = m_groupOf[first];
        if (group < 0)
            return nullptr;
        size_t k = kLineEnds;
        if (p + 1 < size) {
            const char16_t second = fold(char16_t(chars[p + 1]));
            k = second < 256 ? size_t(second) : kWideSecond;
        }
        const FirstGroup& candidates = m_groups[size_t(group)];
        const int32_t decided = candidates.decided[k];
        if (decided != kCheck)
            return decided >= 0 ? &m_compiled[size_t(decided)] : nullptr;
        // The candidates of a Latin-1 second character share it; a wide one is compared again.
        const size_t known = k == kWideSecond ? 1 : 2;
        const auto& offsets = candidates.offsets;
        for (uint32_t i = offsets[k]; i < offsets[k + 1]; ++i) {
            Compiled& rule = m_compiled[m_candidates[i]];
            if (opensAt(rule, chars, size, p, known))
                return &rule;
        }
        return nullptr;
    }
    const auto found = m_byFirstWide.constFind(first);
    if (found == m_byFirstWide.cend())
        return nullptr;
    const char16_t second = p + 1 < size ? fold(char16_t(chars[p + 1])) : char16_t(0);
    for (const Candidate& candidate : found.value()) {
        if (candidate.second != 0 && candidate.second != second)
            continue;
        Compiled& rule = m_compiled[candidate.index];
        if (opensAt(rule, chars, size, p, candidate.second != 0 ? 2 : 1))
            return &rule;
    }
    return nullptr;
}

const ColorRuleMatcher::Compiled* ColorRuleMatcher::ruleAtLatin1(const unsigned char* chars,
                                                                qsizetype size, qsizetype p)
{
    const int16_t group = m_groupOfByte[chars[p]];
    if (group < 0)
        return nullptr;
    const size_t k = p + 1 < size ? m_foldByte[chars[p + 1]] : kLineEnds;
    const FirstGroup& candidates = m_groups[size_t(group)];
    const int32_t decided = candidates.decided[k];
    if (decided != kCheck)
        return decided >= 0 ? &m_compiled[size_t(decided)] : nullptr;
    const auto& offsets = candidates.offsets;
    for (uint32_t i = offsets[k]; i < offsets[k + 1]; ++i) {
        Compiled& rule = m_compiled[m_candidates[i]];
        if (opensAt(rule, chars, size, p, 2))
            return &rule;
    }
    return nullptr;
}

template <typename Ch>
qsizetype ColorRuleMatcher::spanEnd(const Compiled& rule, const Ch* chars, qsizetype size,
                                    qsizetype p, int32_t& state) const
{
    state = 0;
    if (rule.close.empty())
        return p + qsizetype(rule.open.size());
    // The closing text is looked for from the opening text itself, so a rule that closes with
    // its own opening text spans only that text.
    qsizetype q;
    if (rule.close.size() > kLongClosing)
        q = findFolded(chars, p, size, rule.close, rule.closeBorders);
    else if constexpr (sizeof(Ch) == 1)
        q = rule.shortLatin1Close
            ? findShortLatin1(chars, p, size, rule.close, rule.closeFirst)
            : -1; // it starts above Latin-1
    else
        q = findShortFolded(chars, p, size, rule.close);
    if (q >= 0)
        return q + qsizetype(rule.close.size());
    state = kOpenSpanState;
    return size;
}

template <typename Ch>
qsizetype ColorRuleMatcher::nextStart(const Ch* chars, qsizetype from, qsizetype size) const
{
    if constexpr (sizeof(Ch) == 1) {
        if (m_startCount == 0)
            return size;
        if (m_startCount <= kFewStarts)
            return findBytes(chars, from, size, m_startLanes);
        for (; from < size; ++from) {
            if (m_canStart[chars[from]])
                return from;
        }
        return size;
    } else {
        const bool wideStarts = !m_byFirstWide.isEmpty();
        for (; from < size; ++from) {
            const auto c = char16_t(chars[from]);
            if (c < 256 ? m_canStart[c] : wideStarts && m_byFirstWide.contains(c))
                return from;
        }
        return size;
    }
}

template <typename Ch>
int32_t ColorRuleMatcher::match(const Ch* chars, qsizetype size)
{
    const qsizetype p = m_parser.position();
    const Compiled* rule = ruleAt(chars, size, p);
    if (!rule) {
        // While state 0 is ours alone, each character of a run where no rule can start would
        // come back here and get kNoRule in state 0: taking the run at once paints the same.
        const bool ours = m_parser.handlesWholly(0, &ColorRuleMatcher::call, this);
        m_parser.setPosition(ours ? nextStart(chars, p + 1, size) : p + 1);
        m_parser.setState(0);
        return kNoRule;
    }
    int32_t state = 0;
    m_parser.setPosition(spanEnd(*rule, chars, size, p, state));
    m_parser.setState(state);
    return rule->styleIndex;
}

template <typename Ch>
bool ColorRuleMatcher::colourLine(const Ch* chars, qsizetype size, uint8_t* colors)
{
    // Inside the line every span leaves state 0; only one that runs to the end leaves 10.
    const bool ours = m_parser.handlesWholly(0, &ColorRuleMatcher::call, this);
    qsizetype p = m_parser.position();
    int32_t state = m_parser.state();
    // Characters no rule takes are painted with kNoRule's low byte: paint them all now and
    // the rules' spans over them.
    constexpr auto kNoRulePaint = uint8_t(kNoRule & 0xFF);
    std::memset(colors + p, kNoRulePaint, size_t(size - p));
    for (;;) {
        qsizetype end;
        if (const Compiled* rule = ruleAt(chars, size, p)) {
            end = spanEnd(*rule, chars, size, p, state);
            if (rule->styleIndex == 0) {
                // Token 0 ends the pass: its span and the rest of the line stay unwritten.
                std::memset(colors + p, 0, size_t(size - p));
                m_parser.setPosition(end);
                m_parser.setState(state);
                return true;
            }
            const uint8_t paint = rule->styleIndex == -1 ? 0 : uint8_t(rule->styleIndex & 0xFF);
            if (paint != kNoRulePaint)
                std::memset(colors + p, paint, size_t(end - p));
        } else {
            end = ours ? nextStart(chars, p + 1, size) : p + 1;
            state = 0;
        }
        p = end;
        if (p < size && m_parser.stopsAt(p)) {
            std::memset(colors + p, 0, size_t(size - p));
            m_parser.setPosition(p);
            m_parser.setState(state);
            return true;
        }
        if (p >= size || !ours) {
            if (p < size)
                std::memset(colors + p, 0, size_t(size - p));
            m_parser.setPosition(p);
            m_parser.setState(state);
            return p >= size;
        }
    }
}

int32_t ColorRuleMatcher::colorRuleToken()
{
    rebuildIfStale();
    const LineText& line = m_parser.line();
    if (line.isWide())
        return match(line.utf16(), line.size());
    return match(reinterpret_cast<const unsigned char*>(line.latin1()), line.size());
}
