/** @file FilesGenerator.h ** A repeatable folder of small HTML pages for the search and replace
 ** benchmarks. **/
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>

namespace pmbench {

/// The word the pages hold for replacing, in nine pages of ten.
inline const char* const filesWord = "river";

/// Writes `count` pages of about `bytes` bytes each into `folder` (made when missing): LF line
/// ends, no tabs and no trailing blanks, so that the storage keeps every byte as read. Every
/// tenth page lacks `filesWord`. The same arguments always give the same bytes. Returns false
/// when a page cannot be written.
inline bool generateFiles(const QString& folder, int count = 2000, int bytes = 10240)
{
    if (!QDir().mkpath(folder))
        return false;
    static const char* const words[] = { "alpha", "table", "stone", "cloud", "green", "paper",
        "light", "music", "ocean", "frame", "value", "north" };
    uint32_t seed = 4242;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int i = 0; i < count; ++i) {
        const bool withWord = i % 10 != 9;
        QByteArray page
            = "<html>\n<head><title>Page " + QByteArray::number(i) + "</title></head>\n<body>\n";
        while (page.size() < bytes - 40) {
            QByteArray line = "<p class=\"" + QByteArray(words[next(12)]) + "\">";
            const int n = 4 + int(next(8));
            // About one line in twenty holds the word: a handful of matches a page.
            const int wordAt = withWord && next(20) == 0 ? int(next(uint32_t(n))) : -1;
            for (int w = 0; w < n; ++w) {
                if (w)
                    line += ' ';
                line += w == wordAt ? filesWord : words[next(12)];
            }
            page += line + "</p>\n";
        }
        page += "</body>\n</html>\n";
        QFile f(folder + QStringLiteral("/page%1.html").arg(i, 4, 10, QLatin1Char('0')));
        if (!f.open(QIODevice::WriteOnly) || f.write(page) != page.size())
            return false;
    }
    return true;
}

} // namespace pmbench
