/** @file TMemoSourceFiles.cpp ** Reading and writing a text storage's lines, and tab expansion. **/
#include "editor/TMemoSource.h"

#include "editor/TMemoSourceImpl.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <atomic>
#include <cerrno>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr qsizetype kChunk = qsizetype(1) << 20;

/// Overrides set by setFileReadingForTesting; 0 is none.
std::atomic<qint64> g_twoThreadBytes { 0 };
std::atomic<qint64> g_readChunk { 0 };

/// Bytes a read of the file takes at a time.
qsizetype readChunk()
{
    const qint64 chunk = g_readChunk.load(std::memory_order_relaxed);
    return chunk > 0 ? qsizetype(std::min<qint64>(chunk, kChunk)) : kChunk;
}

bool isAscii(const char* p, qsizetype n)
{
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        if (w & 0x8080808080808080ull)
            return false;
    }
    for (; i < n; ++i) {
        if (static_cast<unsigned char>(p[i]) & 0x80)
            return false;
    }
    return true;
}

/// Bytes a read buffer holds beyond what was read, so that the line splitter may look at whole
/// 64-byte blocks; what lies there is masked off.
constexpr qsizetype kPadding = 64;

/// Bit i of `breaks` is set when p[i] is CR or LF, bit i of `high` when p[i] is not ASCII,
/// for the 64 bytes at p.
inline void blockMasks(const char* p, uint64_t& breaks, uint64_t& high)
{
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    breaks = 0;
    high = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const auto hits = uint32_t(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, lf), _mm_cmpeq_epi8(x, cr))));
        breaks |= uint64_t(hits) << (16 * k);
        high |= uint64_t(uint32_t(_mm_movemask_epi8(x))) << (16 * k);
    }
#else
    breaks = 0;
    high = 0;
    for (int i = 0; i < 64; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        breaks |= uint64_t(c == '\n' || c == '\r') << i;
        high |= uint64_t(c >> 7) << i;
    }
#endif
}

/// Strict UTF-8 to UTF-16 (no overlong forms, no surrogates, nothing above U+10FFFF).
/// Returns false on the first invalid sequence. `maxUnit` receives the largest unit.
bool decodeUtf8(const char* s, qsizetype n, std::u16string& out, char16_t& maxUnit)
{
    out.clear();
    out.reserve(size_t(n));
    maxUnit = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    const auto* end = p + n;
    while (p < end) {
        uint32_t c = *p;
        if (c < 0x80) {
            ++p;
        } else {
            int extra;
            uint32_t min;
            if ((c & 0xE0) == 0xC0) {
                extra = 1;
                c &= 0x1F;
                min = 0x80;
            } else if ((c & 0xF0) == 0xE0) {
                extra = 2;
                c &= 0x0F;
                min = 0x800;
            } else if ((c & 0xF8) == 0xF0) {
                extra = 3;
                c &= 0x07;
                min = 0x10000;
            } else {
                return false;
            }
            if (end - p <= extra)
                return false;
            for (int k = 1; k <= extra; ++k) {
                if ((p[k] & 0xC0) != 0x80)
                    return false;
                c = (c << 6) | (p[k] & 0x3F);
            }
            if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
                return false;
            p += extra + 1;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(char16_t(0xD800 + (c >> 10)));
            out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
            maxUnit = 0xFFFF;
        } else {
            out.push_back(char16_t(c));
            if (c > maxUnit)
                maxUnit = char16_t(c);
        }
    }
    return true;
}

QString tr(const char* text)
{
    return QCoreApplication::translate("TMemoSource", text);
}

/// Splits bytes into lines at LF, CR LF or a lone CR.
class LineReader
{
public:
    LineReader(TLineStore& lines, bool latin1) : m_lines(lines), m_latin1(latin1) { }

