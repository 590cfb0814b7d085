// Failures that nothing handles: they are reported once and end the process with their number.
#pragma once

namespace platform {

/// The number of the failure "out of memory".
inline constexpr int kOutOfMemoryError = 203;
/// The number of an error that no code caught.
inline constexpr int kUnhandledError = 217;

/// Shows or prints a runtime error; installed by the window layer.
using RuntimeErrorReporter = void (*)(int code);

/// Sets the function that reports a runtime error before the process ends.
void SetRuntimeErrorReporter(RuntimeErrorReporter reporter);

/// Reports the runtime error code and ends the process with code as its exit code.
[[noreturn]] void RaiseRuntimeError(int code);

/// Makes every failed allocation through operator new end the process with runtime error 203,
/// so that no caller ever sees a failed allocation.
void InstallOutOfMemoryHandler();

}  // namespace platform
