/** @file micro_preview.cpp ** The preview: a typical page in a new web view until it has
 ** loaded, one live refresh of it, and the page made of the text on the typing thread for
 ** pages of 1, 4 and 50 MB (the cost a live refresh adds to the typing). **/
#include "HtmlGenerator.h"

#include "document/TPreviewPane.h"
#include "editor/TMemoSource.h"

#include "bench/BenchApplication.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <memory>
#include <unistd.h>

namespace {

QApplication& application()
{
    // Chromium refuses to start as root with its sandbox on.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    return pmbench::benchApplication();
}

/// A typical page: a style sheet and a picture beside it, a few screens of text.
QString typicalPage()
{
    static const QString page = [] {
        const QString dir = QDir::tempPath() + QStringLiteral("/pagemason-bench-preview/");
        QDir().mkpath(dir);
        QFile css(dir + QStringLiteral("site.css"));
        css.open(QIODevice::WriteOnly);
        css.write("body { font-family: sans-serif; margin: 2em } h2 { color: #268bd2 }\n");
        QByteArray html = "<html><head><title>Bench</title><link rel=stylesheet href=site.css>"
                          "</head><body>\n";
        for (int i = 0; i < 40; ++i)
            html += "<h2>Section " + QByteArray::number(i)
                + "</h2>\n<p>Some text of a paragraph, with <b>bold</b> and <a href=#x>a "
                  "link</a>, long enough to wrap once or twice in the view.</p>\n";
        html += "</body></html>\n";
        QFile f(dir + QStringLiteral("index.html"));
        f.open(QIODevice::WriteOnly);
        f.write(html);
        return f.fileName();
    }();
    return page;
}

QByteArray typicalBytes()
{
    QFile f(typicalPage());
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

bool waitLoaded(TPreviewPane& pane)
{
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&pane, &TPreviewPane::loaded, &loop, [&](bool done) {
        ok = done;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    return ok;
}

void BM_PreviewNewView(benchmark::State& state)
{
    application();
    const QByteArray bytes = typicalBytes();
    for (auto _ : state) {
        auto pane = std::make_unique<TPreviewPane>();
        pane->resize(800, 600);
        pane->show();
        pane->showText(bytes, typicalPage());
        if (!waitLoaded(*pane))
            state.SkipWithError("the page did not load");
    }
}
BENCHMARK(BM_PreviewNewView)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PreviewLiveRefresh(benchmark::State& state)
{
    application();
    const QByteArray bytes = typicalBytes();
    TPreviewPane pane;
    pane.resize(800, 600);
    pane.show();
    pane.showText(bytes, typicalPage());
    waitLoaded(pane);
    for (auto _ : state) {
        pane.showText(bytes, typicalPage());
        if (!waitLoaded(pane))
            state.SkipWithError("the page did not load");
    }
}
BENCHMARK(BM_PreviewLiveRefresh)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_PreviewPageBytes(benchmark::State& state)
{
    const int lines = int(state.range(0));
    const QString file = QDir::tempPath() + QStringLiteral("/pagemason-bench-preview/big-")
        + QString::number(lines) + QStringLiteral(".html");
    if (!QFile::exists(file))
        pmbench::generateHtml(file, lines);
    TMemoSource source;
    source.loadFile(file);
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray page = TPreviewPane::pageBytes(source);
        bytes = page.size();
        benchmark::DoNotOptimize(page.data());
    }
    state.counters["MB"] = double(bytes) / (1 << 20);
}
// About 50 bytes a line: 1, 4 and 50 MB.
BENCHMARK(BM_PreviewPageBytes)->Arg(20000)->Arg(80000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
