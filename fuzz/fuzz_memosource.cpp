/** @file fuzz_memosource.cpp ** libFuzzer target: the text storage's file reader and writer. **/
#include "fuzz/MemoSourceCheck.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Files in memory where there is a place for them: the target writes two per input.
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
            ? QStringLiteral("/dev/shm/pagemason-fuzz-XXXXXX")
            : QDir::tempPath() + QStringLiteral("/pagemason-fuzz-XXXXXX"));
    if (!folder.isValid())
        std::abort();
    const QString broken = pmfuzz::checkMemoSource(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), folder.path());
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "property broken: %s\n", broken.toUtf8().constData());
        std::abort();
    }
    return 0;
}
