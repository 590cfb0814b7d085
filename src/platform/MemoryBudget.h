// How much memory one picture may take, derived from the machine rather than a fixed cap.
#pragma once

#include <cstdint>

namespace platform {

/// The largest number of bytes one bitmap (or one codec working area) may take: a quarter of the
/// machine's physical memory, and less when the process's address-space limit is lower.
[[nodiscard]] uint64_t PictureMemoryLimit();

/// Overrides PictureMemoryLimit, for tests; 0 restores the machine's own limit.
void SetPictureMemoryLimitForTesting(uint64_t bytes);

}  // namespace platform
