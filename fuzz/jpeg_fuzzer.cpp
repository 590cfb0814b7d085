// libFuzzer target: every input goes the way of an opened file, through load, decode, the
// stretch at a few percentages and the encode of each result.
#include <cstddef>
#include <cstdint>

#include "platform/MemoryBudget.h"
#include "support/OpenAndShrink.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Room for the pictures a few kilobytes can describe, well inside the fuzzer's memory limit.
    platform::SetPictureMemoryLimitForTesting(uint64_t{256} << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)fixtures::OpenAndShrink(data, size);
    return 0;
}
