#include "platform/Process.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace platform {

namespace {

// Children started and not yet reaped.
std::vector<pid_t> running;

void ReapEnded() {
    std::erase_if(running, [](pid_t pid) {
        int status = 0;
        return waitpid(pid, &status, WNOHANG) != 0;
    });
}

int ExitCode(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

std::string FindOnPath(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), X_OK) == 0 ? name : "";
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        // An empty entry means the current folder.
        std::string candidate =
            end > start ? folders.substr(start, end - start) : std::string(1, '.');
        candidate.push_back('/');
        candidate.append(name);
        struct stat st {};
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return "";
}

int StartProcess(const std::vector<std::string>& argv, int* error) {
    ReapEnded();
    if (argv.empty()) {
        *error = EINVAL;
        return -1;
    }
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int result = posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ);
    if (result != 0) {
        *error = result;
        return -1;
    }
    running.push_back(pid);
    *error = 0;
    return pid;
}

std::optional<int> WaitForExit(int pid, int timeoutMs, const std::function<void()>& idle) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            std::erase(running, pid);
            return ExitCode(status);
        }
        if (done < 0) {
            std::erase(running, pid);
            return -1;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        if (idle)
            idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace platform
