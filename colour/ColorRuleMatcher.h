/** @file ColorRuleMatcher.h ** Finds the colour rule that starts at the tokenizer's position and
 ** consumes its span. **/
#pragma once

#include "colour/TDCParser.h"
#include "colour/TRules.h"

#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <vector>


/// Owned by a document window beside its tokenizer. Registers itself for every character in
/// states 0 and 10 and reads the rules at parse time, so a change made in the rules dialog
/// colours the next parsed line. It must stay the only handler of those two states: a run of
/// characters where no rule can start is taken as one token, which colours exactly as taking
/// them one by one does only while every character comes back to this matcher.
class ColorRuleMatcher
{
public:
    /// Style index returned where no rule starts; its low byte (255) is painted as style 0.
    static constexpr int32_t kNoRule = 0x7FFFFFFF;
    /// State of a line that ended inside a rule whose closing text was not found.
    static constexpr int32_t kOpenSpanState = 10;

    /// `parser` and `rules` must outlive the matcher.
    explicit ColorRuleMatcher(TDCParser& parser, const TRules& rules);
    explicit ColorRuleMatcher(TDCParser& parser);

    /// The handler: matches at the parser's position, moves it past the span, sets the state.
    int32_t colorRuleToken();

private:
    /// Opening texts longer than this are found once per line with a linear search instead of
    /// being compared at every candidate position, which could take length x line time.
    static constexpr size_t kLongOpening = 32;
    /// Closing texts up to this length are looked for by their first character and compared;
    /// longer ones with a linear search, for the same reason.
    static constexpr size_t kLongClosing = 16;

    struct Compiled {
        std::u16string open;
        std::u16string close;
        int32_t styleIndex;
        std::vector<int32_t> closeBorders; ///< prefix function of `close`
        std::vector<int32_t> openBorders;  ///< prefix function of `open`, long openings only
        /// Long openings: where the opening text starts in the line of pass `matchesPass`.
        std::vector<uint8_t> matchesAt;
        uint64_t matchesPass = 0;
    };

    static int32_t call(void* owner, TDCParser& parser);
    void rebuildIfStale()
    {
        if (!m_built || m_builtGeneration != m_rules.generation())
            rebuild();
    }
    void rebuild();
    template <typename Ch>
    bool opensAt(Compiled& rule, const Ch* chars, qsizetype size, qsizetype p);
    template <typename Ch>
    int32_t match(const Ch* chars, qsizetype size);

    TDCParser& m_parser;
    const TRules& m_rules;
    /// Rules with a non-empty opening text, in list order. A rule with an empty opening text
    /// would match everywhere without consuming anything, so it never matches.
    std::vector<Compiled> m_compiled;
    struct Candidate {
        uint32_t index;   ///< into m_compiled
        char16_t second;  ///< the opening's second character, or 0 for a one-character opening
    };
    /// Rules by the first character of the opening text, in list order: only these rules can
    /// match where that character (ASCII-lowered) stands.
    std::array<std::vector<Candidate>, 256> m_byFirstLatin1;
    QHash<char16_t, std::vector<Candidate>> m_byFirstWide;
    /// By the line's own character (not folded): true when some rule can start there.
    /// invariant: m_canStart[c] == !m_byFirstLatin1[fold(c)].empty()
    std::array<bool, 256> m_canStart {};
    uint64_t m_builtGeneration = 0;
    bool m_built = false;
};
