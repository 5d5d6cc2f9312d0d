/** @file ColorRuleMatcher.cpp ** Finds the colour rule that starts at the tokenizer's position
 ** and consumes its span. **/
#include "colour/ColorRuleMatcher.h"

#include "colour/TRules.h"
#include "colour/customRules_utl.h"

#include <cstring>

namespace {

/// Only ASCII letters fold; rule texts are stored folded the same way.
inline char16_t fold(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

template <typename Ch>
inline bool equalsFolded(const Ch* chars, qsizetype size, qsizetype at, const std::u16string& text)
{
    const auto length = qsizetype(text.size());
    if (length > size - at)
        return false;
    for (qsizetype k = 0; k < length; ++k) {
        if (fold(char16_t(chars[at + k])) != text[size_t(k)])
            return false;
    }
    return true;
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
    const bool letter = first >= u'a' && first <= u'z';
    const qsizetype last = size - qsizetype(text.size());
    for (qsizetype q = from; q <= last; ++q) {
        if constexpr (sizeof(Ch) == 1) {
            // Most closing texts start with punctuation: let memchr run to the next candidate.
            if (!letter) {
                if (first > 0xFF)
                    return -1;
                const void* hit = std::memchr(chars + q, int(first), size_t(last - q + 1));
                if (!hit)
                    return -1;
                q = static_cast<const Ch*>(hit) - chars;
            }
        }
        if (fold(char16_t(chars[q])) == first && equalsFolded(chars, size, q, text))
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

ColorRuleMatcher::ColorRuleMatcher(TDCParser& parser, const TRules& rules)
    : m_parser(parser), m_rules(rules)
{
    m_parser.registerHandler({ 0 }, &ColorRuleMatcher::call, this, TDCParser::TCharSet::all());
    m_parser.registerHandler({ kOpenSpanState }, &ColorRuleMatcher::call, this,
                             TDCParser::TCharSet::all());
}

ColorRuleMatcher::ColorRuleMatcher(TDCParser& parser) : ColorRuleMatcher(parser, colorRules) { }

int32_t ColorRuleMatcher::call(void* owner, TDCParser& parser)
{
    Q_UNUSED(parser);
    return static_cast<ColorRuleMatcher*>(owner)->colorRuleToken();
}

void ColorRuleMatcher::rebuild()
{
    m_compiled.clear();
    for (auto& bucket : m_byFirstLatin1)
        bucket.clear();
    m_byFirstWide.clear();
    for (qsizetype i = 0; i < m_rules.count(); ++i) {
        const TRule& rule = m_rules.at(i);
        if (rule.OpenTag().isEmpty())
            continue;
        const auto index = uint32_t(m_compiled.size());
        Compiled compiled{ rule.OpenTag().toStdU16String(), rule.CloseTag().toStdU16String(),
                           rule.StyleIndex(), {}, {}, {}, 0 };
        compiled.closeBorders = prefixFunction(compiled.close);
        if (compiled.open.size() > kLongOpening)
            compiled.openBorders = prefixFunction(compiled.open);
        m_compiled.push_back(std::move(compiled));
        const std::u16string& open = m_compiled.back().open;
        const Candidate candidate{ index, open.size() > 1 ? open[1] : char16_t(0) };
        if (open.front() < 256)
            m_byFirstLatin1[open.front()].push_back(candidate);
        else
            m_byFirstWide[open.front()].push_back(candidate);
    }
    for (size_t c = 0; c < 256; ++c)
        m_canStart[c] = !m_byFirstLatin1[fold(char16_t(c))].empty();
    m_builtGeneration = m_rules.generation();
    m_built = true;
}

template <typename Ch>
bool ColorRuleMatcher::opensAt(Compiled& rule, const Ch* chars, qsizetype size, qsizetype p)
{
    if (rule.openBorders.empty())
        return equalsFolded(chars, size, p, rule.open);
    if (rule.matchesPass != m_parser.passNumber()) {
        markFolded(chars, size, rule.open, rule.openBorders, rule.matchesAt);
        rule.matchesPass = m_parser.passNumber();
    }
    return rule.matchesAt[size_t(p)] != 0;
}

template <typename Ch>
int32_t ColorRuleMatcher::match(const Ch* chars, qsizetype size)
{
    const qsizetype p = m_parser.position();
    const char16_t first = fold(char16_t(chars[p]));
    const std::vector<Candidate>* candidates = nullptr;
    if (first < 256) {
        candidates = &m_byFirstLatin1[first];
    } else {
        const auto found = m_byFirstWide.constFind(first);
        if (found != m_byFirstWide.cend())
            candidates = &found.value();
    }

    const Compiled* rule = nullptr;
    if (candidates) {
        // The second character rules out most candidates before the whole text is compared.
        const char16_t second = p + 1 < size ? fold(char16_t(chars[p + 1])) : char16_t(0);
        for (const Candidate& candidate : *candidates) {
            if (candidate.second != 0 && candidate.second != second)
                continue;
            if (opensAt(m_compiled[candidate.index], chars, size, p)) {
                rule = &m_compiled[candidate.index];
                break;
            }
        }
    }

    if (!rule) {
        // Characters where no rule can start would each come back here and get kNoRule in
        // state 0; taking the run at once paints them the same.
        qsizetype end = p + 1;
        for (; end < size; ++end) {
            const auto c = char16_t(chars[end]);
            if (c < 256 ? m_canStart[c] : m_byFirstWide.contains(c))
                break;
        }
        m_parser.setPosition(end);
        m_parser.setState(0);
        return kNoRule;
    }
    if (rule->close.empty()) {
        m_parser.setPosition(p + qsizetype(rule->open.size()));
        m_parser.setState(0);
        return rule->styleIndex;
    }
    // The closing text is looked for from the opening text itself, so a rule that closes with
    // its own opening text spans only that text.
    const qsizetype q = rule->close.size() > kLongClosing
        ? findFolded(chars, p, size, rule->close, rule->closeBorders)
        : findShortFolded(chars, p, size, rule->close);
    if (q >= 0) {
        m_parser.setPosition(q + qsizetype(rule->close.size()));
        m_parser.setState(0);
        return rule->styleIndex;
    }
    m_parser.setPosition(size);
    m_parser.setState(kOpenSpanState);
    return rule->styleIndex;
}

int32_t ColorRuleMatcher::colorRuleToken()
{
    rebuildIfStale();
    const LineText& line = m_parser.line();
    if (line.isWide())
        return match(line.utf16(), line.size());
    return match(reinterpret_cast<const unsigned char*>(line.latin1()), line.size());
}
