/** @file TDCParser.h ** The table-driven tokenizer that colours one line for the text storage. **/
#pragma once

#include "editor/LineText.h"

#include <QList>
#include <QStringView>
#include <array>
#include <bitset>
#include <cstdint>
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

    /// The line pass. `AColorData` holds StrData.size() bytes. Returns the end state.
    int32_t parseLine(const LineText& StrData, int32_t InitState, uint8_t* AColorData);

    /// An `OnParseSyntax` handler for the text storage; the parser must outlive it.
    TOnParseSyntaxEvent parseSyntaxEvent();

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

    const LineText* m_line = nullptr;
    int32_t m_state = 0;
    qsizetype m_position = 0;
    qsizetype m_tokenStart = 0;
    int32_t m_token = -1; ///< -1: no token found yet
    uint64_t m_passNumber = 0;
};
