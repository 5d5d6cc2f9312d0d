/** @file fuzz_regdocument.cpp ** libFuzzer target: the REGEDIT4 settings file. **/
#include "fuzz/RegDocumentCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString broken = pmfuzz::checkRegDocument(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "property broken: %s\n", broken.toUtf8().constData());
        std::abort();
    }
    return 0;
}
