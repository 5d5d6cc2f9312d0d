/** @file TPosition.h ** A place in a text storage that stays on its character through edits. **/
#pragma once

class TMemoSource;

/// A (column, line) pair registered with one storage. Every insertion or deletion moves the
/// position so that it stays on the same character; a position inside deleted text goes to
/// the start of the deletion. Columns may lie beyond the end of the line.
class TPosition
{
public:
    /// Registers with `owner` (may be null: then the position is a plain pair).
    explicit TPosition(TMemoSource* owner = nullptr, int column = 0, int line = 0);
    ~TPosition();
    TPosition(const TPosition&) = delete;
    TPosition& operator=(const TPosition&) = delete;

    int column() const { return m_column; }
    int line() const { return m_line; }
    /// Moves the position without touching the text or the undo log.
    void set(int column, int line)
    {
        m_column = column;
        m_line = line;
    }
    /// The storage it follows; null once that storage is gone.
    TMemoSource* owner() const { return m_owner; }

    bool operator<(const TPosition& o) const
    {
        return m_line < o.m_line || (m_line == o.m_line && m_column < o.m_column);
    }

private:
    friend class TMemoSource;
    TMemoSource* m_owner;
    int m_column; ///< invariant: >= 0
    int m_line; ///< invariant: >= 0
};
