/** @file replace_files_command.cpp ** `pagemason-bench replace-files DIR TEXT REPLACEMENT`: the
 ** replace run over every file of a folder, every question answered "Yes to all files". **/
#include "BenchCommand.h"
#include "FolderFiles.h"

#include "search/engine/TReplaceBackups.h"

#include <QElapsedTimer>
#include <QTextStream>

#include <memory>

namespace {

int runReplaceFiles(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList rest = args;
    const bool verbose = rest.removeAll(QStringLiteral("--verbose")) > 0;
    const bool noUndo = rest.removeAll(QStringLiteral("--no-undo")) > 0;
    if (rest.size() != 3) {
        err << "usage: pagemason-bench replace-files DIR TEXT REPLACEMENT [--no-undo] [--verbose]"
            << Qt::endl;
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    const QList<TSearchEntry> entries = pmbench::folderEntries(rest.at(0));
    TSearchOptions options;
    options.CaseSensitive = true; // as sed's s/// compares
    options.TextToFind = rest.at(1);
    options.ReplaceWith = rest.at(2);
    // The copies for undo are kept as the program keeps them, unless --no-undo.
    std::unique_ptr<TReplaceBackups> backups;
    if (!noUndo)
        backups = std::make_unique<TReplaceBackups>();
    TReplaceHost host;
    const TReplaceRunResult r = replaceInFiles(entries, options, host, backups.get());
    const qint64 replaced = clock.nsecsElapsed();
    out << "files changed: " << r.filesWritten << " (" << r.replacements << " replacements in "
        << r.filesProcessed << " files)" << Qt::endl;
    for (const QString& f : r.failures)
        err << "not changed: " << f << Qt::endl;
    backups.reset();
    if (verbose)
        err << "replace_ms " << replaced / 1e6 << " total_ms " << clock.nsecsElapsed() / 1e6
            << Qt::endl;
    return r.failures.isEmpty() ? 0 : 1;
}

const bool registered = pmbench::registerCommand({ "replace-files",
    "replace-files DIR TEXT REPLACEMENT [--no-undo] [--verbose]: replace in "
    "every file under DIR, answering \"Yes to all files\"; prints the files "
    "changed",
    &runReplaceFiles });

} // namespace