    /// Returns false when the bytes are not UTF-8 (in UTF-8 mode) or a line is too long.
    /// `buf` must be readable for kPadding bytes past `n`; lines may be decoded in place.
    bool feed(char* buf, qsizetype n)
    {
        char* p = buf;
        char* end = buf + n;
        if (m_pendingCR && p < end) {
            const bool pair = *p == '\n';
            if (pair)
                ++p;
            m_pendingCR = false;
            if (m_firstBreakPending)
                noteBreak(pair ? lbCRLF : lbCR);
        }
        // Line breaks are found 64 bytes at a time, then taken one by one from the mask, so
        // a short line costs a few instructions rather than a search of its own.
        char* lineStart = p;
        bool highBefore = false; ///< a non-ASCII byte from lineStart up to the current block
        for (char* block = p; block < end; block += 64) {
            uint64_t breaks, high;
            blockMasks(block, breaks, high);
            if (end - block < 64) {
                const uint64_t inside = (uint64_t(1) << (end - block)) - 1;
                breaks &= inside;
                high &= inside;
            }
            while (breaks) {
                char* brk = block + __builtin_ctzll(breaks);
                breaks &= breaks - 1;
                if (brk < lineStart)
                    continue; // the LF of a CR LF pair
                const qsizetype from = lineStart > block ? lineStart - block : 0;
                const uint64_t span = (uint64_t(1) << (brk - block)) - 1;
                const bool ascii = !highBefore && !(high & span & (~uint64_t(0) << from));
                if (!take(buf, lineStart, brk - lineStart, ascii))
                    return false;
                lineStart = brk + 1;
                if (*brk == '\r') {
                    if (lineStart < end) {
                        const bool pair = *lineStart == '\n';
                        if (pair)
                            ++lineStart;
                        if (m_firstBreak < 0)
                            noteBreak(pair ? lbCRLF : lbCR);
                    } else {
                        m_pendingCR = true;
                        m_firstBreakPending = m_firstBreak < 0;
                    }
                } else if (m_firstBreak < 0) {
                    noteBreak(lbLF);
                }
                highBefore = false;
            }
            if (lineStart < block + 64) {
                const qsizetype from = lineStart > block ? lineStart - block : 0;
                highBefore |= (high & (~uint64_t(0) << from)) != 0;
            }
        }
        flushSpans(buf);
        if (lineStart < end) {
            m_carry.append(lineStart, size_t(end - lineStart));
            if (qsizetype(m_carry.size()) > kMaxBytes)
                return failTooLong();
            m_lastWasBreak = false;
        } else if (lineStart > p) {
            m_lastWasBreak = true;
        }
        return true;
    }

    bool finish()
    {
        if (m_firstBreakPending)
            noteBreak(lbCR);
        if (!m_carry.empty() || !m_lastWasBreak) {
            if (!line(nullptr, 0, true))
                return false;
        }
        return true;
    }

    bool finalBreak() const { return m_sawAnything && m_lastWasBreak; }
    bool tooLong() const { return m_tooLong; }
    /// The kind of the first line end read; empty when there was none.
    std::optional<TLineBreak> firstBreak() const
    {
        return m_firstBreak < 0 ? std::nullopt : std::optional(TLineBreak(m_firstBreak));
    }

private:
    void noteBreak(TLineBreak kind)
    {
        m_firstBreak = kind;
        m_firstBreakPending = false;
    }

    static constexpr qsizetype kMaxBytes = TLineRec::kMaxSize;

    bool failTooLong()
    {
        m_tooLong = true;
        return false;
    }

    /// A line found in the read buffer `buf`: kept as a span to be stored with its
    /// neighbours, or stored at once when it ends a line begun in an earlier read or is wide.
    bool take(char* buf, char* p, qsizetype n, bool ascii)
    {
        if (!m_carry.empty())
            return line(p, n, ascii);
        m_sawAnything = true;
        n = trimmedLength(p, n);
        if (!m_latin1 && !ascii) {
            char16_t maxUnit;
            if (!decodeUtf8(p, n, m_wide, maxUnit))
                return false;
            if (maxUnit > 0xFF) {
                flushSpans(buf);
                m_lines.appendWide(m_wide.data(), qsizetype(m_wide.size()));
                return true;
            }
            // Latin-1 is never longer than its UTF-8, so it goes over the bytes it came from.
            for (size_t i = 0; i < m_wide.size(); ++i)
                p[i] = char(m_wide[i]);
            n = qsizetype(m_wide.size());
        }
        m_spans.push_back(TLineSpan { uint32_t(p - buf), uint32_t(n) });
        return true;
    }

    void flushSpans(const char* buf)
    {
        if (m_spans.empty())
            return;
        m_lines.appendLatin1Spans(buf, m_spans.data(), qsizetype(m_spans.size()));
        m_spans.clear();
    }

    bool line(const char* p, qsizetype n, bool ascii)
    {
        m_sawAnything = true;
        if (!m_carry.empty()) {
            m_carry.append(p, size_t(n));
            const qsizetype len = qsizetype(m_carry.size());
            const bool ok = store(m_carry.data(), len, isAscii(m_carry.data(), len));
            m_carry.clear();
            m_carry.shrink_to_fit();
            return ok;
        }
        return store(p, n, ascii);
    }

