/** @file search_files_command.cpp ** `pagemason-bench search-files DIR TEXT [--case]
 ** [--whole]`: the search dialog's run over every file of a folder, without windows. **/
#include "BenchCommand.h"
#include "FolderFiles.h"

#include <QElapsedTimer>
#include <QTextStream>

namespace {

int runSearchFiles(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList rest = args;
    TSearchOptions options;
    options.CaseSensitive = rest.removeAll(QStringLiteral("--case")) > 0;
    options.WholeWordsOnly = rest.removeAll(QStringLiteral("--whole")) > 0;
    const bool verbose = rest.removeAll(QStringLiteral("--verbose")) > 0;
    if (rest.size() != 2) {
        err << "usage: pagemason-bench search-files DIR TEXT [--case] [--whole] [--verbose]"
            << Qt::endl;
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    const QList<TSearchEntry> entries = pmbench::folderEntries(rest.at(0));
    const qint64 listed = clock.nsecsElapsed();
    options.TextToFind = rest.at(1);
    TRunMonitor monitor;
    const TSearchRunResult r = searchInFiles(entries, options, false, monitor);
    out << "files matched: " << r.filesMatched << " of " << r.filesSearched << Qt::endl;
    for (const QString& u : r.unreadable)
        err << "unreadable: " << u << Qt::endl;
    if (verbose)
        err << "list_ms " << listed / 1e6 << " search_ms " << (clock.nsecsElapsed() - listed) / 1e6
            << Qt::endl;
    return r.unreadable.isEmpty() ? 0 : 1;
}

const bool registered = pmbench::registerCommand({ "search-files",
    "search-files DIR TEXT [--case] [--whole] [--verbose]: search every file "
    "under DIR as the search dialog does; prints the files matched",
    &runSearchFiles });

} // namespace
