/** @file micro_plugins.cpp ** The cost of one plug-in call through pagemason-plugin-host: start
 ** the helper, load the collection, call, hand the text back. **/
#include "templates/pluginCall.h"

#include "bench/BenchApplication.h"

#include <QCoreApplication>
#include <QFile>
#include <benchmark/benchmark.h>

namespace {

QString shippedCollection()
{
    pmbench::benchApplication();
    return QCoreApplication::applicationDirPath() + QStringLiteral("/plugins/tools.so");
}

/// One call, timed alone; the repetitions give the median of many calls.
void runCalls(benchmark::State& state, const char* function, size_t selectionBytes)
{
    const QString tools = shippedCollection();
    if (!QFile::exists(tools) || !QFile::exists(pluginHostProgram())) {
        state.SkipWithError("the shipped collection or the plug-in host is not built");
        return;
    }
    TExportedValues values;
    values.selectedText = std::string(selectionBytes, 'a');
    setExportedValues(values);
    TPluginCallOptions options;
    options.waitWindow = nullptr;
    for (auto _ : state) {
        const TPluginCallResult r = callPlugin(tools, QString::fromLatin1(function), options);
        if (r.code != 0) {
            state.SkipWithError("the call failed");
            return;
        }
        benchmark::DoNotOptimize(r.text.size());
    }
}

void BM_PluginCall_LoremIpsum(benchmark::State& state)
{
    runCalls(state, "LoremIpsum", 0);
}
void BM_PluginCall_WrapSelectionOf1MB(benchmark::State& state)
{
    runCalls(state, "WrapInCode", 1 << 20);
}

} // namespace

BENCHMARK(BM_PluginCall_LoremIpsum)
    ->Iterations(1)
    ->Repetitions(200)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PluginCall_WrapSelectionOf1MB)
    ->Iterations(1)
    ->Repetitions(50)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
