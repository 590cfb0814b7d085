#include "platform/RuntimeError.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <new>

namespace {

// Runs body in a child process and returns its exit code.
int ExitCodeOf(void (*body)()) {
    const pid_t child = fork();
    if (child == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(RuntimeError, EndsTheProcessWithItsNumber) {
    EXPECT_EQ(ExitCodeOf([] { platform::RaiseRuntimeError(217); }), 217);
    EXPECT_EQ(ExitCodeOf([] {
                  // The reporter sees the number; a wrong one would end the child with 1.
                  platform::SetRuntimeErrorReporter([](int code) {
                      if (code != 203)
                          _exit(1);
                  });
                  platform::RaiseRuntimeError(203);
              }),
              203);
}

TEST(RuntimeError, AFailedAllocationIsRuntimeError203) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer has an allocator of its own";
#else
    EXPECT_EQ(ExitCodeOf([] {
                  platform::InstallOutOfMemoryHandler();
                  volatile size_t huge = size_t{1} << 62;
                  void* volatile p = ::operator new(huge);
                  ::operator delete(p);
              }),
              203);
#endif
}
