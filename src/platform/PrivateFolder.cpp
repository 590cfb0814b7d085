#include "platform/PrivateFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

std::string PrivateFolder(int* error) {
    static std::string folder;
    struct stat st {};
    // The folder is checked at every use: it must still be ours, a real folder, and private.
    if (!folder.empty() && lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
        st.st_uid == geteuid() && (st.st_mode & 077) == 0) {
        *error = 0;
        return folder;
    }
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/vantoro-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        *error = errno;
        folder.clear();
        return "";
    }
    *error = 0;
    folder = pattern;
    return folder;
}

bool ClearNonFile(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    if (S_ISREG(st.st_mode))
        return true;
    return unlink(path.c_str()) == 0;
}

}  // namespace platform
