/** @file fuzz_ftpreplies.cpp ** libFuzzer target: the FTP reply line buffer and the
 ** client's handling of replies. **/
#include "fuzz/FtpRepliesCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString broken
        = pmfuzz::checkFtpReplies(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "property broken: %s\n", broken.toUtf8().constData());
        std::abort();
    }
    return 0;
}
