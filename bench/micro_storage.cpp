/** @file micro_storage.cpp ** Keystroke, undo and repaint costs on a 1,000,000-line page. **/
#include "HtmlGenerator.h"

#include "editor/TMemoSource.h"

#include <QDir>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

/// The page File > Open would give: loaded once, tabs expanded. PAGEMASON_BENCH_FILE names
/// an existing page; otherwise one is generated in the temporary folder.
TMemoSource& bigDocument()
{
    static std::unique_ptr<TMemoSource> doc = [] {
        QString path = qEnvironmentVariable("PAGEMASON_BENCH_FILE");
        if (path.isEmpty())
            path = QDir::temp().filePath(QStringLiteral("pagemason-bench.html"));
        if (!QFileInfo::exists(path) && !pmbench::generateHtml(path))
            std::abort();
        auto s = std::make_unique<TMemoSource>();
        if (!s->loadFile(path))
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

BENCHMARK(BM_TypeChar)->Arg(0)->Arg(50)->Arg(100);
BENCHMARK(BM_UndoTypedChar)->Arg(0)->Arg(50)->Arg(100);
BENCHMARK(BM_TypeCharAndUndo)->Arg(0)->Arg(50)->Arg(100);
BENCHMARK(BM_EnterAndUndo)->Arg(0)->Arg(50)->Arg(100);
BENCHMARK(BM_TypeCharAndRecolourWindow)->Arg(0)->Arg(50)->Arg(100);
