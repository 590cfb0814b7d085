// Stand-in programs for tests: a script placed first on PATH that records its arguments.
#pragma once

#include <string>
#include <vector>

#include "support/JpegFixtures.h"

namespace fixtures {

/// A folder holding executable stand-ins; while it lives, PATH is that folder alone, so that
/// only stand-ins are found.
class StandInPath {
public:
    StandInPath();
    ~StandInPath();
    /// Adds an executable name that writes each argument on a line of its own into Log(name)
    /// and exits with exitCode.
    void Add(const std::string& name, int exitCode = 0);
    /// Removes the executable name.
    void Remove(const std::string& name);
    /// The arguments the stand-in was last called with (empty when it was not called).
    [[nodiscard]] std::vector<std::string> Arguments(const std::string& name) const;
    /// Waits up to two seconds for the stand-in to have been called; true when it was.
    [[nodiscard]] bool WaitForCall(const std::string& name) const;
    [[nodiscard]] std::string Log(const std::string& name) const {
        return dir_.File(name + ".log");
    }

private:
    TempDir dir_;
    std::string savedPath_;
};

}  // namespace fixtures
