/** @file TBytePrefilter.cpp ** The byte scan ahead of reading a closed file into a text. **/
#include "search/engine/TBytePrefilter.h"

#include "editor/TSearchOptions.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr qsizetype kPiece = qsizetype(256) << 10;

char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 32) : c;
}

/// The ASCII characters some character beyond ASCII upper-cases to (the dotless i and the
/// long s, for instance): such a character matches the ASCII one in a search that ignores case.
const std::array<bool, 128>& foldedFromBeyondAscii()
{
    static const std::array<bool, 128> table = [] {
        std::array<bool, 128> t {};
        for (char32_t c = 128; c <= 0xFFFF; ++c) {
            const char16_t u = searchUpper(char16_t(c));
            if (u < 128)
                t[u] = true;
        }
        return t;
    }();
    return table;
}

/// First byte in [p, end) equal to a or b, or end.
const char* find2(const char* p, const char* end, char a, char b)
{
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(a);
    const __m128i vb = _mm_set1_epi8(b);
    for (; end - p >= 16; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask
            = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, va), _mm_cmpeq_epi8(x, vb)));
        if (mask)
            return p + __builtin_ctz(unsigned(mask));
    }
#endif
    for (; p < end; ++p) {
        if (*p == a || *p == b)
            return p;
    }
    return end;
}

bool anyHighByte(const char* p, qsizetype n)
{
    const char* end = p + n;
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16) {
        if (_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))))
            return true;
    }
#endif
    for (; p < end; ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80)
            return true;
    }
    return false;
}

} // namespace

TBytePrefilter::TBytePrefilter(const QString& textToFind, bool caseSensitive, bool tabsBecomeSpaces)
{
    if (textToFind.isEmpty())
        return;
    for (QChar c : textToFind) {
        if (c.unicode() >= 128)
            return; // its byte forms depend on the file's encoding
    }
    m_caseSensitive = caseSensitive;
    const auto& folded = foldedFromBeyondAscii();
    for (QChar c : textToFind) {
        const char b = char(c.unicode());
        m_pattern.push_back(caseSensitive ? b : asciiUpper(b));
        if (!caseSensitive) {
            const char16_t u = searchUpper(c.unicode());
            if (u >= 128 || folded[u])
                m_riskyHigh = true;
        }
    }
    m_riskyTab = tabsBecomeSpaces && textToFind.contains(u' ');
    m_usable = true;
}

bool TBytePrefilter::found(const char* data, qsizetype size) const
{
    const qsizetype m = qsizetype(m_pattern.size());
    if (size < m)
        return false;
    const char first = m_pattern[0];
    const char other
        = m_caseSensitive ? first : (first >= 'A' && first <= 'Z' ? char(first + 32) : first);
    const char* end = data + size - m + 1;
    for (const char* p = data; (p = find2(p, end, first, other)) < end; ++p) {
        qsizetype k = 1;
        if (m_caseSensitive) {
            if (std::memcmp(p + 1, m_pattern.data() + 1, size_t(m - 1)) == 0)
                return true;
            continue;
        }
        while (k < m && asciiUpper(p[k]) == m_pattern[size_t(k)])
            ++k;
        if (k == m)
            return true;
    }
    return false;
}

TBytePrefilter::Verdict TBytePrefilter::checkBytes(const char* data, qsizetype size)
{
    if (!m_usable)
        return MayMatch;
    if (m_riskyHigh && anyHighByte(data, size))
        return MayMatch;
    if (m_riskyTab && std::memchr(data, '\t', size_t(size)))
        return MayMatch;
    return found(data, size) ? MayMatch : NoMatch;
}

QByteArrayView TBytePrefilter::lastBytes() const
{
    return m_seen.whole ? QByteArrayView(m_buffer.data(), m_seen.size) : QByteArrayView();
}

TBytePrefilter::Verdict TBytePrefilter::check(const QString& fileName, QString* error)
{
    // Plain system calls: a run over thousands of files spends its time here.
    m_seen = FileSeen();
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return NotAFile;
        if (error)
            *error = qt_error_string(errno);
        return Unreadable;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return NotAFile; // a folder or a device, which no search reads
    }
    m_seen.device = quint64(st.st_dev);
    m_seen.inode = quint64(st.st_ino);
    m_seen.size = qint64(st.st_size);
    m_seen.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (!m_usable) {
        ::close(fd);
        return MayMatch;
    }
    // Each piece follows the last bytes of the one before, so a match across two is seen.
    const qsizetype carry = qsizetype(m_pattern.size()) - 1;
    m_buffer.resize(size_t(carry + kPiece + 1));
    qsizetype kept = 0;
    qint64 total = 0;
    Verdict verdict = NoMatch;
    for (;;) {
        // A file that fits one piece is read with one call; its end needs no second one.
        const qsizetype want
            = total == 0 && m_seen.size <= kPiece ? qsizetype(m_seen.size) + 1 : kPiece;
        const ssize_t got = ::read(fd, m_buffer.data() + kept, size_t(want));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (error)
                *error = qt_error_string(errno);
            verdict = Unreadable;
            break;
        }
        if (got == 0)
            break;
        total += got;
        const qsizetype size = kept + qsizetype(got);
        if (checkBytes(m_buffer.data(), size) == MayMatch) {
            verdict = MayMatch;
            break;
        }
        if (total == m_seen.size && total <= kPiece && got < want)
            break; // all of it, as fstat said
        kept = std::min(carry, size);
        std::memmove(m_buffer.data(), m_buffer.data() + size - kept, size_t(kept));
    }
    // The bytes of a file read whole stay for the copy an undo needs.
    m_seen.whole = verdict == MayMatch && total == m_seen.size && kept == 0 && total <= kPiece;
    ::close(fd);
    return verdict;
}
