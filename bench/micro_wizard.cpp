/** @file micro_wizard.cpp ** Time to open the input wizard for a template with 20 requests. **/
#include "core/global_utl.h"
#include "templates/requestSyntax.h"
#include "templates/wizard/inputForm.h"
#include "templates/wizard/inputTemplatesFrm.h"

#include "bench/BenchApplication.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QApplication& wizardBenchApp() { return pmbench::benchApplication(); }

/// The twenty requests: every page kind, the combos with a full history.
struct Request {
    int type;
    const char* parameters;
};
constexpr Request requests[] = {
    {rtFile, "HTML files|*.htm;*.html"}, {rtString, ""}, {rtNumber, ""}, {rtPercent, ""},
    {rtUrl, ""}, {rtUrlFile, "HTML files|*.htm"}, {rtColor, ""}, {rtAttList, "<a;name=;\" >"},
    {rtAlign, ""}, {rtImage, ""}, {rtList, "'Red','#FF0000','Blue','#0000FF'"}, {rtText, ""},
    {rtDate, ""}, {rtString, ""}, {rtNumber, ""}, {rtImage, ""}, {rtFile, ""}, {rtUrl, ""},
    {rtColor, ""}, {rtString, ""}};

void BM_OpenWizardWith20Requests(benchmark::State& state)
{
    wizardBenchApp();
    QTemporaryDir dir;
    historyFileName = dir.filePath(QStringLiteral("recent.lst"));
    QFile history(historyFileName);
    if (history.open(QIODevice::WriteOnly)) {
        for (const char* section : {"FileName", "URL", "FileNameURL", "ImageFN"}) {
            history.write(QByteArray("[") + section + "]\r\n");
            for (int i = 0; i < 11; ++i)
                history.write("/home/user/site/page" + QByteArray::number(i) + ".html=\r\n");
        }
        history.close();
    }
    TinputTemplates templates; // made once at start-up
    for (auto _ : state) {
        TinputDlg dlg;
        for (const Request& r : requests)
            dlg.addPage(r.type, QStringLiteral("Description"), QString::fromLatin1(r.parameters),
                        QStringLiteral(" A="), QString(), false);
        dlg.start(QStringLiteral("Bench"));
        dlg.show();
        QApplication::processEvents(); // first paint and layout
        dlg.hide();
    }
}
BENCHMARK(BM_OpenWizardWith20Requests)->Unit(benchmark::kMillisecond);

} // namespace
