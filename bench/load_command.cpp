/** @file load_command.cpp ** `pagemason-bench load FILE`: opens a file as File > Open does. **/
#include "BenchCommand.h"

#include "editor/TMemoSource.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

namespace {

/// "VmRSS"/"VmHWM" of this process in KiB, for --verbose.
QByteArray memoryLine()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS") || line.startsWith("VmHWM"))
            out += line.simplified() + ' ';
    }
    return out;
}

int runLoad(const QStringList& args)
{
    QTextStream err(stderr);
    const bool verbose = args.contains(QStringLiteral("--verbose"));
    QStringList files = args;
    files.removeAll(QStringLiteral("--verbose"));
    if (files.size() != 1) {
        err << "usage: pagemason-bench load FILE [--verbose]" << Qt::endl;
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    TMemoSource source;
    QString error;
    if (!source.loadFile(files.at(0), &error)) {
        err << error << Qt::endl;
        return 1;
    }
    const qint64 loaded = clock.nsecsElapsed();
    if (verbose)
        err << "after load: " << memoryLine() << Qt::endl;
    source.expandTabs(4);
    if (verbose) {
        err << "after expandTabs: " << memoryLine() << Qt::endl;
        err << "lines " << source.lineCount() << " load_ms " << loaded / 1e6 << " expand_ms "
            << (clock.nsecsElapsed() - loaded) / 1e6 << Qt::endl;
    }
    return 0;
}

const bool registered = pmbench::registerCommand(
    { "load", "load FILE [--verbose]: load a file and expand its tabs, as File > Open does",
      &runLoad });

} // namespace
