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
