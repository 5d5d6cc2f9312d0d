/** @file TLineStore.h ** Compact line records and the arena their characters live in (storage internals). **/
#pragma once

#include "editor/LineText.h"

#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

/// Line characters live in 1 MiB-aligned blocks, so a text pointer finds its block by masking.
/// A block is unmapped as soon as no line uses it and it no longer takes allocations, which
/// lets a whole-document rewrite (expandTabs) reuse memory instead of doubling it.
class TLineArena
{
public:
    static constexpr size_t kBlockSize = size_t(1) << 20;

    TLineArena() = default;
    ~TLineArena();
    TLineArena(const TLineArena&) = delete;
    TLineArena& operator=(const TLineArena&) = delete;

    /// `bytes` > 0; `align` is 1 or 2. Returns null only when memory is exhausted.
    void* allocate(size_t bytes, size_t align);
    /// Gives back one allocation; the block goes when its last user does.
    static void release(const void* p);
    /// Makes the next allocation start a new block, so that every older block can drain.
    void closeCurrent();
    void swap(TLineArena& o);
    /// Bytes mapped, for tests and benchmarks.
    size_t mappedBytes() const { return m_mapped; }

private:
    struct Block;
    static Block* blockOf(const void* p);
    void freeBlock(Block* b);
    Block* newBlock(size_t payload);

    Block* m_current = nullptr;
    Block* m_blocks = nullptr; ///< every block, current or draining
    size_t m_mapped = 0;
};

/// One line: 24 bytes. Characters are Latin-1 bytes or UTF-16 units in the arena.
struct TLineRec {
    static constexpr uint32_t kWide = 0x80000000u;
    static constexpr uint32_t kReadOnly = 0x40000000u;
    static constexpr uint32_t kSizeMask = 0x3FFFFFFFu;
    static constexpr qsizetype kMaxSize = kSizeMask;

    const void* text; ///< null when the line is empty
    uint32_t bits; ///< size | kWide | kReadOnly
    int32_t endState; ///< state the line's parse ended in; valid below the parse mark
    uint8_t* colour; ///< size bytes, or null until the line is parsed for painting

    qsizetype size() const { return bits & kSizeMask; }
    bool wide() const { return bits & kWide; }
    bool readOnly() const { return bits & kReadOnly; }
    LineText view() const
    {
        if (!text)
            return LineText();
        return wide() ? LineText(static_cast<const char16_t*>(text), size())
                      : LineText(static_cast<const char*>(text), size());
    }
};
static_assert(sizeof(TLineRec) == 24);

/// A vector with a gap at the last edit, so that inserting or removing lines near the
/// previous edit moves few records. Holds trivially copyable records; grows with realloc.
template <class T>
class TGapVector
{
public:
    TGapVector() = default;
    ~TGapVector() { std::free(m_buf); }
    TGapVector(const TGapVector&) = delete;
    TGapVector& operator=(const TGapVector&) = delete;
    void swap(TGapVector& o)
    {
        std::swap(m_buf, o.m_buf);
        std::swap(m_cap, o.m_cap);
        std::swap(m_gapStart, o.m_gapStart);
        std::swap(m_gapLen, o.m_gapLen);
    }

    qsizetype size() const { return m_cap - m_gapLen; }
    T& operator[](qsizetype i) { return m_buf[i < m_gapStart ? i : i + m_gapLen]; }
    const T& operator[](qsizetype i) const { return m_buf[i < m_gapStart ? i : i + m_gapLen]; }

    /// Opens `n` room at `pos` and returns them (contiguous, uninitialised).
    T* insert(qsizetype pos, qsizetype n)
    {
        if (m_gapLen < n)
            grow(n);
        moveGap(pos);
        T* room = m_buf + m_gapStart;
        m_gapStart += n;
        m_gapLen -= n;
        return room;
    }
    void erase(qsizetype pos, qsizetype n)
    {
        moveGap(pos);
        m_gapLen += n;
    }
    void clear()
    {
        m_gapStart = 0;
        m_gapLen = m_cap;
    }

private:
    // invariant: 0 <= m_gapStart, m_gapStart + m_gapLen <= m_cap
    void moveGap(qsizetype pos)
    {
        if (pos < m_gapStart)
            std::memmove(m_buf + pos + m_gapLen, m_buf + pos, (m_gapStart - pos) * sizeof(T));
        else if (pos > m_gapStart)
            std::memmove(m_buf + m_gapStart, m_buf + m_gapStart + m_gapLen,
                         (pos - m_gapStart) * sizeof(T));
        m_gapStart = pos;
    }
    void grow(qsizetype need)
    {
        const qsizetype used = size();
        qsizetype cap = m_cap < 64 ? 64 : m_cap + m_cap / 2;
        if (cap < used + need)
            cap = used + need;
        T* buf = static_cast<T*>(std::realloc(m_buf, cap * sizeof(T)));
        if (!buf)
            std::abort(); // as operator new would throw; there is no sound way on
        const qsizetype tail = m_cap - m_gapStart - m_gapLen;
        std::memmove(buf + cap - tail, buf + m_gapStart + m_gapLen, tail * sizeof(T));
        m_buf = buf;
        m_gapLen = cap - used;
        m_cap = cap;
    }

    T* m_buf = nullptr;
    qsizetype m_cap = 0;
    qsizetype m_gapStart = 0;
    qsizetype m_gapLen = 0;
};

/// The lines of one storage.
class TLineStore
{
public:
    TLineStore() = default;
    ~TLineStore();
    TLineStore(const TLineStore&) = delete;
    TLineStore& operator=(const TLineStore&) = delete;
    void swap(TLineStore& o);

    qsizetype count() const { return m_lines.size(); }
    const TLineRec& rec(qsizetype i) const { return m_lines[i]; }
    TLineRec& rec(qsizetype i) { return m_lines[i]; }
    LineText text(qsizetype i) const { return m_lines[i].view(); }
    QString string(qsizetype i) const { return m_lines[i].view().toString(); }

    /// Inserts `n` empty lines at `pos`.
    void insertEmpty(qsizetype pos, qsizetype n);
    /// Removes lines [pos, pos + n), releasing their characters and colours.
    void remove(qsizetype pos, qsizetype n);
    void clear();

    /// Stores `s` in line i without trailing characters of code <= 32; narrow when every
    /// character fits in Latin-1. Drops the line's colour data; keeps its read-only mark.
    void set(qsizetype i, QStringView s);
    /// Same for Latin-1 bytes, already trimmed.
    void setLatin1(qsizetype i, const char* s, qsizetype n);
    /// Same for UTF-16 known to hold a character above 255, already trimmed.
    void setWide(qsizetype i, const char16_t* s, qsizetype n);
    /// Appends a line; used by the file reader.
    void appendLatin1(const char* s, qsizetype n);
    void appendWide(const char16_t* s, qsizetype n);
    /// Copies every line's characters into fresh blocks (old blocks drain and go).
    void closeArenaBlock() { m_arena.closeCurrent(); }
    size_t mappedBytes() const { return m_arena.mappedBytes(); }

private:
    void releaseText(TLineRec& r);
    void assign(TLineRec& r, void* p, uint32_t bits);

    TLineArena m_arena;
    TGapVector<TLineRec> m_lines;
};

/// Length of `s` without its trailing characters of code <= 32.
template <class C>
inline qsizetype trimmedLength(const C* s, qsizetype n)
{
    while (n > 0 && static_cast<uint32_t>(s[n - 1]) <= 32)
        --n;
    return n;
}
