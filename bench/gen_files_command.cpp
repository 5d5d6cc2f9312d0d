/** @file gen_files_command.cpp ** `pagemason-bench gen-files DIR [COUNT] [BYTES]`: writes the
 ** folder of pages the search and replace benchmarks work on. **/
#include "BenchCommand.h"
#include "FilesGenerator.h"

#include <QTextStream>

namespace {

int runGenFiles(const QStringList& args)
{
    QTextStream err(stderr);
    bool okCount = true, okBytes = true;
    const int count = args.size() > 1 ? args.at(1).toInt(&okCount) : 2000;
    const int bytes = args.size() > 2 ? args.at(2).toInt(&okBytes) : 10240;
    if (args.isEmpty() || args.size() > 3 || !okCount || !okBytes || count < 0 || bytes < 0) {
        err << "usage: pagemason-bench gen-files DIR [COUNT] [BYTES]" << Qt::endl;
        return 2;
    }
    if (!pmbench::generateFiles(args.at(0), count, bytes)) {
        err << "cannot write into " << args.at(0) << Qt::endl;
        return 1;
    }
    return 0;
}

const bool registered = pmbench::registerCommand({ "gen-files",
    "gen-files DIR [COUNT] [BYTES]: write COUNT pages of about BYTES bytes "
    "(default 2,000 of 10 KB; every tenth lacks \"river\")",
    &runGenFiles });

} // namespace
