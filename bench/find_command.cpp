/** @file find_command.cpp ** `pagemason-bench find FILE TEXT`: loads a file and searches it once. **/
#include "BenchCommand.h"

#include "editor/TMemoSource.h"
#include "editor/TSearchOptions.h"

#include <QElapsedTimer>
#include <QTextStream>
#include <ctime>

namespace {

/// CPU time of the calling thread: the load's critical path when other threads help it.
double threadCpuMs()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int runFind(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList rest = args;
    TSearchOptions options;
    options.CaseSensitive = rest.removeAll(QStringLiteral("--case")) > 0;
    options.WholeWordsOnly = rest.removeAll(QStringLiteral("--whole")) > 0;
    const bool verbose = rest.removeAll(QStringLiteral("--verbose")) > 0;
    if (rest.size() != 2) {
        err << "usage: pagemason-bench find FILE TEXT [--case] [--whole] [--verbose]" << Qt::endl;
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = threadCpuMs();
    TMemoSource source;
    QString error;
    if (!source.loadFile(rest.at(0), &error)) {
        err << error << Qt::endl;
        return 1;
    }
    const qint64 loaded = clock.nsecsElapsed();
    const double loadCpu = threadCpuMs() - cpuStart;
    options.TextToFind = rest.at(1);
    options.FirstSearch = true;
    options.Origin = soEntireScope;
    TSearchPos pos;
    if (findText(source, options, pos, source.delimiterSet()))
        out << "found at line " << pos.Line + 1 << " index " << pos.Index << Qt::endl;
    else
        out << "not found" << Qt::endl;
    if (verbose) {
        err << "load_ms " << loaded / 1e6 << " find_ms " << (clock.nsecsElapsed() - loaded) / 1e6
            << " load_thread_cpu_ms " << loadCpu << Qt::endl;
    }
    return 0;
}

const bool registered = pmbench::registerCommand(
    { "find", "find FILE TEXT [--case] [--whole] [--verbose]: load a file and search it once",
      &runFind });

} // namespace
