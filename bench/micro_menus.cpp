/** @file micro_menus.cpp ** Building one document window's dynamic menus, from the shipped
 ** menus file and from a generated file of 10,000 entries. **/
#include "bench/BenchApplication.h"
#include "templates/dynamicMenusBar.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString shippedMenus()
{
    // The benchmark runs from the build's bin folder, beside the copied shipped files.
    return QCoreApplication::applicationDirPath() + QStringLiteral("/default.mnu");
}

/// 100 menus of 100 entries each, with a request in every tenth template.
QString generatedMenus(const QTemporaryDir& dir)
{
    const QString name = dir.filePath(QStringLiteral("big.mnu"));
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    QByteArray out = "Dynamic Menus File - Orvane\r\n{auto insert tags when new html is created\r\n"
                     "<HTML>{=,=}</HTML>\r\n}\r\n";
    for (int m = 0; m < 100; ++m) {
        out += "{Menu " + QByteArray::number(m) + "\r\n";
        for (int e = 0; e < 100; ++e) {
            out += "item=[Entry " + QByteArray::number(m) + "." + QByteArray::number(e) + "]\r\n";
            out += e % 10 == 0 ? "<P CLASS={= 'Class', string =}>{=,=}</P>\r\n"
                               : "<B>{=,=}</B>\r\n";
        }
        out += "}\r\n";
    }
    f.write(out);
    return name;
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
    buildMenus(state, generatedMenus(dir));
}
BENCHMARK(BM_Build10000EntryMenus)->Unit(benchmark::kMillisecond);

} // namespace
