/** @file fuzz_menusfile.cpp ** libFuzzer target: the dynamic menus file, its templates and
 ** the command-line check. **/
#include "fuzz/MenusFileCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString broken
        = pmfuzz::checkMenusFile(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "property broken: %s\n", broken.toUtf8().constData());
        std::abort();
    }
    return 0;
}
