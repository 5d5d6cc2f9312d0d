/** @file micro_storage.cpp ** Keystroke, undo and repaint costs on a 1,000,000-line page. **/
#include "HtmlGenerator.h"

#include "editor/TMemoSource.h"
#include "editor/TSearchOptions.h"

#include <QDir>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

/// The page File > Open would give: loaded once, tabs expanded. PAGEMASON_BENCH_FILE names
/// an existing page; otherwise one is generated in the temporary folder.
const QString& bigDocumentPath()
{
    static const QString path = [] {
        QString p = qEnvironmentVariable("PAGEMASON_BENCH_FILE");
        if (p.isEmpty())
            p = QDir::temp().filePath(QStringLiteral("pagemason-bench.html"));
        if (!QFileInfo::exists(p) && !pmbench::generateHtml(p))
            std::abort();
        return p;
    }();
    return path;
}

TMemoSource& bigDocument()
{
    static std::unique_ptr<TMemoSource> doc = [] {
        auto s = std::make_unique<TMemoSource>();
        if (!s->loadFile(bigDocumentPath()))
            std::abort();
        s->expandTabs(4);
        return s;
    }();
    return *doc;
}

/// Line at `percent` of the document, caret in the middle of its text.
void placeCaret(TMemoSource& s, int64_t percent)
{
    const int line = int(percent * (s.lineCount() - 1) / 100);
    s.setCaret(s.lineLength(line) / 2, line);
}

void BM_TypeChar(benchmark::State& state)
{
    TMemoSource& s = bigDocument();
    placeCaret(s, state.range(0));
    for (auto _ : state) {
        s.keyChar(u'x');
        state.PauseTiming();
        s.Undo();
        state.ResumeTiming();
    }
}

void BM_UndoTypedChar(benchmark::State& state)
{
    TMemoSource& s = bigDocument();
    placeCaret(s, state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        s.keyChar(u'x');
        state.ResumeTiming();
        s.Undo();
    }
}

void BM_TypeCharAndUndo(benchmark::State& state)
{
    TMemoSource& s = bigDocument();
    placeCaret(s, state.range(0));
    for (auto _ : state) {
        s.keyChar(u'x');
        s.Undo();
    }
}

void BM_EnterAndUndo(benchmark::State& state)
{
    TMemoSource& s = bigDocument();
    placeCaret(s, state.range(0));
    for (auto _ : state) {
        s.keyEnter();
        s.Undo();
    }
}

/// A keystroke and its undo in the middle of one 10 MB line (a minified page, say).
void BM_TypeCharAndUndoLongLine(benchmark::State& state)
{
    static std::unique_ptr<TMemoSource> doc = [] {
        auto s = std::make_unique<TMemoSource>();
        QString line;
        while (line.size() < (10 << 20))
            line += QStringLiteral("<td class=\"c%1\">cell</td>").arg(line.size() % 97);
        s->setText(line);
        return s;
    }();
    TMemoSource& s = *doc;
    s.setCaret(s.lineLength(0) / 2, 0);
    for (auto _ : state) {
        s.keyChar(u'x');
        s.Undo();
    }
}

/// A keystroke and the colours of a 60-line window below it, as a repaint asks for them.
void BM_TypeCharAndRecolourWindow(benchmark::State& state)
{
    TMemoSource& s = bigDocument();
    s.setOnParseSyntax([](const LineText& t, int32_t init, uint8_t* c) {
        for (qsizetype i = 0; i < t.size(); ++i)
            c[i] = t.at(i) == u'<' ? 3 : 1;
        return t.isEmpty() ? init : 0;
    });
    placeCaret(s, state.range(0));
    const int first = s.CaretY();
    const int last = std::min(first + 60, s.lineCount() - 1);
    for (int l = first; l <= last; ++l)
        s.colorData(l);
    for (auto _ : state) {
        s.keyChar(u'x');
        for (int l = first; l <= last; ++l)
            benchmark::DoNotOptimize(s.colorData(l));
        s.Undo();
    }
    s.setOnParseSyntax(nullptr);
}

} // namespace

/// findText over the whole page for a text it does not hold; argument 1: whole words only.
void BM_FindAbsent(benchmark::State& state)
{
    TMemoSource& s = bigDocument();
    TSearchOptions options;
    options.TextToFind = QStringLiteral("zqxwv");
    options.WholeWordsOnly = state.range(0) != 0;
    for (auto _ : state) {
        options.FirstSearch = true;
        options.Origin = soEntireScope;
        TSearchPos pos;
        if (findText(s, options, pos, s.delimiterSet()))
            state.SkipWithError("the absent text was found");
    }
}

/// Reading the page into a fresh storage (wall time: a large file is read by two threads).
void BM_LoadFile(benchmark::State& state)
{
    const QString& path = bigDocumentPath();
    for (auto _ : state) {
        TMemoSource s;
        if (!s.loadFile(path))
            state.SkipWithError("load failed");
    }
}

BENCHMARK(BM_FindAbsent)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TypeChar)->Arg(0)->Arg(50)->Arg(100);
BENCHMARK(BM_UndoTypedChar)->Arg(0)->Arg(50)->Arg(100);
BENCHMARK(BM_TypeCharAndUndo)->Arg(0)->Arg(50)->Arg(100);
BENCHMARK(BM_TypeCharAndUndoLongLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnterAndUndo)->Arg(0)->Arg(50)->Arg(100);
BENCHMARK(BM_TypeCharAndRecolourWindow)->Arg(0)->Arg(50)->Arg(100);
