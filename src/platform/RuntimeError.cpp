#include "platform/RuntimeError.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace platform {

namespace {

void PrintRuntimeError(int code) {
    std::fprintf(stderr, "Runtime error %d\n", code);
}

RuntimeErrorReporter reporter = PrintRuntimeError;

void OnOutOfMemory() {
    RaiseRuntimeError(kOutOfMemoryError);
}

}  // namespace

void SetRuntimeErrorReporter(RuntimeErrorReporter newReporter) {
    reporter = newReporter != nullptr ? newReporter : PrintRuntimeError;
}

void RaiseRuntimeError(int code) {
    // A second failure while reporting (say, memory runs out again) must not recurse.
    static bool reporting = false;
    if (!reporting) {
        reporting = true;
        reporter(code);
    }
    std::_Exit(code);
}

void InstallOutOfMemoryHandler() {
    std::set_new_handler(OnOutOfMemory);
}

}  // namespace platform
