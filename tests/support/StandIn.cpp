#include "support/StandIn.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace fixtures {

StandInPath::StandInPath() {
    const char* path = std::getenv("PATH");
    savedPath_ = path != nullptr ? path : "";
    setenv("PATH", dir_.Path().c_str(), 1);
}

StandInPath::~StandInPath() {
    setenv("PATH", savedPath_.c_str(), 1);
}

void StandInPath::Add(const std::string& name, int exitCode) {
    const std::string script = dir_.File(name);
    std::ofstream out(script);
    // Only shell built-ins: PATH holds nothing else. The ".done" file says the log is complete.
    out << "#!/bin/sh\n"
        << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << Log(name) << "'\n"
        << ": > '" << Log(name) << ".done'\n"
        << "exit " << exitCode << "\n";
    out.close();
    chmod(script.c_str(), 0755);
}

void StandInPath::Remove(const std::string& name) {
    unlink(dir_.File(name).c_str());
}

std::vector<std::string> StandInPath::Arguments(const std::string& name) const {
    std::vector<std::string> lines;
    std::ifstream in(Log(name));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool StandInPath::WaitForCall(const std::string& name) const {
    for (int i = 0; i < 200; ++i) {
        if (access((Log(name) + ".done").c_str(), F_OK) == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace fixtures
