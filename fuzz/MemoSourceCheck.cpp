/** @file MemoSourceCheck.cpp ** Property checks of the text storage's file reader and writer. **/
#include "fuzz/MemoSourceCheck.h"

#include "editor/TMemoSource.h"
#include "editor/TMemoSourceImpl.h"

#include <QDir>
#include <QFile>

#include <limits>

namespace pmfuzz {

namespace {

    struct Loaded
    {
        bool ok = false;
        QString error;
        QStringList lines;
        TTextEncoding encoding = teUtf8;
        bool finalBreak = false;
    };

    constexpr qint64 kNever = std::numeric_limits<qint64>::max();

    Loaded load(TMemoSource& s, const QString& file, qint64 twoThreadBytes, qint64 chunk)
    {
        setFileReadingForTesting(twoThreadBytes, chunk);
        Loaded l;
        l.ok = s.loadFile(file, &l.error);
        setFileReadingForTesting(0, 0);
        if (l.ok) {
            for (int i = 0; i < s.lineCount(); ++i)
                l.lines.append(s.line(i));
            l.encoding = s.encoding();
            l.finalBreak = s.finalLineBreak();
        }
        return l;
    }

    QString shown(const QString& s)
    {
        QString out;
        for (const QChar c : s.left(80)) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
            else
                out += c;
        }
        return out + (s.size() > 80 ? QStringLiteral("...") : QString());
    }

    /// Empty when both loads gave the same.
    QString compare(const Loaded& a, const Loaded& b)
    {
        if (a.ok != b.ok)
            return QStringLiteral("one loaded, the other failed: ") + a.error + b.error;
        if (a.encoding != b.encoding)
            return QStringLiteral("encodings differ");
        if (a.finalBreak != b.finalBreak)
            return QStringLiteral("final line breaks differ");
        for (qsizetype i = 0; i < std::min(a.lines.size(), b.lines.size()); ++i) {
            if (a.lines.at(i) != b.lines.at(i))
                return QStringLiteral("line %1: \"%2\" against \"%3\"")
                    .arg(i)
                    .arg(shown(a.lines.at(i)), shown(b.lines.at(i)));
        }
        if (a.lines.size() != b.lines.size())
            return QStringLiteral("%1 lines against %2").arg(a.lines.size()).arg(b.lines.size());
        return {};
    }

    /// What loading the save of `l` gives. An empty last line without a final break is written
    /// as nothing, so it comes back as the final break of the line before; the storage keeps
    /// such a line after a load (of "a\r\n  ", say) as a line of its own.
    Loaded afterSave(Loaded l)
    {
        if (l.lines.size() > 1 && l.lines.last().isEmpty() && !l.finalBreak) {
            l.lines.removeLast();
            l.finalBreak = true;
        }
        return l;
    }

    /// True when a save writes these bytes back: every line break is CR LF and no line ends in
    /// a character of code <= 32, which the storage drops.
    bool inSavedForm(const QByteArray& bytes)
    {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const char c = bytes.at(i);
            if (c == '\n')
                return false; // an LF without its CR: those of CR LF are skipped below
            if (c == '\r') {
                if (i + 1 >= bytes.size() || bytes.at(i + 1) != '\n')
                    return false;
                if (i > 0 && uchar(bytes.at(i - 1)) <= 32 && bytes.at(i - 1) != '\n')
                    return false;
                ++i;
            }
        }
        return bytes.isEmpty() || uchar(bytes.back()) > 32 || bytes.endsWith("\r\n");
    }

    bool writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(name);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    }

} // namespace

QString checkMemoSource(const QByteArray& bytes, const QString& folder)
{
    const QString input = QDir(folder).filePath(QStringLiteral("input.txt"));
    const QString output = QDir(folder).filePath(QStringLiteral("saved.txt"));
    if (!writeFile(input, bytes))
        return QStringLiteral("cannot write ") + input;
    const qint64 chunk = bytes.isEmpty() ? 1 : 1 + uchar(bytes.at(0)) % 64;

    TMemoSource plainSource;
    const Loaded plain = load(plainSource, input, kNever, 0);
    TMemoSource other;
    QString broken = compare(plain, load(other, input, 1, chunk));
    if (!broken.isEmpty())
        return QStringLiteral("two-thread reading, %1-byte reads: ").arg(chunk) + broken;
    broken = compare(plain, load(other, input, kNever, chunk));
    if (!broken.isEmpty())
        return QStringLiteral("%1-byte reads: ").arg(chunk) + broken;
    if (!plain.ok)
        return {};

    QString error;
    if (!plainSource.saveFile(output, &error))
        return QStringLiteral("save failed: ") + error;
    broken = compare(afterSave(plain), load(other, output, kNever, 0));
    if (!broken.isEmpty())
        return QStringLiteral("loading the save: ") + broken;
    if (inSavedForm(bytes)) {
        QFile f(output);
        if (!f.open(QIODevice::ReadOnly) || f.readAll() != bytes)
            return QStringLiteral("a file in saved form did not save byte for byte");
    }
    return {};
}

} // namespace pmfuzz
