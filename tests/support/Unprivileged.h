// Runs a piece of a test without root's power to ignore file permissions.
#pragma once

#include <functional>

namespace fixtures {

/// Runs body in a child process that, when the tests run as root, has given up root for the
/// "nobody" user; returns body's result (or -1 when the child failed otherwise).
int RunUnprivileged(const std::function<int()>& body);

}  // namespace fixtures
