/** @file TDCParser.cpp ** The table-driven tokenizer that colours one line for the text storage. **/
#include "colour/TDCParser.h"

#include <cstring>

TDCParser::TCharSet TDCParser::TCharSet::all()
{
    TCharSet set;
    set.latin1.set();
    set.wide = true;
    return set;
}

TDCParser::TCharSet TDCParser::TCharSet::of(QStringView chars)
{
    TCharSet set;
    for (QChar c : chars) {
        if (c.unicode() < 256)
            set.latin1.set(c.unicode());
        else
            set.wide = true;
    }
    return set;
}

void TDCParser::registerHandler(const QList<int32_t>& states, Routine routine, void* owner,
                                const TCharSet& chars)
{
    for (int32_t state : states) {
        if (state < 0)
            continue;
        while (m_tables.size() <= size_t(state))
            m_tables.push_back(std::make_unique<Table>());
        Table& table = *m_tables[size_t(state)];
        for (size_t c = 0; c < 256; ++c) {
            if (chars.latin1.test(c))
                table[c] = { routine, owner };
        }
        if (chars.wide)
            table[kWideEntry] = { routine, owner };
    }
    updateWhole();
}

void TDCParser::registerLineRoutine(Routine routine, void* owner, LineRoutine line)
{
    m_lineRoutines.push_back({ { routine, owner }, line });
    updateWhole();
}

void TDCParser::updateWhole()
{
    m_whole.assign(m_tables.size(), Whole());
    for (size_t state = 0; state < m_tables.size(); ++state) {
        const Table& table = *m_tables[state];
        const Handler first = table[0];
        bool same = first.routine != nullptr;
        for (size_t c = 1; same && c < table.size(); ++c)
            same = table[c].routine == first.routine && table[c].owner == first.owner;
        if (!same)
            continue;
        Whole& whole = m_whole[state];
        whole.handler = first;
        for (const LineHandler& l : m_lineRoutines) {
            if (l.handler.routine == first.routine && l.handler.owner == first.owner)
                whole.line = l.line;
        }
    }
}

template <typename Ch>
int32_t TDCParser::nextToken(const Ch* chars, qsizetype size)
{
    m_token = -1;
    while (m_position < size) {
        const Table* table
            = (m_state >= 0 && size_t(m_state) < m_tables.size()) ? m_tables[size_t(m_state)].get()
                                                                   : nullptr;
        const auto code = static_cast<char16_t>(chars[m_position]);
        const Handler* handler = table ? &(*table)[code < 256 ? code : kWideEntry] : nullptr;
        if (!handler || !handler->routine) {
            ++m_position;
            continue;
        }
        m_tokenStart = m_position;
        m_token = handler->routine(handler->owner, *this);
        // A handler that does not consume would be called at the same place for ever.
        if (m_position <= m_tokenStart)
            m_position = m_tokenStart + 1;
        else if (m_position > size)
            m_position = size;
        if (m_token != -1)
            return m_token;
    }
    m_token = 0;
    return 0;
}

template <typename Ch>
void TDCParser::run(const Ch* chars, qsizetype size, uint8_t* colorData)
{
    for (;;) {
        if (m_position < size && m_state >= 0 && size_t(m_state) < m_whole.size()) {
            const Whole& whole = m_whole[size_t(m_state)];
            if (whole.line) {
                m_tokenStart = m_position;
                if (whole.line(whole.handler.owner, *this, colorData))
                    return;
                // It stopped in a state it does not wholly handle: go on token by token.
            }
        }
        const int32_t token = nextToken(chars, size);
        if (token == 0)
            return;
        std::memset(colorData + m_tokenStart, token & 0xFF, size_t(m_position - m_tokenStart));
        if (m_position < size && stopsAt(m_position))
            return;
    }
}

int32_t TDCParser::parseLine(const LineText& StrData, int32_t InitState, uint8_t* AColorData)
{
    if (StrData.isEmpty())
        return InitState;
    m_line = &StrData;
    ++m_passNumber;
    m_state = InitState;
    m_position = 0;
    m_tokenStart = 0;
    m_token = -1;
    if (StrData.isWide())
        run(StrData.utf16(), StrData.size(), AColorData);
    else
        run(reinterpret_cast<const unsigned char*>(StrData.latin1()), StrData.size(), AColorData);
    m_line = nullptr;
    return m_state;
}

int32_t TDCParser::parseFrom(const LineText& StrData, int32_t InitState, uint8_t* AColorData,
                             qsizetype stopAt, qsizetype& stoppedAt)
{
    m_stopAt = stopAt;
    m_stoppedEarly = false;
    const int32_t state = parseLine(StrData, InitState, AColorData);
    stoppedAt = m_stoppedEarly ? m_position : StrData.size();
    m_stopAt = std::numeric_limits<qsizetype>::max();
    m_stoppedEarly = false;
    return state;
}

TOnParseSyntaxFromEvent TDCParser::parseSyntaxFromEvent()
{
    return [this](const LineText& StrData, int32_t InitState, uint8_t* AColorData,
                  qsizetype stopAt, qsizetype& stoppedAt) {
        return parseFrom(StrData, InitState, AColorData, stopAt, stoppedAt);
    };
}

TOnParseSyntaxEvent TDCParser::parseSyntaxEvent()
{
    return [this](const LineText& StrData, int32_t InitState, uint8_t* AColorData) {
        return parseLine(StrData, InitState, AColorData);
    };
}
