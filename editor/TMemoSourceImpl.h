/** @file TMemoSourceImpl.h ** What a text storage keeps out of its public header. **/
#pragma once

#include "editor/TLineStore.h"
#include "editor/TMemoSource.h"

#include <vector>

class TMemoSource::Impl
{
public:
    TLineStore lines; ///< invariant: count() >= 1
    std::vector<uint8_t> scratch; ///< colour bytes of lines parsed only for their end state
};

/// Lets tests and the fuzzer reach the paths of large files with small ones: files of at
/// least `twoThreadBytes` are read in two halves at once, whatever the number of cores, and
/// reads take `chunkBytes` (at most 1 MiB) at a time. 0 restores a default: 8 MiB with two
/// cores or more, 1 MiB.
void setFileReadingForTesting(qint64 twoThreadBytes, qint64 chunkBytes);
