#include "platform/MemoryBudget.h"

#include <sys/resource.h>
#include <unistd.h>

namespace platform {

namespace {

uint64_t testLimit = 0;

uint64_t MachineLimit() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    uint64_t limit = (pages > 0 && pageSize > 0)
                         ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) / 4
                         : uint64_t{1} << 30;
    struct rlimit addressSpace {};
    if (getrlimit(RLIMIT_AS, &addressSpace) == 0 && addressSpace.rlim_cur != RLIM_INFINITY) {
        const uint64_t half = static_cast<uint64_t>(addressSpace.rlim_cur) / 2;
        if (half < limit)
            limit = half;
    }
    return limit;
}

}  // namespace

uint64_t PictureMemoryLimit() {
    if (testLimit != 0)
        return testLimit;
    static const uint64_t machineLimit = MachineLimit();
    return machineLimit;
}

void SetPictureMemoryLimitForTesting(uint64_t bytes) {
    testLimit = bytes;
}

}  // namespace platform