    bool store(const char* p, qsizetype n, bool ascii)
    {
        n = trimmedLength(p, n);
        if (n > kMaxBytes)
            return failTooLong();
        if (m_latin1 || ascii) {
            m_lines.appendLatin1(p, n);
            return true;
        }
        char16_t maxUnit;
        if (!decodeUtf8(p, n, m_wide, maxUnit))
            return false;
        if (maxUnit > 0xFF) {
            m_lines.appendWide(m_wide.data(), qsizetype(m_wide.size()));
        } else {
            m_narrow.resize(m_wide.size());
            for (size_t i = 0; i < m_wide.size(); ++i)
                m_narrow[i] = char(m_wide[i]);
            m_lines.appendLatin1(m_narrow.data(), qsizetype(m_narrow.size()));
        }
        return true;
    }

    TLineStore& m_lines;
    const bool m_latin1;
    std::string m_carry; ///< a line that runs across reads
    std::vector<TLineSpan> m_spans; ///< lines of the current read not stored yet
    std::u16string m_wide;
    std::string m_narrow;
    bool m_pendingCR = false; ///< a read ended on CR; an LF opening the next belongs to it
    int m_firstBreak = -1; ///< a TLineBreak once the first line end is known
    bool m_firstBreakPending = false; ///< the first line end is a CR that ended a read
    bool m_lastWasBreak = false;
    bool m_sawAnything = false;
    bool m_tooLong = false;
};

/// Feeds bytes [from, to) of `fd` to `reader` (to < 0: up to the end of the file). False
/// when the reader refuses them, when `abandon` is set, or on a read error (`readError` set).
bool readRange(int fd, qint64 from, qint64 to, LineReader& reader, char* buf, qsizetype chunk,
               const std::atomic<bool>& abandon, int& readError)
{
    for (qint64 at = from; to < 0 || at < to;) {
        if (abandon.load(std::memory_order_relaxed))
            return false;
        const qint64 want = to < 0 ? chunk : std::min<qint64>(chunk, to - at);
        const ssize_t got = ::pread(fd, buf, size_t(want), off_t(at));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            readError = errno;
            return false;
        }
        if (got == 0)
            break; // the end, or the file shrank under us
        at += got;
        if (!reader.feed(buf, got))
            return false;
    }
    return true;
}

/// Where a second thread may start reading a large file: just after the first LF at or
/// after its middle, so that both halves are whole lines. 0 when it should not be split.
qint64 splitPoint(int fd, qint64 fileSize)
{
    constexpr qint64 kMinSplit = qint64(8) << 20;
    const qint64 forced = g_twoThreadBytes.load(std::memory_order_relaxed);
    if (forced > 0 ? fileSize < forced
                   : fileSize < kMinSplit || std::thread::hardware_concurrency() < 2)
        return 0;
    char window[65536];
    const qint64 mid = fileSize / 2;
    const ssize_t got = ::pread(fd, window, sizeof window, off_t(mid));
    if (got <= 0)
        return 0;
    const void* lf = std::memchr(window, '\n', size_t(got));
    const qint64 split = lf ? mid + (static_cast<const char*>(lf) - window) + 1 : 0;
    // An empty second half would read as one more, empty, line.
    return split < fileSize ? split : 0;
}

/// Record room for `bytes` of text. Lines of real documents average well over 8 bytes;
/// untouched room costs no memory and trim() gives it back after the load.
qsizetype expectedLines(qint64 bytes)
{
    return qsizetype(std::min<qint64>(bytes / 8 + 16, qint64(1) << 27));
}

