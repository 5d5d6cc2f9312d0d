/** @file fuzz_colorrules.cpp ** libFuzzer target: the colour rules file and the colouring
 ** of lines. **/
#include "fuzz/ColorRulesCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString broken
        = pmfuzz::checkColorRules(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "property broken: %s\n", broken.toUtf8().constData());
        std::abort();
    }
    return 0;
}
