/** @file fuzz_templatesyntax.cpp ** libFuzzer target: the template syntax check and the
 ** request parser. **/
#include "fuzz/TemplateSyntaxCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString broken = pmfuzz::checkTemplateSyntax(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "property broken: %s\n", broken.toUtf8().constData());
        std::abort();
    }
    return 0;
}
