/** @file micro_menus.cpp ** Building one document window's dynamic menus, from the shipped
 ** menus file, from generated files of 10,000 and 50,000 entries and from a file with one
 ** huge template line. **/
#include "bench/BenchApplication.h"
#include "core/global_utl.h"
#include "document/Childwin.h"
#include "document/TDocumentHost.h"
#include "platform/MemorySettingsStore.h"
#include "templates/dynamicMenusBar.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString shippedMenus()
{
    // The benchmark runs from the build's bin folder, beside the copied shipped files.
    return QCoreApplication::applicationDirPath() + QStringLiteral("/default.mnu");
}

const QByteArray fileHead = "Dynamic Menus File - Orvane\r\n{auto insert tags when new html is "
                            "created\r\n<HTML>{=,=}</HTML>\r\n}\r\n";

QString writeFile(const QTemporaryDir& dir, const QByteArray& content)
{
    const QString name = dir.filePath(QStringLiteral("big.mnu"));
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        return QString();
    return name;
}

/// `menus` menus of `entries` entries each, with a request in every tenth template.
QString generatedMenus(const QTemporaryDir& dir, int menus, int entries)
{
    QByteArray out = fileHead;
    for (int m = 0; m < menus; ++m) {
        out += "{Menu " + QByteArray::number(m) + "\r\n";
        for (int e = 0; e < entries; ++e) {
            out += "item=[Entry " + QByteArray::number(m) + "." + QByteArray::number(e) + "]\r\n";
            out += e % 10 == 0 ? "<P CLASS={= 'Class', string =}>{=,=}</P>\r\n"
                               : "<B>{=,=}</B>\r\n";
        }
        out += "}\r\n";
    }
    return writeFile(dir, out);
}

/// One menu with one entry whose template is a single line of `bytes` characters.
QString hugeLineMenus(const QTemporaryDir& dir, qsizetype bytes)
{
    QByteArray out = fileHead + "{Menu\r\nitem=[Huge]\r\n";
    out += QByteArray(bytes, 'x');
    out += "\r\n}\r\n";
    return writeFile(dir, out);
}

void buildMenus(benchmark::State& state, const QString& file)
{
    pmbench::benchApplication();
    if (file.isEmpty() || !QFile::exists(file)) {
        state.SkipWithError("menus file missing");
        return;
    }
    for (auto _ : state) {
        QMenuBar bar;
        for (int i = 0; i < 3; ++i)
            bar.addMenu(QStringLiteral("Menu"));
        loadDynamicMenus(file, &bar, 3, [](QAction*) { });
        benchmark::DoNotOptimize(bar.actions().size());
        // What the event loop does before a window is closed; without it every widget's
        // destructor searches all the others' pending events.
        QCoreApplication::sendPostedEvents();
    }
}

void BM_BuildShippedMenus(benchmark::State& state)
{
    pmbench::benchApplication(); // before asking for the application's folder
    buildMenus(state, shippedMenus());
}
BENCHMARK(BM_BuildShippedMenus)->Unit(benchmark::kMillisecond);

void BM_Build10000EntryMenus(benchmark::State& state)
{
    QTemporaryDir dir;
    buildMenus(state, generatedMenus(dir, 100, 100));
}
BENCHMARK(BM_Build10000EntryMenus)->Unit(benchmark::kMillisecond);

// Five times the entries must take about five times as long.
void BM_Build50000EntryMenus(benchmark::State& state)
{
    QTemporaryDir dir;
    buildMenus(state, generatedMenus(dir, 100, 500));
}
BENCHMARK(BM_Build50000EntryMenus)->Unit(benchmark::kMillisecond);

// All 50,000 entries in one menu: nothing may walk the menu for every entry added.
void BM_Build50000EntriesInOneMenu(benchmark::State& state)
{
    QTemporaryDir dir;
    buildMenus(state, generatedMenus(dir, 1, 50000));
}
BENCHMARK(BM_Build50000EntriesInOneMenu)->Unit(benchmark::kMillisecond);

// 50,000 top-level menus of one entry each: the menu bar must not be walked per menu either.
void BM_Build50000TopLevelMenus(benchmark::State& state)
{
    QTemporaryDir dir;
    buildMenus(state, generatedMenus(dir, 50000, 1));
}
BENCHMARK(BM_Build50000TopLevelMenus)->Unit(benchmark::kMillisecond);

void BM_BuildHugeLineMenus(benchmark::State& state)
{
    QTemporaryDir dir;
    buildMenus(state, hugeLineMenus(dir, qsizetype(state.range(0)) << 20));
    state.SetLabel(std::to_string(state.range(0)) + " MB line");
}
BENCHMARK(BM_BuildHugeLineMenus)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

class BenchHost : public TDocumentHost
{
public:
    QMdiArea area;
    QMdiArea* mdiArea() override { return &area; }
};

/// What File > New does with the menus: a whole document window, its menus and hotkeys.
void newDocumentWindows(benchmark::State& state, const QString& file)
{
    pmbench::benchApplication();
    if (file.isEmpty()) {
        state.SkipWithError("menus file missing");
        return;
    }
    QTemporaryDir dir;
    pm::MemorySettingsStore store;
    pm::setSettingsStore(&store);
    BenchHost host;
    setDocumentHost(&host);
    dynamicMenusFileName = file;
    hotkeysFileName = dir.filePath(QStringLiteral("none.HotKeys"));
    colorRulesFileName = QCoreApplication::applicationDirPath() + QStringLiteral("/Pagemason.colors");
    globalOptions = optns();
    globalOptions.autoInsertTags = false;
    for (auto _ : state) {
        TMDIChild* window = createDocumentWindow(QStringLiteral("Untitled:1"), false);
        benchmark::DoNotOptimize(window);
        QCoreApplication::sendPostedEvents();
        delete window->parentWidget();
    }
    setDocumentHost(nullptr);
    pm::setSettingsStore(nullptr);
}

void BM_NewWindow50000EntriesInOneMenu(benchmark::State& state)
{
    QTemporaryDir dir;
    newDocumentWindows(state, generatedMenus(dir, 1, 50000));
}
BENCHMARK(BM_NewWindow50000EntriesInOneMenu)->Unit(benchmark::kMillisecond);

void BM_NewWindowHugeLine(benchmark::State& state)
{
    QTemporaryDir dir;
    newDocumentWindows(state, hugeLineMenus(dir, qsizetype(100) << 20));
}
BENCHMARK(BM_NewWindowHugeLine)->Unit(benchmark::kMillisecond);

} // namespace
