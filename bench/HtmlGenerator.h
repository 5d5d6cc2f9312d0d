/** @file HtmlGenerator.h ** A large, repeatable HTML page for the benchmarks. **/
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>

namespace pmbench {

/// Writes `lines` lines of nested HTML (about 50 bytes a line, CR LF breaks) indented with
/// tabs, with trailing blanks on some lines and a little non-ASCII text. The same arguments
/// always give the same bytes. Returns false when the file cannot be written.
inline bool generateHtml(const QString& fileName, int lines = 1000000)
{
    QFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    static const char* const words[] = { "alpha", "table", "river", "stone", "cloud", "green",
                                         "paper", "light", "music", "ocean", "frame", "value" };
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    QByteArray buf;
    buf.reserve(1 << 21);
    int depth = 1;
    for (int i = 0; i < lines; ++i) {
        buf.append(QByteArray(depth, '\t'));
        switch (next(6)) {
        case 0:
            buf += "<div class=\"" + QByteArray(words[next(12)]) + "\" id=\"n"
                + QByteArray::number(i) + "\">";
            depth = depth < 8 ? depth + 1 : depth;
            break;
        case 1:
            buf += "</div>";
            depth = depth > 1 ? depth - 1 : depth;
            break;
        case 2:
            buf += "<td class=\"" + QByteArray(words[next(12)]) + "\" title=\"" + words[next(12)]
                + "\"><a href=\"page"
                + QByteArray::number(next(1000)) + ".html\">" + words[next(12)] + "</a></td>";
            break;
        case 3:
            buf += "<!-- " + QByteArray(words[next(12)]) + " " + words[next(12)] + " "
                + words[next(12)] + " " + words[next(12)] + " " + words[next(12)] + " -->";
            break;
        default:
            buf += "<p class=\"" + QByteArray(words[next(12)]) + "\">" + words[next(12)] + " " + words[next(12)] + " "
                + words[next(12)] + " " + words[next(12)] + " " + words[next(12)] + " "
                + words[next(12)] + (next(50) == 0 ? " caf\xc3\xa9" : "") + "</p>";
            break;
        }
        if (next(4) == 0)
            buf += next(2) ? "   " : " \t";
        buf += "\r\n";
        if (buf.size() > (1 << 20)) {
            if (f.write(buf) != buf.size())
                return false;
            buf.clear();
        }
    }
    return f.write(buf) == buf.size() && f.flush();
}

} // namespace pmbench
