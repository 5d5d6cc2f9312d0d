/** @file fuzz_hotkeys.cpp ** libFuzzer target: the hotkeys file. **/
#include "fuzz/HotkeysFileCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString broken = pmfuzz::checkHotkeysFile(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "property broken: %s\n", broken.toUtf8().constData());
        std::abort();
    }
    return 0;
}
