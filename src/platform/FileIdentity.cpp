#include "platform/FileIdentity.h"

#include <sys/stat.h>

namespace platform {

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    if (a.empty() || b.empty() || ::stat(a.c_str(), &first) != 0 ||
        ::stat(b.c_str(), &second) != 0) {
        return false;
    }
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace platform
