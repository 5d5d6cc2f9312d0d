/** @file TDCParser.h ** The table-driven tokenizer that colours one line for the text storage. **/
#pragma once

#include "editor/LineText.h"

#include <QList>
#include <QStringView>
#include <array>
#include <bitset>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

/// Per state a table of handlers by character; the line pass calls the handler of the character
/// at the current position and paints the span it consumed with the low byte of its result.
class TDCParser
{
public:
    /// Reads and moves the parser's position and may set its state. The result is the token:
    /// 0 ends the line pass, -1 means no token (its span is not painted), anything else paints
    /// the span with its low 8 bits.
    using Routine = int32_t (*)(void* owner, TDCParser& parser);
    /// Colours a stretch of the line at once, painting `colorData` itself; see
    /// registerLineRoutine. Returns true when the line pass is over.
    using LineRoutine = bool (*)(void* owner, TDCParser& parser, uint8_t* colorData);

    /// Characters a handler is registered for. Characters above U+00FF share one entry.
    struct TCharSet {
        std::bitset<256> latin1;
        bool wide = false;
        static TCharSet all();
        static TCharSet of(QStringView chars);
    };

    /// Writes the handler into the entry of every character of `chars` in the table of every
    /// listed state, creating the tables of all states up to the highest one first.
    /// Negative states have no table and are ignored.
    void registerHandler(const QList<int32_t>& states, Routine routine, void* owner,
                         const TCharSet& chars);

    /// Lets the line pass hand stretches of a line to `line` while the current state's table
    /// holds (routine, owner) in every entry. `line` is called at a token boundary before the
    /// line's end; it must leave the colour data, the position and the state as calling
    /// `routine` token by token would, given colour data that comes zero-filled as the parse
    /// event promises (so it may write zeros where the tokens write nothing). It returns true
    /// when the pass is over (the line's end, a token 0, or stopsAt()), or false at a token
    /// boundary in a state not wholly handled by (routine, owner), with the colour data from
    /// there on zero.
    void registerLineRoutine(Routine routine, void* owner, LineRoutine line);

    /// True when every entry of the state's table, wide characters included, holds
    /// (routine, owner).
    bool handlesWholly(int32_t state, Routine routine, const void* owner) const
    {
        if (state < 0 || size_t(state) >= m_whole.size())
            return false;
        const Whole& whole = m_whole[size_t(state)];
        return whole.handler.routine == routine && whole.handler.owner == owner;
    }

    /// The line pass. `AColorData` holds StrData.size() bytes. Returns the end state.
    int32_t parseLine(const LineText& StrData, int32_t InitState, uint8_t* AColorData);
    /// The line pass over a stretch of a long line (see TOnParseSyntaxFromEvent): it stops at
    /// a token boundary at or after `stopAt`, or where the pass ends (then `stoppedAt` is
    /// StrData.size()). Handlers look only forward, so a stretch begun at a boundary with the
    /// state there colours as the pass over the whole line does, up to where it was cut off.
    int32_t parseFrom(const LineText& StrData, int32_t InitState, uint8_t* AColorData,
                      qsizetype stopAt, qsizetype& stoppedAt);

    /// An `OnParseSyntax` handler for the text storage; the parser must outlive it.
    TOnParseSyntaxEvent parseSyntaxEvent();
    /// The storage's handler for long lines, by parseFrom.
    TOnParseSyntaxFromEvent parseSyntaxFromEvent();

    // For handlers, valid during a pass.
    const LineText& line() const { return *m_line; }
    /// invariant during a pass: m_tokenStart <= m_position <= line().size()
    qsizetype position() const { return m_position; }
    void setPosition(qsizetype position) { m_position = position; }
    qsizetype tokenStart() const { return m_tokenStart; }
    int32_t state() const { return m_state; }
    void setState(int32_t state) { m_state = state; }
    /// Grows with every line pass, so a handler can tell when its per-line caches are stale.
    uint64_t passNumber() const { return m_passNumber; }
    /// A line routine asks this at each token boundary `p` before the line's end: true when
    /// the pass stops there (parseFrom), leaving position and state to the routine.
    bool stopsAt(qsizetype p)
    {
        if (p < m_stopAt)
            return false;
        m_stoppedEarly = true;
        return true;
    }

private:
    struct Handler {
        Routine routine = nullptr;
        void* owner = nullptr;
    };
    static constexpr size_t kWideEntry = 256;
    using Table = std::array<Handler, 257>;

    template <typename Ch>
    int32_t nextToken(const Ch* chars, qsizetype size);
    template <typename Ch>
    void run(const Ch* chars, qsizetype size, uint8_t* colorData);

    /// Index = state number; every state up to the highest registered one has a table.
    std::vector<std::unique_ptr<Table>> m_tables;

    struct LineHandler {
        Handler handler;
        LineRoutine line;
    };
    std::vector<LineHandler> m_lineRoutines;
    /// By state, beside m_tables: the handler held by every entry of the table (empty when the
    /// entries differ) and its line routine, if one was registered for it.
    struct Whole {
        Handler handler;
        LineRoutine line = nullptr;
    };
    std::vector<Whole> m_whole;
    void updateWhole();

    const LineText* m_line = nullptr;
    int32_t m_state = 0;
    qsizetype m_position = 0;
    qsizetype m_tokenStart = 0;
    int32_t m_token = -1; ///< -1: no token found yet
    uint64_t m_passNumber = 0;
    qsizetype m_stopAt = std::numeric_limits<qsizetype>::max(); ///< during parseFrom only
    bool m_stoppedEarly = false;
};
