/** @file TMemoSourceFiles.cpp ** Reading and writing a text storage's lines, and tab expansion. **/
#include "editor/TMemoSource.h"

#include "editor/TMemoSourceImpl.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <memory>
#include <string>

namespace {

constexpr qsizetype kChunk = qsizetype(1) << 20;

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
    bool feed(const char* buf, qsizetype n)
    {
        const char* p = buf;
        const char* end = buf + n;
        if (m_pendingCR && p < end) {
            if (*p == '\n')
                ++p;
            m_pendingCR = false;
        }
        const char* nextLF = nullptr;
        const char* nextCR = nullptr;
        while (p < end) {
            // Each search result is kept until passed, so every byte is scanned once.
            if (!nextLF || nextLF < p) {
                nextLF = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
                if (!nextLF)
                    nextLF = end;
            }
            if (!nextCR || nextCR < p) {
                nextCR = static_cast<const char*>(std::memchr(p, '\r', size_t(end - p)));
                if (!nextCR)
                    nextCR = end;
            }
            const char* brk = nextLF < nextCR ? nextLF : nextCR;
            if (brk == end) {
                m_carry.append(p, size_t(end - p));
                if (qsizetype(m_carry.size()) > kMaxBytes)
                    return failTooLong();
                m_lastWasBreak = false;
                return true;
            }
            if (!line(p, brk - p))
                return false;
            p = brk + 1;
            if (*brk == '\r') {
                if (p < end) {
                    if (*p == '\n')
                        ++p;
                } else {
                    m_pendingCR = true;
                }
            }
            m_lastWasBreak = true;
        }
        return true;
    }

    bool finish()
    {
        if (!m_carry.empty() || !m_lastWasBreak) {
            if (!line(nullptr, 0))
                return false;
        }
        return true;
    }

    bool finalBreak() const { return m_sawAnything && m_lastWasBreak; }
    bool tooLong() const { return m_tooLong; }

private:
    static constexpr qsizetype kMaxBytes = TLineRec::kMaxSize;

    bool failTooLong()
    {
        m_tooLong = true;
        return false;
    }

    bool line(const char* p, qsizetype n)
    {
        m_sawAnything = true;
        if (!m_carry.empty()) {
            m_carry.append(p, size_t(n));
            const bool ok = store(m_carry.data(), qsizetype(m_carry.size()));
            m_carry.clear();
            m_carry.shrink_to_fit();
            return ok;
        }
        return store(p, n);
    }

    bool store(const char* p, qsizetype n)
    {
        n = trimmedLength(p, n);
        if (n > kMaxBytes)
            return failTooLong();
        if (m_latin1 || isAscii(p, n)) {
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
    std::u16string m_wide;
    std::string m_narrow;
    bool m_pendingCR = false; ///< a read ended on CR; an LF opening the next belongs to it
    bool m_lastWasBreak = false;
    bool m_sawAnything = false;
    bool m_tooLong = false;
};

bool readLines(const QString& fileName, TLineStore& out, TTextEncoding& encoding,
               bool& finalBreak, QString* error)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    std::unique_ptr<char[]> buf(new char[kChunk]);
    for (int pass = 0; pass < 2; ++pass) {
        const bool latin1 = pass == 1;
        if (pass == 1 && !f.seek(0)) {
            if (error)
                *error = f.errorString();
            return false;
        }
        out.clear();
        LineReader reader(out, latin1);
        bool ok = true;
        while (true) {
            const qint64 got = f.read(buf.get(), kChunk);
            if (got < 0) {
                if (error)
                    *error = f.errorString();
                return false;
            }
            if (got == 0)
                break;
            if (!reader.feed(buf.get(), got)) {
                ok = false;
                break;
            }
        }
        if (ok)
            ok = reader.finish();
        if (reader.tooLong()) {
            if (error)
                *error = tr("A line of the file is too long to edit");
            out.clear();
            return false;
        }
        if (ok) {
            if (out.count() == 0)
                out.insertEmpty(0, 1);
            encoding = latin1 ? teLatin1 : teUtf8;
            finalBreak = reader.finalBreak();
            return true;
        }
        // Not UTF-8: read it again byte for character, which round-trips any bytes.
    }
    return false;
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

bool TMemoSource::LoadFromFile(const QString& fileName, QString* error)
{
    TLineStore fresh;
    TTextEncoding encoding = teUtf8;
    bool finalBreak = true;
    if (!readLines(fileName, fresh, encoding, finalBreak, error))
        return false;
    beginChange(opLoadFile);
    const int oldCount = lineCount();
    m_d->lines.swap(fresh);
    m_encoding = encoding;
    m_finalLineBreak = finalBreak;
    resetAfterLoad();
    noteTextChange(0, lineCount() - 1, lineCount() - oldCount);
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
    const int n = lineCount();
    bool latin1 = m_encoding == teLatin1;
    for (int i = 0; latin1 && i < n; ++i)
        latin1 = !m_d->lines.rec(i).wide();
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    std::string buf;
    buf.reserve(size_t(kChunk) + 4096);
    for (int i = 0; i < n; ++i) {
        const LineText t = m_d->lines.text(i);
        if (latin1)
            buf.append(t.latin1() ? t.latin1() : "", size_t(t.size()));
        else
            appendUtf8(buf, t);
        if (i + 1 < n || m_finalLineBreak)
            buf.append("\r\n");
        if (qsizetype(buf.size()) >= kChunk || i + 1 == n) {
            if (f.write(buf.data(), qint64(buf.size())) != qint64(buf.size())) {
                if (error)
                    *error = f.errorString();
                f.cancelWriting();
                return false;
            }
            buf.clear();
        }
    }
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
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
    std::string narrow;
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
            if (t.size() == 0)
                continue;
            if (!std::memchr(p, '\t', size_t(t.size()))) {
                lines.setLatin1(i, p, t.size());
                continue;
            }
            narrow.clear();
            for (qsizetype k = 0; k < t.size(); ++k) {
                if (p[k] == '\t')
                    narrow.append(size_t(width), ' ');
                else
                    narrow.push_back(p[k]);
            }
            lines.setLatin1(i, narrow.data(), trimmedLength(narrow.data(), qsizetype(narrow.size())));
        }
    }
    clearUndo();
    for (TPosition* p : m_positions) {
        int c = p->m_column, l = p->m_line;
        clampPosition(c, l);
        p->set(c, l);
    }
    noteTextChange(0, n - 1, 0);
    endChange();
}
