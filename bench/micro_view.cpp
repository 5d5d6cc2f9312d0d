/** @file micro_view.cpp ** Painting and keystroke costs of the editor view on a 1,000,000-line page. **/
#include "HtmlGenerator.h"

#include "editor/TDCMemo.h"

#include "bench/BenchApplication.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

QApplication& application() { return pmbench::benchApplication(); }

/// Tags in style 1, text in style 2: enough runs per line to cost what real colouring does.
int32_t colourTags(const LineText& line, int32_t state, uint8_t* colors)
{
    bool inTag = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t c = line.at(i);
        if (c == u'<')
            inTag = true;
        colors[i] = inTag ? 1 : 2;
        if (c == u'>')
            inTag = false;
    }
    return state;
}

/// A document window's editor, 1000 x 800 pixels, over the page File > Open would give
/// (PAGEMASON_BENCH_FILE names one; otherwise it is generated in the temporary folder).
/// Views live until the process ends: a widget destroyed by an exit handler outlives Qt's own
/// per-thread data and crashes.
struct View {
    TMemoSource source;
    TDCMemo memo;
    QImage target;

    explicit View(const QString& family)
    {
        memo.setTextStyles({ { QStringLiteral("plain"), 0xFFFFFF, { 0 } },
                             { QStringLiteral("tag"), 0xFFFFFF, { 0x800000 } },
                             { QStringLiteral("text"), 0xF0F0F0, { 0x000080 } } });
        memo.setFont(QFont(family, 10));
        memo.setMemoSource(&source);
        memo.resize(1000, 800);
        memo.show();
        target = QImage(memo.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    }
    void paint() { memo.viewport()->render(&target); }
    void key(Qt::Key key, const QString& text = QString())
    {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&memo, &e);
    }
};

View& pageView()
{
    application();
    static View* const view = [] {
        QString path = qEnvironmentVariable("PAGEMASON_BENCH_FILE");
        if (path.isEmpty())
            path = QDir::temp().filePath(QStringLiteral("pagemason-bench.html"));
        if (!QFileInfo::exists(path) && !pmbench::generateHtml(path))
            std::abort();
        auto v = std::make_unique<View>(QStringLiteral("DejaVu Sans Mono"));
        if (!v->source.loadFile(path))
            std::abort();
        v->source.expandTabs(4);
        v->source.setOnParseSyntax(&colourTags);
        return v.release();
    }();
    return *view;
}

/// The same page as a file named on the command line gives it: tabs kept.
View& tabbedPageView()
{
    application();
    static View* const view = [] {
        pageView(); // makes sure the page exists
        QString path = qEnvironmentVariable("PAGEMASON_BENCH_FILE");
        if (path.isEmpty())
            path = QDir::temp().filePath(QStringLiteral("pagemason-bench.html"));
        auto v = std::make_unique<View>(QStringLiteral("DejaVu Sans Mono"));
        if (!v->source.loadFile(path))
            std::abort();
        v->source.setOnParseSyntax(&colourTags);
        return v.release();
    }();
    return *view;
}

void showLineAt(View& v, int64_t percent)
{
    const int line = int(percent * (v.source.lineCount() - 1) / 100);
    v.source.setCaret(v.source.lineLength(line) / 2, line);
    v.memo.centerCaretLine();
    v.paint(); // parses what is shown, so the loop measures painting alone
}

// One full repaint of the window at 0 %, 50 % and 100 % of the page.
void BM_ViewPaintWindow(benchmark::State& state)
{
    View& v = pageView();
    showLineAt(v, state.range(0));
    for (auto _ : state)
        v.paint();
    state.counters["lines"] = v.memo.visibleLines();
}
BENCHMARK(BM_ViewPaintWindow)->Arg(0)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

// A caret move by key and the repaint that follows, mid-page.
void BM_ViewArrowAndPaint(benchmark::State& state)
{
    View& v = pageView();
    showLineAt(v, 50);
    bool down = true;
    for (auto _ : state) {
        v.key(down ? Qt::Key_Down : Qt::Key_Up);
        v.paint();
        down = !down;
    }
}
BENCHMARK(BM_ViewArrowAndPaint)->Unit(benchmark::kMillisecond);

// A typed character (and its Backspace) with the repaint after each, mid-page.
void BM_ViewTypeAndPaint(benchmark::State& state)
{
    View& v = pageView();
    showLineAt(v, 50);
    for (auto _ : state) {
        v.key(Qt::Key_X, QStringLiteral("x"));
        v.paint();
        v.key(Qt::Key_Backspace);
        v.paint();
    }
    v.source.clearUndo();
}
BENCHMARK(BM_ViewTypeAndPaint)->Unit(benchmark::kMillisecond);

// The window's repaint, and a typed character with its Backspace, on the page with its tabs.
void BM_ViewPaintWindowTabsKept(benchmark::State& state)
{
    View& v = tabbedPageView();
    showLineAt(v, state.range(0));
    for (auto _ : state)
        v.paint();
}
BENCHMARK(BM_ViewPaintWindowTabsKept)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_ViewTypeAndPaintTabsKept(benchmark::State& state)
{
    View& v = tabbedPageView();
    showLineAt(v, 50);
    for (auto _ : state) {
        v.key(Qt::Key_X, QStringLiteral("x"));
        v.paint();
        v.key(Qt::Key_Backspace);
        v.paint();
    }
    v.source.clearUndo();
}
BENCHMARK(BM_ViewTypeAndPaintTabsKept)->Unit(benchmark::kMillisecond);

// A typed character and its Backspace, each repainted, on one 10 MB line of cells separated
// by tabs, the caret at 0 %, 50 % and 100 % of it. Not coloured: colouring reads the whole
// line again after each change, which would hide what the view itself costs.
void BM_ViewTabbedLongLineType(benchmark::State& state)
{
    application();
    static View* const v = [] {
        auto view = std::make_unique<View>(QStringLiteral("DejaVu Sans Mono"));
        const QString cell = QStringLiteral("<td class=\"c\">cell</td>\t");
        view->source.setText(cell.repeated((10 << 20) / cell.size()));
        return view.release();
    }();
    const int column = int(state.range(0) * v->source.lineLength(0) / 100);
    v->source.setCaret(column, 0);
    v->memo.ensureCaretVisible();
    v->paint();
    for (auto _ : state) {
        v->key(Qt::Key_X, QStringLiteral("x"));
        v->paint();
        v->key(Qt::Key_Backspace);
        v->paint();
    }
    v->source.clearUndo();
}
BENCHMARK(BM_ViewTabbedLongLineType)->Arg(0)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

// Right arrow and repaint on one 180,000-character line in a proportional font, the caret
// at 10 %, 50 % and 100 % of it.
void BM_ViewLongLineCaret(benchmark::State& state)
{
    application();
    static View* const v = [] {
        auto view = std::make_unique<View>(QStringLiteral("DejaVu Sans"));
        QString line;
        for (int i = 0; i < 20000; ++i)
            line += QStringLiteral("<b>x</b> ");
        view->source.setText(line);
        return view.release();
    }();
    const int column = int(state.range(0) * (v->source.lineLength(0) - 1) / 100);
    for (auto _ : state) {
        state.PauseTiming();
        v->source.setCaret(column, 0);
        state.ResumeTiming();
        v->key(Qt::Key_Right);
        v->paint();
    }
}
BENCHMARK(BM_ViewLongLineCaret)->Arg(10)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

} // namespace
