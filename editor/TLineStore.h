/** @file TLineStore.h ** Compact line records and the arena their characters live in (storage internals). **/
#pragma once

#include "editor/LineText.h"

#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

/// Line characters live in 2 MiB-aligned blocks, so a text pointer finds its block by masking.
/// A block is given back as soon as no line uses it and it no longer takes allocations, and
/// a few given-back blocks are kept for the next allocations, which lets a whole-document
/// rewrite (expandTabs) reuse memory instead of doubling it. Blocks ask for huge pages:
/// faulting in text page by page is what a large load spends most time on.
class TLineArena
{
public:
    static constexpr size_t kBlockSize = size_t(2) << 20;
    static constexpr int kMaxSpare = 2;

    TLineArena() = default;
    ~TLineArena();
    TLineArena(const TLineArena&) = delete;
    TLineArena& operator=(const TLineArena&) = delete;

    /// `bytes` > 0; `align` is 1 or 2. `users` lines will each release their part of it.
    /// Returns null only when memory is exhausted.
    void* allocate(size_t bytes, size_t align, size_t users = 1);
    /// Bytes the current block can still give without a new block.
    inline size_t room() const;
    /// allocate(bytes, 1) when the current block has room (the common case of a load).
    inline void* allocateBytes(size_t bytes);
    /// Gives back one allocation; the block goes when its last user does.
    static void release(const void* p);
    /// Makes the next allocation start a new block, so that every older block can drain.
    void closeCurrent();
    void swap(TLineArena& o);
    /// Takes over every allocation of `o`, which is left empty.
    void adopt(TLineArena& o);
    /// Bytes mapped, for tests and benchmarks.
    size_t mappedBytes() const { return m_mapped; }

private:
    struct Block;
    static Block* blockOf(const void* p);
    void freeBlock(Block* b);
    /// A block for `payload` bytes, or a shared block of the next size when it is 0.
    Block* newBlock(size_t payload);

    Block* m_current = nullptr;
    Block* m_blocks = nullptr; ///< every block, current or draining
    Block* m_spare = nullptr; ///< given-back blocks of kBlockSize, linked by next
    int m_spareCount = 0; ///< invariant: <= kMaxSpare
    size_t m_nextSize = size_t(64) << 10; ///< size of the next shared block; <= kBlockSize
    size_t m_mapped = 0;
};

struct TLineArena::Block {
    TLineArena* owner;
    Block* prev;
    Block* next;
    size_t mapped; ///< bytes mapped at this address
    size_t used; ///< bump offset from the block's start; invariant: <= capacity
    size_t capacity;
    size_t live; ///< allocations not yet released; the block goes at 0 unless current
};

inline size_t TLineArena::room() const
{
    return m_current ? m_current->capacity - m_current->used : 0;
}

inline void* TLineArena::allocateBytes(size_t bytes)
{
    Block* b = m_current;
    if (b && b->used + bytes <= b->capacity && bytes <= kBlockSize / 4) {
        void* p = reinterpret_cast<char*>(b) + b->used;
        b->used += bytes;
        ++b->live;
        return p;
    }
    return allocate(bytes, 1);
}

/// Where the file reader found a line in its buffer; size 0 is an empty line.
struct TLineSpan {
    uint32_t offset;
    uint32_t size;
};

/// One line: 16 bytes. Characters are Latin-1 bytes or UTF-16 units in the arena; colour
/// bytes, which only parsed lines have, live beside the records (see TLineStore).
struct TLineRec {
    static constexpr uint32_t kWide = 0x80000000u;
    static constexpr uint32_t kReadOnly = 0x40000000u;
    static constexpr uint32_t kHasColour = 0x20000000u;
    static constexpr uint32_t kSizeMask = 0x1FFFFFFFu;
    static constexpr qsizetype kMaxSize = kSizeMask;

