/** @file colour_command.cpp ** `pagemason-bench colour FILE [RULES]`: opens a file as File > Open
 ** does and colours every line the way painting the last line would. **/
#include "BenchCommand.h"

#include "colour/ColorRuleMatcher.h"
#include "colour/TDCParser.h"
#include "colour/customRules_utl.h"
#include "editor/TMemoSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

namespace {

int runColour(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.isEmpty() || args.size() > 2) {
        err << "usage: pagemason-bench colour FILE [RULES]" << Qt::endl;
        return 2;
    }
    const QString rulesFile = args.size() > 1
        ? args.at(1)
        : QCoreApplication::applicationDirPath() + QStringLiteral("/Pagemason.colors");
    if (!loadColorRules(colorRules, rulesFile))
        return 1;

    QElapsedTimer clock;
    clock.start();
    TMemoSource source;
    QString error;
    if (!source.loadFile(args.at(0), &error)) {
        err << error << Qt::endl;
        return 1;
    }
    source.expandTabs(4);
    const qint64 loaded = clock.nsecsElapsed();

    TDCParser parser;
    ColorRuleMatcher matcher(parser, colorRules);
    source.setOnParseSyntax(parser.parseSyntaxEvent());
    const int last = source.lineCount() - 1;
    // Asking for the last line parses every line from the parse mark down to it.
    const uint8_t* colors = source.colorData(last);
    const qint64 coloured = clock.nsecsElapsed();

    // Read the results so the work cannot be skipped, and give something to compare runs by.
    uint64_t sum = 0;
    for (int i = 0; i <= last; ++i)
        sum += uint64_t(source.lineEndState(i));
    if (colors) {
        for (int c = 0; c < source.lineLength(last); ++c)
            sum += colors[c];
    }
    out << "lines " << last + 1 << " rules " << colorRules.count() << " load_ms "
        << loaded / 1000000.0 << " colour_ms " << (coloured - loaded) / 1000000.0 << " check "
        << sum << Qt::endl;
    return 0;
}

const bool registered = pmbench::registerCommand(
    { "colour", "colour FILE [RULES]: load, expand tabs, colour every line", &runColour });

} // namespace
