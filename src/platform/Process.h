// Starting other programs without a shell, and watching them without blocking for long.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

/// The full path of the executable name found on PATH, or empty when there is none.
[[nodiscard]] std::string FindOnPath(const std::string& name);

/// Starts argv[0] (looked up on PATH) with the arguments argv, each passed as one argument and
/// never through a shell. Returns the process id, or -1 with *error set to an errno value.
/// Children that have ended meanwhile are reaped, so none lingers as a zombie.
[[nodiscard]] int StartProcess(const std::vector<std::string>& argv, int* error);

/// Waits at most timeoutMs for the process pid (from StartProcess) to end, calling idle between
/// short polls. Returns its exit code (128 + the signal when a signal ended it), or nothing when
/// it is still running; it is then reaped later.
[[nodiscard]] std::optional<int> WaitForExit(int pid, int timeoutMs,
                                             const std::function<void()>& idle);

}  // namespace platform