    const void* text; ///< null when the line is empty
    uint32_t bits; ///< size | kWide | kReadOnly | kHasColour
    int32_t endState; ///< state the line's parse ended in; valid below the parse mark

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
static_assert(sizeof(TLineRec) == 16);

/// Asks for huge pages on the 2 MiB-aligned part of a large buffer (fewer page faults).
void adviseHugePages(void* p, size_t bytes);

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
    /// Appends a copy of every record of `o`.
    void append(const TGapVector& o)
    {
        const qsizetype head = o.m_gapStart;
        const qsizetype tail = o.m_cap - o.m_gapStart - o.m_gapLen;
        T* room = insert(size(), head + tail);
        if (head)
            std::memcpy(room, o.m_buf, size_t(head) * sizeof(T));
        if (tail)
            std::memcpy(room + head, o.m_buf + o.m_gapStart + o.m_gapLen, size_t(tail) * sizeof(T));
    }
    /// Makes room for `n` records in all, so that a load of known size never reallocates.
    void reserve(qsizetype n)
    {
        if (n > m_cap)
            grow(n - size());
    }
    /// Gives back capacity beyond `slack` spare records (the gap moves to the end first).
    void trim(qsizetype slack)
    {
        const qsizetype want = size() + slack;
        if (m_cap <= want)
            return;
        moveGap(size());
        T* buf = static_cast<T*>(std::realloc(m_buf, size_t(want) * sizeof(T)));
        if (!buf)
            return; // keeping the larger buffer is harmless
        m_buf = buf;
        m_gapLen = want - size();
        m_cap = want;
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
        T* buf = static_cast<T*>(std::realloc(m_buf, size_t(cap) * sizeof(T)));
        if (!buf)
            throw std::bad_alloc();
        adviseHugePages(buf, size_t(cap) * sizeof(T));
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

/// Colours of a long line, parsed piece by piece: known from its start up to `valid`.
struct TLongColour {
    std::vector<uint8_t> bytes; ///< invariant: bytes.size() == the line's size
    qsizetype valid = 0; ///< invariant: <= bytes.size()
    /// Where a pass may resume, with the state there; increasing, the first at column 0.
    /// invariant: every stop lies at or before `valid`
    std::vector<std::pair<qsizetype, int32_t>> stops;
    int32_t initState = 0; ///< the state the line was parsed from
    uint64_t generation = 0; ///< of the storage's colours when it was parsed
    /// The colours of [from, ...) and the stops after it may have changed.
    void forgetFrom(qsizetype from)
    {
        valid = std::max<qsizetype>(0, std::min(valid, from));
        while (stops.size() > 1 && stops.back().first > valid)
            stops.pop_back();
    }
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
    /// Characters in all lines together.
    qint64 charCount() const { return m_chars; }
    const TLineRec& rec(qsizetype i) const { return m_lines[i]; }
    TLineRec& rec(qsizetype i) { return m_lines[i]; }
    /// The line's characters in one piece (a gap in it is closed first).
    LineText text(qsizetype i) const
    {
        const TLineRec& r = m_lines[i];
        if (r.text && r.text == m_gap.text)
            closeGap();
        return r.view();
    }
    /// The line as it lies, possibly with a gap in it: what typing in a long line may look at.
    LineText view(qsizetype i) const
    {
        const TLineRec& r = m_lines[i];
        if (r.text && r.text == m_gap.text && m_gap.at < r.size())
            return LineText(static_cast<const char*>(r.text), r.size(), m_gap.at, m_gap.length);
        return r.view();
    }
    QString string(qsizetype i) const { return view(i).toString(); }
    /// Columns [from, to) of line i in one piece: a gap inside them moves to `to`, which costs
    /// only the characters between.
    LineText stretch(qsizetype i, qsizetype from, qsizetype to);
    /// Closes any gap, so that every record's text is its characters in one piece.
    void settle() const { closeGap(); }

    /// Inserts `n` empty lines at `pos`.
    void insertEmpty(qsizetype pos, qsizetype n);
    void reserve(qsizetype n) { m_lines.reserve(n); }
    void trim() { m_lines.trim(m_lines.size() / 16 + 1024); }
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
    /// Puts `n` Latin-1 characters into narrow line i at column `at` (<= its size), copying
    /// a short line once; a long line gets a gap there instead, so typing on in it moves
    /// only the characters between two edits. The caller trims what would end the line.
    void insertLatin1(qsizetype i, qsizetype at, const char* s, qsizetype n);
    /// Takes [at, at + n) out of narrow line i, as insertLatin1 puts in; a cut at the end
    /// drops the blanks it leaves there.
    void removeLatin1(qsizetype i, qsizetype at, qsizetype n);
    /// Appends a line; used by the file reader.
    void appendLatin1(const char* s, qsizetype n);
    /// Appends Latin-1 lines found at `spans` in `src`, copying the bytes they cover a block's
    /// worth at a time rather than line by line (the bytes between them go along unused).
    void appendLatin1Spans(const char* src, const TLineSpan* spans, qsizetype count);
    /// Moves every line of `o` (text, colours and all) after the last line; `o` is left empty.
    void appendAll(TLineStore& o);
    void appendWide(const char16_t* s, qsizetype n);
    /// Replaces line i by `n` Latin-1 characters that `fill` writes into place.
    template <class Fill>
    void rewriteLatin1(qsizetype i, qsizetype n, Fill fill)
    {
        char* p = n > 0 ? static_cast<char*>(allocateOrThrow(size_t(n), 1)) : nullptr;
        if (p)
            fill(p);
        assign(m_lines[i], p, uint32_t(n));
    }
    /// Later lines go to fresh blocks, so that older blocks drain and go as lines move.
    void closeArenaBlock() { m_arena.closeCurrent(); }

    /// The line's colour bytes, or null when it has none.
    uint8_t* colour(qsizetype i) const;
    /// The line's colour bytes, created (size() bytes, contents unset) when missing; null
    /// for an empty line.
    uint8_t* ensureColour(qsizetype i);
    /// The line's piecewise colours, or null; ensureLongColour creates them (nothing known).
    TLongColour* longColour(qsizetype i) const;
    TLongColour* ensureLongColour(qsizetype i);
    size_t mappedBytes() const { return m_arena.mappedBytes(); }

    /// Lines at least this long take edits in a gap.
    static constexpr qsizetype kGapLine = qsizetype(64) << 10;

private:
    void releaseText(TLineRec& r);
    void closeGap() const;
    /// Gives narrow line i the gap, placed at `at`, with at least `room` bytes in it.
    void openGap(qsizetype i, qsizetype at, qsizetype room);
    /// Line `r` changed in place from column `at` on: its colours there are stale.
    void changedInPlace(TLineRec& r, qsizetype at);
    void assign(TLineRec& r, void* p, uint32_t bits);
    void* allocateOrThrow(size_t bytes, size_t align);

    TLineArena m_arena;
    TGapVector<TLineRec> m_lines;
    /// Colour bytes by text address: a line's text moves whenever it changes, which is
    /// exactly when its colours go stale. invariant: key present <=> the line has kHasColour.
    std::unordered_map<const void*, uint8_t*> m_colours;
    /// The same for long lines coloured piece by piece.
    std::unordered_map<const void*, std::unique_ptr<TLongColour>> m_long;
    /// The one line holding a gap: characters [at, size) of it lie `length` bytes on, and its
    /// allocation holds size + length bytes. A gap at the end (at == size) is spare room.
    /// invariant: text is null or the text of a narrow line whose size is `size`.
    struct Gap {
        const void* text = nullptr;
        qsizetype size = 0;
        qsizetype at = 0;
        qsizetype length = 0;
    };
    mutable Gap m_gap;
    qint64 m_chars = 0; ///< invariant: the sum of every line's size()
};

/// Length of `s` without its trailing characters of code <= 32.
template <class C>
inline qsizetype trimmedLength(const C* s, qsizetype n)
{
    while (n > 0 && static_cast<uint32_t>(s[n - 1]) <= 32)
        --n;
    return n;
}
