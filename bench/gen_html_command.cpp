/** @file gen_html_command.cpp ** `pagemason-bench gen-html FILE [LINES]`: writes the test page. **/
#include "BenchCommand.h"
#include "HtmlGenerator.h"

#include <QTextStream>

namespace {

int runGenHtml(const QStringList& args)
{
    QTextStream err(stderr);
    bool ok = true;
    const int lines = args.size() > 1 ? args.at(1).toInt(&ok) : 1000000;
    if (args.isEmpty() || args.size() > 2 || !ok || lines < 0) {
        err << "usage: pagemason-bench gen-html FILE [LINES]" << Qt::endl;
        return 2;
    }
    if (!pmbench::generateHtml(args.at(0), lines)) {
        err << "cannot write " << args.at(0) << Qt::endl;
        return 1;
    }
    return 0;
}

const bool registered = pmbench::registerCommand(
    { "gen-html", "gen-html FILE [LINES]: write a repeatable HTML page (default 1,000,000 lines)",
      &runGenHtml });

} // namespace
