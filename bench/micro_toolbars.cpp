/** @file micro_toolbars.cpp ** The toolbars' start-up step: the command list from a document
 ** window's menu, the shipped toolbar file and every toolbar window built and placed in a shown
 ** main window, as the first show does before "Ready". **/
#include "bench/BenchApplication.h"
#include "core/global_utl.h"
#include "document/Childwin.h"
#include "templates/dynamicMenusBar.h"
#include "toolbars/customToolbarWindows.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>

#include <benchmark/benchmark.h>

namespace {

void BM_LoadShippedToolbars(benchmark::State& state)
{
    pmbench::benchApplication();
    // The benchmark runs from the build's bin folder, beside the copied shipped files.
    setApplicationFolder(QCoreApplication::applicationDirPath());
    setFileNames();
    if (!QFile::exists(toolbarFileName) || !QFile::exists(dynamicMenusFileName)) {
        state.SkipWithError("shipped files missing");
        return;
    }
    TMDIChild menus; // the temporary window of start-up, with the dynamic menus
    loadDynamicMenus(dynamicMenusFileName, menus.mainMenu(), 3, [](QAction*) {});
    QMainWindow frame;
    frame.resize(900, 600);
    frame.show();
    for (auto _ : state) {
        loadToolbarsAtStartup(menus.mainMenu(), &frame);
        // The layout and the first paint happen before the first show is over, too.
        QCoreApplication::sendPostedEvents();
        benchmark::DoNotOptimize(frame.grab());
        state.PauseTiming();
        toolbarDescriptions.replace({});
        rebuildToolbars(&frame, false);
        QCoreApplication::sendPostedEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadShippedToolbars)->Unit(benchmark::kMillisecond);

} // namespace
