/** @file colour_command.cpp ** `pagemason-bench colour FILE [RULES] [--pass-only]`: opens a file
 ** as File > Open does and colours every line the way painting the last line would. **/
#include "BenchCommand.h"

#include "colour/ColorRuleMatcher.h"
#include "colour/TDCParser.h"
#include "colour/customRules_utl.h"
#include "editor/TMemoSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <vector>

namespace {

int runColour(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList files = args;
    // --pass-only times the line pass alone, over the stored lines into one reused buffer,
    // leaving out the storage's own colour data.
    const bool passOnly = files.removeAll(QStringLiteral("--pass-only")) > 0;
    if (files.isEmpty() || files.size() > 2) {
        err << "usage: pagemason-bench colour FILE [RULES] [--pass-only]" << Qt::endl;
        return 2;
    }
    const QString rulesFile = files.size() > 1
        ? files.at(1)
        : QCoreApplication::applicationDirPath() + QStringLiteral("/Pagemason.colors");
    if (!loadColorRules(colorRules, rulesFile))
        return 1;

    QElapsedTimer clock;
    clock.start();
    TMemoSource source;
    QString error;
    if (!source.loadFile(files.at(0), &error)) {
        err << error << Qt::endl;
        return 1;
    }
    source.expandTabs(4);
    const qint64 loaded = clock.nsecsElapsed();

    TDCParser parser;
    ColorRuleMatcher matcher(parser, colorRules);
    if (passOnly) {
        std::vector<uint8_t> buffer;
        int32_t state = 0;
        uint64_t sum = 0;
        for (int i = 0; i < source.lineCount(); ++i) {
            const LineText line = source.lineText(i);
            buffer.assign(size_t(line.size()), 0);
            state = parser.parseLine(line, state, buffer.data());
            sum += uint64_t(state) + (buffer.empty() ? 0 : buffer.back());
        }
        out << "lines " << source.lineCount() << " rules " << colorRules.count() << " load_ms "
            << loaded / 1000000.0 << " pass_ms " << (clock.nsecsElapsed() - loaded) / 1000000.0
            << " check " << sum << Qt::endl;
        return 0;
    }
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
    { "colour",
      "colour FILE [RULES] [--pass-only]: load, expand tabs, colour every line through the "
      "storage (or time the line pass alone)",
      &runColour });

} // namespace
