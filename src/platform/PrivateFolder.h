// A folder of the program's own for files it hands to other programs.
#pragma once

#include <string>

namespace platform {

/// A folder only this user can enter (mode 0700), made once per run under $TMPDIR (else /tmp)
/// and kept afterwards. Returns its path, or empty with *error set to an errno value.
[[nodiscard]] std::string PrivateFolder(int* error);

/// Removes whatever stands at path when it is not a regular file (a planted link, say), so that
/// writing there never follows it. Returns false when something remains that could not go.
[[nodiscard]] bool ClearNonFile(const std::string& path);

}  // namespace platform
