/** @file micro_typing.cpp ** A keystroke in a document window, in a short line and in a 10 MB line. **/
#include "bench/BenchApplication.h"
#include "core/global_utl.h"
#include "document/Childwin.h"
#include "document/TDocumentHost.h"
#include "editor/TDCMemo.h"
#include "platform/MemorySettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

class BenchHost : public TDocumentHost
{
public:
    QMdiArea area;
    QMdiArea* mdiArea() override { return &area; }
};

/// One piece of a page: tags, attributes, a comment and text, as the shipped rules colour.
const QString& htmlPiece()
{
    static const QString piece = QStringLiteral(
        "<tr><td class=\"cell\" width=\"40%\"><a href=\"page.html#top\">Link</a> some text "
        "<b>bold</b> &amp; more</td><!-- note --></tr> ");
    return piece;
}

/// A document window as File > New makes it, with the shipped colour rules, shown at 1000 x
/// 800 pixels in the given font, holding `text` with the caret in the middle of `line`.
struct Window {
    QApplication& app = pmbench::benchApplication(); // before any widget
    QTemporaryDir dir;
    pm::MemorySettingsStore store;
    BenchHost host;
    TMDIChild* window = nullptr;

    Window(const QString& text, int line, const QString& family)
    {
        pm::setSettingsStore(&store);
        setDocumentHost(&host);
        dynamicMenusFileName
            = QCoreApplication::applicationDirPath() + QStringLiteral("/default.mnu");
        hotkeysFileName = dir.filePath(QStringLiteral("none.HotKeys"));
        colorRulesFileName
            = QCoreApplication::applicationDirPath() + QStringLiteral("/Pagemason.colors");
        globalOptions = optns();
        host.area.resize(1040, 900);
        host.area.show();
        window = createDocumentWindow(QStringLiteral("Untitled:1"), false);
        window->parentWidget()->showMaximized();
        TDCMemo* memo = window->editor();
        memo->setFont(QFont(family, 10));
        TMemoSource& source = window->source();
        source.setText(text);
        source.setCaret(source.lineLength(line) / 2, line);
        memo->setFocus();
        memo->centerCaretLine();
        settle();
        // The caret in the middle of the window, so that typing does not scroll it sideways.
        QScrollBar* h = memo->horizontalScrollBar();
        h->setValue(h->value() + h->pageStep() / 2);
        settle();
    }
    ~Window()
    {
        delete window->parentWidget();
        setDocumentHost(nullptr);
        pm::setSettingsStore(nullptr);
    }
    /// What the event loop does after a key: the repaint of what the key changed.
    static void settle() { QCoreApplication::processEvents(); }
    void key(Qt::Key key, const QString& text = QString())
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(window->editor(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(window->editor(), &release);
    }
};

/// A typed character and a Backspace, each with the repaint that follows; range(0): 0 for a
/// page of short lines, 1 for one 10 MB line; range(1): 0 monospace, 1 a proportional font.
void BM_TypeInLine(benchmark::State& state)
{
    const bool longLine = state.range(0) != 0;
    const QString family
        = state.range(1) ? QStringLiteral("DejaVu Sans") : QStringLiteral("DejaVu Sans Mono");
    QString text;
    int line = 0;
    if (longLine) {
        text = htmlPiece().repeated((10 << 20) / htmlPiece().size());
    } else {
        QStringList lines;
        for (int i = 0; i < 2000; ++i)
            lines << htmlPiece().left(70);
        text = lines.join(QStringLiteral("\n"));
        line = 1000;
    }
    Window w(text, line, family);
    TMemoSource& source = w.window->source();
    const int length = source.lineLength(line);
    for (auto _ : state) {
        w.key(Qt::Key_X, QStringLiteral("x"));
        Window::settle();
        w.key(Qt::Key_Backspace);
        Window::settle();
    }
    if (source.lineLength(line) != length)
        state.SkipWithError("the line did not come back to its length");
    state.counters["chars"] = length;
    source.clearUndo();
}
BENCHMARK(BM_TypeInLine)
    ->ArgsProduct({ { 0, 1 }, { 0, 1 } })
    ->ArgNames({ "long", "proportional" })
    ->Unit(benchmark::kMicrosecond);

} // namespace
