// Whether two names reach the same file.
#pragma once

#include <string>

namespace platform {

/// True when both names exist and lead, through any links, to the same file (same device and
/// inode): "./a.jpg", a symbolic link and a hard link all reach a.jpg.
[[nodiscard]] bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace platform
