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
/// colours the next parsed line. While it alone handles a state it colours whole stretches of
/// the line itself and takes a run of characters where no rule can start as one token; both
/// colour exactly as taking the characters one by one does only while every character comes
/// back to this matcher, so a handler registered beside it turns them off.
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

    /// Up to four bytes, each repeated in 16 lanes, to compare 16 characters with at once.
    /// Public only for the search helpers beside the class.
    struct ByteLanes {
        /// invariant: places from `count` on repeat the first byte
        alignas(16) std::array<std::array<uint8_t, 16>, 4> lanes {};
        int count = 0;
        void set(const uint8_t* bytes, int count);
    };

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
        /// Short closing texts that start with a Latin-1 character: that character, both
        /// cases of it when it is a letter.
        ByteLanes closeFirst;
        /// The closing text is no longer than kLongClosing and starts with a Latin-1
        /// character, so that closeFirst holds it.
        bool shortLatin1Close = false;
    };

    static int32_t call(void* owner, TDCParser& parser);
    static bool callLine(void* owner, TDCParser& parser, uint8_t* colorData);
    void rebuildIfStale()
    {
        if (!m_built || m_builtGeneration != m_rules.generation())
            rebuild();
    }
    void rebuild();
    /// `known`: how many leading characters are already known to be equal.
    template <typename Ch>
    Q_ALWAYS_INLINE bool opensAt(Compiled& rule, const Ch* chars, qsizetype size, qsizetype p,
                                 size_t known);
    /// The first rule in list order whose opening text stands at `p`, or null.
    template <typename Ch>
    Q_ALWAYS_INLINE const Compiled* ruleAt(const Ch* chars, qsizetype size, qsizetype p);
    /// Where the span of `rule` opened at `p` ends, and the state it leaves.
    template <typename Ch>
    Q_ALWAYS_INLINE qsizetype spanEnd(const Compiled& rule, const Ch* chars, qsizetype size,
                                      qsizetype p, int32_t& state) const;
    /// ruleAt for a line of Latin-1 bytes.
    Q_ALWAYS_INLINE const Compiled* ruleAtLatin1(const unsigned char* chars, qsizetype size,
                                                 qsizetype p);
    /// The first position in [from, size) where some rule can start, or `size`.
    template <typename Ch>
    Q_ALWAYS_INLINE qsizetype nextStart(const Ch* chars, qsizetype from, qsizetype size) const;
    /// colorRuleToken on the line's characters.
    template <typename Ch>
    int32_t match(const Ch* chars, qsizetype size);
    /// The line routine (see TDCParser::registerLineRoutine): paints the characters no rule
    /// takes first, then each rule's span over them.
    template <typename Ch>
    bool colourLine(const Ch* chars, qsizetype size, uint8_t* colors);

    TDCParser& m_parser;
    const TRules& m_rules;
    /// Rules with a non-empty opening text, in list order. A rule with an empty opening text
    /// would match everywhere without consuming anything, so it never matches.
    std::vector<Compiled> m_compiled;
    struct Candidate {
        uint32_t index;   ///< into m_compiled
        char16_t second;  ///< the opening's second character, or 0 for a one-character opening
    };
    /// Rules whose opening starts with one Latin-1 character (ASCII-lowered), split by what
    /// follows it: m_candidates[offsets[k] .. offsets[k + 1]) are, in list order, the rules that
    /// can open where the next character, ASCII-lowered, is k (0 to 255), is above Latin-1
    /// (kWideSecond) or where the line ends after the first character (kLineEnds).
    static constexpr size_t kWideSecond = 256;
    static constexpr size_t kLineEnds = 257;
    struct FirstGroup {
        std::array<uint32_t, 259> offsets;
        /// By the same k: the index into m_compiled of the rule that opens there for certain
        /// (its opening text is no longer than what k already tells), kCheck when candidates
        /// must be compared, kNone when there are none.
        std::array<int32_t, 258> decided;
    };
    static constexpr int32_t kCheck = -2;
    static constexpr int32_t kNone = -1;
    std::vector<FirstGroup> m_groups;
    std::vector<uint32_t> m_candidates; ///< indexes into m_compiled
    /// By the ASCII-lowered first character: index into m_groups, or -1 when no rule starts so.
    std::array<int16_t, 256> m_groupOf {};
    /// Rules by a first character above Latin-1, in list order.
    QHash<char16_t, std::vector<Candidate>> m_byFirstWide;
    /// m_groupOf and fold() by the line's own byte.
    std::array<int16_t, 256> m_groupOfByte {};
    std::array<uint8_t, 256> m_foldByte {};
    /// By the line's own character (not folded): true when some rule can start there.
    /// invariant: m_canStart[c] == (m_groupOf[fold(c)] >= 0)
    std::array<bool, 256> m_canStart {};
    /// The bytes where m_canStart holds, when there are at most kFewStarts of them, so that a
    /// run where no rule can start is skipped by comparing many bytes at once.
    /// m_startCount > kFewStarts: too many, m_starts unused.
    static constexpr int kFewStarts = 4;
    std::array<uint8_t, kFewStarts> m_starts {};
    int m_startCount = 0;
    ByteLanes m_startLanes; ///< m_starts, when m_startCount <= kFewStarts
    uint64_t m_builtGeneration = 0;
    bool m_built = false;
};
