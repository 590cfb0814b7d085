// libFuzzer target: every input goes the way of an opened file, through load, decode, the
// stretch at a few percentages and the encode of each result.
#include <cstddef>
#include <cstdint>

#include "platform/MemoryBudget.h"
#include "support/OpenAndShrink.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Pictures of up to 32 MiB: enough for every path of the bridge, small enough that each run
    // stays fast and well inside the fuzzer's memory limit.
    platform::SetPictureMemoryLimitForTesting(uint64_t{32} << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)fixtures::OpenAndShrink(data, size);
    return 0;
}