/// One reading of the whole file as UTF-8 (`latin1` false) or byte for character.
/// A large file is read in two halves at once, the second by another thread into a store of
/// its own that is then appended: a load is bound by copying and faulting in memory, which
/// two cores do twice as fast.
enum class ReadOutcome { Lines, NotUtf8, TooLong, ReadError };
ReadOutcome readAll(int fd, qint64 fileSize, bool latin1, TLineStore& out, bool& finalBreak,
                    TLineBreak& lineBreak, int& readError)
{
    const qint64 split = splitPoint(fd, fileSize);
    const qsizetype chunk = readChunk();
    std::atomic<bool> abandon { false };
    TLineStore tail;
    LineReader tailReader(tail, latin1);
    bool tailOk = true;
    int tailError = 0;
    std::exception_ptr tailFailure;
    std::thread second;
    if (split > 0) {
        tail.reserve(expectedLines(fileSize - split));
        try {
            second = std::thread([&] {
                try {
                    std::unique_ptr<char[]> buf(new char[chunk + kPadding]);
                    tailOk = readRange(fd, split, -1, tailReader, buf.get(), chunk, abandon,
                                       tailError)
                        && tailReader.finish();
                } catch (...) {
                    tailOk = false;
                    tailFailure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: read it all here.
        }
    }
    const qint64 headEnd = second.joinable() ? split : -1;
    out.reserve(expectedLines(headEnd < 0 ? fileSize : headEnd));
    LineReader reader(out, latin1);
    bool ok = true;
    std::exception_ptr failure;
    try {
        std::unique_ptr<char[]> buf(new char[chunk + kPadding]);
        ok = readRange(fd, 0, headEnd, reader, buf.get(), chunk, abandon, readError);
        if (ok && headEnd < 0)
            ok = reader.finish();
    } catch (...) {
        ok = false;
        failure = std::current_exception();
    }
    if (second.joinable()) {
        if (!ok)
            abandon.store(true);
        second.join();
    }
    if (failure)
        std::rethrow_exception(failure);
    if (tailFailure)
        std::rethrow_exception(tailFailure);
    if (reader.tooLong() || tailReader.tooLong())
        return ReadOutcome::TooLong;
    if (readError || tailError) {
        readError = readError ? readError : tailError;
        return ReadOutcome::ReadError;
    }
    if (!ok || !tailOk)
        return ReadOutcome::NotUtf8;
    if (headEnd < 0) {
        finalBreak = reader.finalBreak();
    } else {
        out.appendAll(tail);
        finalBreak = tailReader.finalBreak();
    }
    // A file without any line end takes the platform's.
    lineBreak = reader.firstBreak().value_or(tailReader.firstBreak().value_or(lbLF));
    return ReadOutcome::Lines;
}

bool readLinesOrThrow(const QString& fileName, TLineStore& out, TTextEncoding& encoding,
                      bool& finalBreak, TLineBreak& lineBreak, QString* error)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    // A device or pipe may never end (/dev/zero): only regular files are documents.
    if (!QFileInfo(fileName).isFile()) {
        if (error)
            *error = tr("Not a regular file");
        return false;
    }
    const qint64 fileSize = f.size();
    for (int pass = 0; pass < 2; ++pass) {
        const bool latin1 = pass == 1;
        out.clear();
        int readError = 0;
        switch (readAll(f.handle(), fileSize, latin1, out, finalBreak, lineBreak, readError)) {
        case ReadOutcome::Lines:
            if (out.count() == 0)
                out.insertEmpty(0, 1);
            out.trim();
            encoding = latin1 ? teLatin1 : teUtf8;
            return true;
        case ReadOutcome::TooLong:
            if (error)
                *error = tr("A line of the file is too long to edit");
            out.clear();
            return false;
        case ReadOutcome::ReadError:
            if (error)
                *error = qt_error_string(readError);
            out.clear();
            return false;
        case ReadOutcome::NotUtf8:
            break; // read it again byte for character, which round-trips any bytes
        }
    }
    return false;
}

bool readLines(const QString& fileName, TLineStore& out, TTextEncoding& encoding,
               bool& finalBreak, TLineBreak& lineBreak, QString* error)
{
    try {
        return readLinesOrThrow(fileName, out, encoding, finalBreak, lineBreak, error);
    } catch (const std::bad_alloc&) {
        out.clear();
        if (error)
            *error = tr("Not enough memory to open the file");
        return false;
    }
}

void appendUtf8(std::string& out, const LineText& t)
{
    if (t.isWide()) {
        const QByteArray b = QStringView(t.utf16(), t.size()).toUtf8();
        out.append(b.constData(), size_t(b.size()));
        return;
    }
    const char* p = t.latin1();
    for (qsizetype i = 0; i < t.size(); ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c < 0x80) {
            out.push_back(char(c));
        } else {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
}

} // namespace

void setFileReadingForTesting(qint64 twoThreadBytes, qint64 chunkBytes)
{
    g_twoThreadBytes.store(std::max<qint64>(twoThreadBytes, 0));
    g_readChunk.store(std::max<qint64>(chunkBytes, 0));
}

bool TMemoSource::LoadFromFile(const QString& fileName, QString* error)
{
    TLineStore fresh;
    TTextEncoding encoding = teUtf8;
    bool finalBreak = true;
    TLineBreak lineBreak = lbLF;
    if (!readLines(fileName, fresh, encoding, finalBreak, lineBreak, error))
        return false;
    beginChange(opLoadFile);
    const int oldCount = lineCount();
    m_d->lines.swap(fresh);
    m_encoding = encoding;
    m_finalLineBreak = finalBreak;
    m_lineBreak = lineBreak;
    resetAfterLoad();
    noteTextChange(0, lineCount() - 1, lineCount() - oldCount, 0);
    endChange();
    fresh.clear();
    return true;
}

bool TMemoSource::loadFile(const QString& fileName, QString* error)
{
    // LoadFromFile clears the selection and both logs and marks every line for parsing,
    // but only once the file has been read: a failed load leaves everything as it was.
    beginChange(opLoadFile);
    const bool ok = LoadFromFile(fileName, error);
    endChange();
    return ok;
}

bool TMemoSource::SaveToFile(const QString& fileName, QString* error) const
{
    QSaveFile f(fileName);
    // Unbuffered, so a full disk fails the write that meets it: a write that fails while
    // QSaveFile flushes its buffer on commit does not stop the rename, and a small document
    // would be replaced by a torn one with success reported.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    if (!writeTo(f, error)) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

bool TMemoSource::writeTo(QIODevice& device, QString* error) const
{
    const int n = lineCount();
    bool latin1 = m_encoding == teLatin1;
    for (int i = 0; latin1 && i < n; ++i)
        latin1 = !m_d->lines.rec(i).wide();
    static const char* const breaks[] = { "\n", "\r\n", "\r" };
    const std::string_view lineEnd = breaks[m_lineBreak];
    std::string buf;
    buf.reserve(size_t(kChunk) + 4096);
    for (int i = 0; i < n; ++i) {
        const LineText t = m_d->lines.text(i);
        if (latin1)
            buf.append(t.latin1() ? t.latin1() : "", size_t(t.size()));
        else
            appendUtf8(buf, t);
        if (i + 1 < n || m_finalLineBreak)
            buf.append(lineEnd);
        if (qsizetype(buf.size()) >= kChunk || i + 1 == n) {
            if (device.write(buf.data(), qint64(buf.size())) != qint64(buf.size())) {
                if (error)
                    *error = device.errorString();
                return false;
            }
            buf.clear();
        }
    }
    return true;
}

bool TMemoSource::saveFile(const QString& fileName, QString* error) const
{
    return SaveToFile(fileName, error);
}

void TMemoSource::expandTabs(int width)
{
    width = std::clamp(width, 0, 256);
    TLineStore& lines = m_d->lines;
    const int n = lineCount();
    bool anyTab = false;
    for (int i = 0; i < n && !anyTab; ++i) {
        const LineText t = lines.text(i);
        if (t.isWide())
            anyTab = std::find(t.utf16(), t.utf16() + t.size(), u'\t') != t.utf16() + t.size();
        else
            anyTab = t.size() > 0 && std::memchr(t.latin1(), '\t', size_t(t.size()));
    }
    if (!anyTab)
        return;
    beginChange(opSetLines);
    // Every line moves to fresh blocks in order, so each old block is given back as soon as
    // its lines have moved and the memory in use stays near one copy of the text.
    lines.closeArenaBlock();
    std::u16string wide;
    for (int i = 0; i < n; ++i) {
        const LineText t = lines.text(i);
        if (t.isWide()) {
            wide.clear();
            for (qsizetype k = 0; k < t.size(); ++k) {
                if (t.utf16()[k] == u'\t')
                    wide.append(size_t(width), u' ');
                else
                    wide.push_back(t.utf16()[k]);
            }
            lines.setWide(i, wide.data(), trimmedLength(wide.data(), qsizetype(wide.size())));
        } else {
            const char* p = t.latin1();
            const qsizetype len = t.size();
            if (len == 0)
                continue;
            const qsizetype tabs = std::count(p, p + len, '\t');
            if (tabs == 0) {
                lines.setLatin1(i, p, len);
                continue;
            }
            // A stored line never ends in a tab, so the expanded line needs no trimming.
            lines.rewriteLatin1(i, len + tabs * (width - 1), [p, len, width](char* out) {
                const char* from = p;
                const char* end = p + len;
                while (from < end) {
                    const char* tab = static_cast<const char*>(std::memchr(from, '\t', size_t(end - from)));
                    const char* stop = tab ? tab : end;
                    std::memcpy(out, from, size_t(stop - from));
                    out += stop - from;
                    if (!tab)
                        break;
                    std::memset(out, ' ', size_t(width));
                    out += width;
                    from = tab + 1;
                }
            });
        }
    }
    clearUndo();
    for (TPosition* p : m_positions) {
        int c = p->m_column, l = p->m_line;
        clampPosition(c, l);
        p->set(c, l);
    }
    noteTextChange(0, n - 1, 0, 0);
    endChange();
}
