/** @file TLineStore.cpp ** Compact line records and the arena their characters live in. **/
#include "editor/TLineStore.h"

#include <sys/mman.h>
#include <algorithm>
#include <new>
#include <utility>

void adviseHugePages(void* p, size_t bytes)
{
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t huge = uintptr_t(2) << 20;
    if (bytes < 2 * huge)
        return;
    const uintptr_t start = (reinterpret_cast<uintptr_t>(p) + huge - 1) & ~(huge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(huge - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

TLineArena::~TLineArena()
{
    while (m_blocks)
        freeBlock(m_blocks);
    while (m_spare) {
        Block* b = m_spare;
        m_spare = b->next;
        munmap(b, b->mapped);
    }
}

TLineArena::Block* TLineArena::blockOf(const void* p)
{
    return reinterpret_cast<Block*>(reinterpret_cast<uintptr_t>(p) & ~(uintptr_t(kBlockSize) - 1));
}

TLineArena::Block* TLineArena::newBlock(size_t payload)
{
    const size_t header = (sizeof(Block) + 15) & ~size_t(15);
    constexpr size_t page = 4096;
    // Shared blocks start small and double up to kBlockSize, so a small document costs a
    // few pages rather than a huge page; a big line gets whole blocks of its own.
    size_t size;
    if (payload == 0) {
        size = m_nextSize;
        m_nextSize = std::min(m_nextSize * 2, kBlockSize);
    } else {
        size = (header + payload + kBlockSize - 1) & ~(kBlockSize - 1);
    }
    size = (size + page - 1) & ~(page - 1);
    Block* b = nullptr;
    if (size == kBlockSize && m_spare) {
        b = m_spare;
        m_spare = b->next;
        --m_spareCount;
    } else {
        // Over-map by one block and trim, so the block starts on a kBlockSize boundary.
        void* raw = mmap(nullptr, size + kBlockSize, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED)
            return nullptr;
        const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
        const uintptr_t aligned = (start + kBlockSize - 1) & ~(uintptr_t(kBlockSize) - 1);
        if (aligned > start)
            munmap(raw, aligned - start);
        const uintptr_t tail = aligned + size;
        const uintptr_t end = start + size + kBlockSize;
        if (end > tail)
            munmap(reinterpret_cast<void*>(tail), end - tail);
#ifdef MADV_HUGEPAGE
        if (size % kBlockSize == 0)
            madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
#endif
        b = new (reinterpret_cast<void*>(aligned)) Block;
        b->mapped = size;
        m_mapped += size;
    }
    b->owner = this;
    b->prev = nullptr;
    b->next = m_blocks;
    if (m_blocks)
        m_blocks->prev = b;
    m_blocks = b;
    b->used = header;
    b->capacity = size;
    b->live = 0;
    return b;
}

void TLineArena::freeBlock(Block* b)
{
    if (b->prev)
        b->prev->next = b->next;
    else
        m_blocks = b->next;
    if (b->next)
        b->next->prev = b->prev;
    if (m_current == b)
        m_current = nullptr;
    if (b->mapped == kBlockSize && m_spareCount < kMaxSpare) {
        b->next = m_spare;
        m_spare = b;
        ++m_spareCount;
        return;
    }
    m_mapped -= b->mapped;
    munmap(b, b->mapped);
}

void* TLineArena::allocate(size_t bytes, size_t align, size_t users)
{
    // Big lines get a block of their own, so that they go back at once when they change.
    if (bytes > kBlockSize / 4) {
        Block* b = newBlock(bytes);
        if (!b)
            return nullptr;
        void* p = reinterpret_cast<char*>(b) + b->used;
        b->used = b->capacity;
        b->live = users;
        return p;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (m_current) {
            const size_t at = (m_current->used + align - 1) & ~(align - 1);
            if (at + bytes <= m_current->capacity) {
                m_current->used = at + bytes;
                m_current->live += users;
                return reinterpret_cast<char*>(m_current) + at;
            }
            closeCurrent();
        }
        while (m_nextSize < kBlockSize && m_nextSize < bytes + 256)
            m_nextSize *= 2; // the block must hold this request
        m_current = newBlock(0);
        if (!m_current)
            return nullptr;
    }
    return nullptr;
}

void TLineArena::swap(TLineArena& o)
{
    std::swap(m_current, o.m_current);
    std::swap(m_blocks, o.m_blocks);
    std::swap(m_mapped, o.m_mapped);
    std::swap(m_spare, o.m_spare);
    std::swap(m_spareCount, o.m_spareCount);
    std::swap(m_nextSize, o.m_nextSize);
    // Blocks name their arena, so that release() needs no arena pointer.
    for (Block* b = m_blocks; b; b = b->next)
        b->owner = this;
    for (Block* b = o.m_blocks; b; b = b->next)
        b->owner = &o;
}

void TLineArena::adopt(TLineArena& o)
{
    o.closeCurrent();
    while (o.m_spare) {
        Block* b = o.m_spare;
        o.m_spare = b->next;
        o.m_mapped -= b->mapped;
        munmap(b, b->mapped);
    }
    o.m_spareCount = 0;
    if (!o.m_blocks)
        return;
    Block* last = o.m_blocks;
    for (Block* b = o.m_blocks; b; b = b->next) {
        b->owner = this;
        last = b;
    }
    last->next = m_blocks;
    if (m_blocks)
        m_blocks->prev = last;
    m_blocks = o.m_blocks;
    m_mapped += o.m_mapped;
    o.m_blocks = nullptr;
    o.m_mapped = 0;
}

void TLineArena::closeCurrent()
{
    Block* b = m_current;
    m_current = nullptr;
    if (b && b->live == 0)
        freeBlock(b);
}

void TLineArena::release(const void* p)
{
    Block* b = blockOf(p);
    if (--b->live == 0) {
        if (b == b->owner->m_current)
            b->used = (sizeof(Block) + 15) & ~size_t(15); // reuse it from the start
        else
            b->owner->freeBlock(b);
    }
}

TLineStore::~TLineStore()
{
    clear();
}

void TLineStore::swap(TLineStore& o)
{
    m_arena.swap(o.m_arena);
    m_lines.swap(o.m_lines);
    m_colours.swap(o.m_colours);
    m_long.swap(o.m_long);
    std::swap(m_gap, o.m_gap);
    std::swap(m_chars, o.m_chars);
}

void TLineStore::clear()
{
    // Everything goes at once: no need to give back each line's text on its own.
    for (auto& entry : m_colours)
        std::free(entry.second);
    m_colours.clear();
    m_long.clear();
    m_gap = Gap();
    m_chars = 0;
    TLineArena empty;
    m_arena.swap(empty);
    m_lines.clear();
}

void TLineStore::releaseText(TLineRec& r)
{
    if (r.text && r.text == m_gap.text)
        m_gap = Gap();
    if (!m_long.empty())
        m_long.erase(r.text);
    if (r.bits & TLineRec::kHasColour) {
        const auto it = m_colours.find(r.text);
        if (it != m_colours.end()) {
            std::free(it->second);
            m_colours.erase(it);
        }
    }
    if (r.text)
        TLineArena::release(r.text);
    m_chars -= r.size();
    r.text = nullptr;
    r.bits &= TLineRec::kReadOnly;
}

void* TLineStore::allocateOrThrow(size_t bytes, size_t align)
{
    void* p = m_arena.allocate(bytes, align);
    if (!p)
        throw std::bad_alloc();
    return p;
}

uint8_t* TLineStore::colour(qsizetype i) const
{
    const TLineRec& r = m_lines[i];
    if (!(r.bits & TLineRec::kHasColour))
        return nullptr;
    const auto it = m_colours.find(r.text);
    return it == m_colours.end() ? nullptr : it->second;
}

uint8_t* TLineStore::ensureColour(qsizetype i)
{
    TLineRec& r = m_lines[i];
    if (!r.text)
        return nullptr;
    if (uint8_t* c = colour(i))
        return c;
    auto* c = static_cast<uint8_t*>(std::malloc(size_t(r.size())));
    if (!c)
        throw std::bad_alloc();
    m_colours.emplace(r.text, c);
    r.bits |= TLineRec::kHasColour;
    return c;
}

TLongColour* TLineStore::longColour(qsizetype i) const
{
    const TLineRec& r = m_lines[i];
    if (!r.text || m_long.empty())
        return nullptr;
    const auto it = m_long.find(r.text);
    return it == m_long.end() ? nullptr : it->second.get();
}

TLongColour* TLineStore::ensureLongColour(qsizetype i)
{
    if (TLongColour* c = longColour(i))
        return c;
    const TLineRec& r = m_lines[i];
    if (!r.text)
        return nullptr;
    auto c = std::make_unique<TLongColour>();
    c->bytes.resize(size_t(r.size()));
    c->stops.push_back({ 0, 0 });
    return m_long.emplace(r.text, std::move(c)).first->second.get();
}

void TLineStore::closeGap() const
{
    if (!m_gap.text || m_gap.at >= m_gap.size)
        return;
    char* p = static_cast<char*>(const_cast<void*>(m_gap.text));
    std::memmove(p + m_gap.at, p + m_gap.at + m_gap.length, size_t(m_gap.size - m_gap.at));
    m_gap.at = m_gap.size;
}

void TLineStore::openGap(qsizetype i, qsizetype at, qsizetype room)
{
    TLineRec& r = m_lines[i];
    const qsizetype size = r.size();
    if (r.text && r.text == m_gap.text && m_gap.length >= room) {
        char* p = static_cast<char*>(const_cast<void*>(r.text));
        if (at < m_gap.at)
            std::memmove(p + at + m_gap.length, p + at, size_t(m_gap.at - at));
        else if (at > m_gap.at)
            std::memmove(p + m_gap.at, p + m_gap.at + m_gap.length, size_t(at - m_gap.at));
        m_gap.at = at;
        return;
    }
    // A fresh allocation with room to spare: growing the line costs one copy now and then.
    const LineText old = view(i);
    const qsizetype length = std::max(room, std::max(kGapLine, size / 16));
    char* p = static_cast<char*>(allocateOrThrow(size_t(size + length), 1));
    for (qsizetype c = 0; c < at;) {
        const qsizetype n = std::min(old.pieceFrom(c), at - c);
        std::memcpy(p + c, old.latin1At(c), size_t(n));
        c += n;
    }
    for (qsizetype c = at; c < size;) {
        const qsizetype n = old.pieceFrom(c);
        std::memcpy(p + c + length, old.latin1At(c), size_t(n));
        c += n;
    }
    // The colours are the old text's; keep what they knew under the new address.
    std::unique_ptr<TLongColour> colours;
    if (!m_long.empty()) {
        const auto it = m_long.find(r.text);
        if (it != m_long.end())
            colours = std::move(it->second);
    }
    closeGap(); // another line's gap goes; it keeps its room
    assign(r, p, uint32_t(size));
    if (colours)
        m_long.emplace(p, std::move(colours));
    m_gap = Gap { p, size, at, length };
}

LineText TLineStore::stretch(qsizetype i, qsizetype from, qsizetype to)
{
    const TLineRec& r = m_lines[i];
    if (r.text && r.text == m_gap.text && m_gap.at > from && m_gap.at < to)
        openGap(i, to, 0);
    return view(i).mid(from, to - from);
}

void TLineStore::changedInPlace(TLineRec& r, qsizetype at)
{
    if (r.bits & TLineRec::kHasColour) {
        const auto it = m_colours.find(r.text);
        if (it != m_colours.end()) {
            std::free(it->second);
            m_colours.erase(it);
        }
        r.bits &= ~TLineRec::kHasColour;
    }
    if (m_long.empty())
        return;
    const auto it = m_long.find(r.text);
    if (it == m_long.end())
        return;
    TLongColour& c = *it->second;
    c.forgetFrom(at - kParseLookahead);
    c.bytes.resize(size_t(r.size()));
}

void TLineStore::insertEmpty(qsizetype pos, qsizetype n)
{
    TLineRec* room = m_lines.insert(pos, n);
    for (qsizetype i = 0; i < n; ++i)
        room[i] = TLineRec { nullptr, 0, 0 };
}

void TLineStore::remove(qsizetype pos, qsizetype n)
{
    for (qsizetype i = pos; i < pos + n; ++i)
        releaseText(m_lines[i]);
    m_lines.erase(pos, n);
}

void TLineStore::assign(TLineRec& r, void* p, uint32_t bits)
{
    releaseText(r);
    r.text = p;
    r.bits = (r.bits & TLineRec::kReadOnly) | bits;
    m_chars += r.size();
}

// Each setter allocates before releasing, so `s` may point into the line's old text.
void TLineStore::setLatin1(qsizetype i, const char* s, qsizetype n)
{
    TLineRec& r = m_lines[i];
    if (n > TLineRec::kMaxSize)
        n = TLineRec::kMaxSize; // callers refuse such lines first
    void* p = nullptr;
    if (n > 0) {
        p = allocateOrThrow(size_t(n), 1);
        std::memcpy(p, s, size_t(n));
    }
    assign(r, p, n > 0 ? uint32_t(n) : 0);
}

void TLineStore::setWide(qsizetype i, const char16_t* s, qsizetype n)
{
    TLineRec& r = m_lines[i];
    if (n > TLineRec::kMaxSize)
        n = TLineRec::kMaxSize;
    void* p = nullptr;
    if (n > 0) {
        p = allocateOrThrow(size_t(n) * 2, 2);
        std::memcpy(p, s, size_t(n) * 2);
    }
    assign(r, p, n > 0 ? uint32_t(n) | TLineRec::kWide : 0);
}

void TLineStore::insertLatin1(qsizetype i, qsizetype at, const char* s, qsizetype n)
{
    TLineRec& r = m_lines[i];
    if (r.size() + n >= kGapLine || (r.text && r.text == m_gap.text)) {
        openGap(i, at, n);
        char* p = static_cast<char*>(const_cast<void*>(r.text));
        std::memcpy(p + at, s, size_t(n));
        m_gap.at += n;
        m_gap.length -= n;
        m_gap.size += n;
        r.bits = (r.bits & ~TLineRec::kSizeMask) | uint32_t(m_gap.size);
        m_chars += n;
        changedInPlace(r, at);
        return;
    }
    const auto* old = static_cast<const char*>(r.text);
    const qsizetype size = r.size();
    char* p = static_cast<char*>(allocateOrThrow(size_t(size + n), 1));
    if (at > 0)
        std::memcpy(p, old, size_t(at));
    std::memcpy(p + at, s, size_t(n));
    if (size > at)
        std::memcpy(p + at + n, old + at, size_t(size - at));
    assign(r, p, uint32_t(size + n));
}

void TLineStore::removeLatin1(qsizetype i, qsizetype at, qsizetype n)
{
    TLineRec& r = m_lines[i];
    if (r.size() >= kGapLine || (r.text && r.text == m_gap.text)) {
        openGap(i, at, 0);
        m_gap.length += n;
        m_gap.size -= n;
        if (at == m_gap.size) {
            const qsizetype kept = trimmedLength(static_cast<const char*>(r.text), at);
            m_gap.length += at - kept;
            m_gap.at = m_gap.size = kept;
        }
        m_chars -= r.size() - m_gap.size;
        r.bits = (r.bits & ~TLineRec::kSizeMask) | uint32_t(m_gap.size);
        changedInPlace(r, m_gap.at);
        if (m_gap.size == 0)
            assign(r, nullptr, 0);
        return;
    }
    const auto* old = static_cast<const char*>(r.text);
    const qsizetype size = r.size();
    const qsizetype kept = at + n < size ? size - n : trimmedLength(old, at);
    char* p = kept > 0 ? static_cast<char*>(allocateOrThrow(size_t(kept), 1)) : nullptr;
    if (p) {
        std::memcpy(p, old, size_t(std::min(at, kept)));
        if (at + n < size)
            std::memcpy(p + at, old + at + n, size_t(size - at - n));
    }
    assign(r, p, uint32_t(kept));
}

void TLineStore::set(qsizetype i, QStringView s)
{
    const char16_t* u = s.utf16();
    qsizetype n = trimmedLength(u, s.size());
    for (qsizetype k = 0; k < n; ++k) {
        if (u[k] > 0xFF) {
            setWide(i, u, n);
            return;
        }
    }
    if (n > TLineRec::kMaxSize)
        n = TLineRec::kMaxSize;
    char* p = nullptr;
    if (n > 0) {
        p = static_cast<char*>(allocateOrThrow(size_t(n), 1));
        for (qsizetype k = 0; k < n; ++k)
            p[k] = char(u[k]);
    }
    assign(m_lines[i], p, uint32_t(n));
}

void TLineStore::appendLatin1(const char* s, qsizetype n)
{
    if (n > TLineRec::kMaxSize)
        n = TLineRec::kMaxSize;
    void* p = nullptr;
    if (n > 0) {
        p = m_arena.allocateBytes(size_t(n));
        if (!p)
            throw std::bad_alloc();
        std::memcpy(p, s, size_t(n));
    }
    *m_lines.insert(m_lines.size(), 1) = TLineRec { p, uint32_t(n), 0 };
    m_chars += n;
}

void TLineStore::appendLatin1Spans(const char* src, const TLineSpan* spans, qsizetype count)
{
    constexpr size_t kGroup = TLineArena::kBlockSize / 4; // the most one shared allocation takes
    qsizetype i = 0;
    while (i < count) {
        if (spans[i].size > kGroup) {
            appendLatin1(src + spans[i].offset, spans[i].size); // a block of its own
            ++i;
            continue;
        }
        // The lines that fit in what the current block has left, or in a fresh block.
        size_t limit = m_arena.room();
        if (limit < spans[i].size) {
            m_arena.closeCurrent();
            limit = kGroup;
        }
        limit = std::min(limit, kGroup);
        const uint32_t start = spans[i].offset;
        uint32_t end = start;
        size_t users = 0;
        qsizetype j = i;
        for (; j < count; ++j) {
            if (spans[j].size == 0)
                continue;
            const uint32_t e = spans[j].offset + spans[j].size;
            if (e - start > limit)
                break;
            end = e;
            ++users;
        }
        char* text = nullptr;
        if (users > 0) {
            text = static_cast<char*>(m_arena.allocate(end - start, 1, users));
            if (!text)
                throw std::bad_alloc();
            std::memcpy(text, src + start, end - start);
        }
        TLineRec* room = m_lines.insert(m_lines.size(), j - i);
        for (qsizetype k = i; k < j; ++k) {
            const TLineSpan& l = spans[k];
            *room++ = TLineRec { l.size ? text + (l.offset - start) : nullptr, l.size, 0 };
            m_chars += l.size;
        }
        i = j;
    }
}

void TLineStore::appendAll(TLineStore& o)
{
    o.settle();
    o.m_gap = Gap();
    m_long.merge(o.m_long);
    o.m_long.clear();
    m_arena.adopt(o.m_arena);
    m_chars += o.m_chars;
    o.m_chars = 0;
    m_lines.append(o.m_lines);
    o.m_lines.clear();
    m_colours.merge(o.m_colours);
    o.m_colours.clear();
}

void TLineStore::appendWide(const char16_t* s, qsizetype n)
{
    const qsizetype i = count();
    insertEmpty(i, 1);
    setWide(i, s, n);
}
