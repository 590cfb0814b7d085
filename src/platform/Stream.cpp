#include "platform/Stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/RuntimeError.h"

namespace platform {

namespace {

// Each read or write call is capped so that sizes never overflow ssize_t.
constexpr size_t kMaxChunk = size_t{1} << 30;

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The permission bits a newly created file gets from this process.
unsigned CreationMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666u & ~static_cast<unsigned>(mask);
}

}  // namespace

// ---- FileReadStream ----

std::unique_ptr<FileReadStream> FileReadStream::Open(const std::string& path, int* error) {
    // O_NONBLOCK keeps a pipe from blocking the open; it is refused just below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        *error = errno;
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    *error = 0;
    return std::unique_ptr<FileReadStream>(
        new FileReadStream(fd, static_cast<uint64_t>(st.st_size)));
}

FileReadStream::~FileReadStream() {
    ::close(fd_);
}

bool FileReadStream::SetPosition(uint64_t position) {
    if (position > static_cast<uint64_t>(LLONG_MAX))
        return false;
    position_ = position;
    return true;
}

size_t FileReadStream::Read(void* buffer, size_t count) {
    size_t done = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (done < count) {
        const size_t chunk = count - done < kMaxChunk ? count - done : kMaxChunk;
        const ssize_t n = ::pread(fd_, out + done, chunk, static_cast<off_t>(position_));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            lastError_ = errno;
            break;
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
        position_ += static_cast<uint64_t>(n);
    }
    return done;
}

size_t FileReadStream::Write(const void*, size_t) {
    lastError_ = EBADF;
    return 0;
}

// ---- FileWriteStream ----

FileWriteStream::FileWriteStream(int fd, std::string target, std::string temporary, unsigned mode)
    : fd_(fd), target_(std::move(target)), temporary_(std::move(temporary)), mode_(mode) {}

std::unique_ptr<FileWriteStream> FileWriteStream::Create(const std::string& path, int* error) {
    if (path.empty() || path.back() == '/') {
        *error = EISDIR;
        return nullptr;
    }
    // A symbolic link at the target is written through: the file it points at is replaced,
    // the link itself stays.
    std::string target = path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    unsigned mode = CreationMode();
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            *error = EISDIR;
            return nullptr;
        }
        // Devices, pipes and sockets are never replaced by a file.
        if (!S_ISREG(st.st_mode)) {
            *error = EINVAL;
            return nullptr;
        }
        mode = st.st_mode & 07777;
    }
    std::string temporary = FolderOf(target) + "/." + NameOf(target) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return nullptr;
    }
    *error = 0;
    return std::unique_ptr<FileWriteStream>(
        new FileWriteStream(fd, std::move(target), std::move(temporary), mode));
}

FileWriteStream::~FileWriteStream() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_)
        ::unlink(temporary_.c_str());
}

bool FileWriteStream::SetPosition(uint64_t position) {
    if (position > size_)
        return false;
    position_ = position;
    return true;
}

size_t FileWriteStream::Write(const void* buffer, size_t count) {
    size_t done = 0;
    const auto* in = static_cast<const uint8_t*>(buffer);
    while (done < count) {
        const size_t chunk = count - done < kMaxChunk ? count - done : kMaxChunk;
        const ssize_t n = ::pwrite(fd_, in + done, chunk, static_cast<off_t>(position_));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (firstError_ == 0)
                firstError_ = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<size_t>(n);
        position_ += static_cast<uint64_t>(n);
    }
    // Like a file opened for writing whose every write cuts it after the written bytes.
    size_ = position_;
    if (::ftruncate(fd_, static_cast<off_t>(size_)) != 0 && firstError_ == 0)
        firstError_ = errno;
    return done;
}

size_t FileWriteStream::Read(void*, size_t) {
    return 0;
}

int FileWriteStream::Commit() {
    if (committed_)
        return 0;
    if (firstError_ != 0)
        return firstError_;
    if (::fchmod(fd_, mode_) != 0)
        return errno;
    if (::fsync(fd_) != 0)
        return errno;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return errno;
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
        return errno;
    committed_ = true;
    return 0;
}

// ---- MemoryStream ----

MemoryStream::~MemoryStream() {
    std::free(data_);
}

bool MemoryStream::Reserve(uint64_t capacity) {
    if (capacity <= capacity_)
        return true;
    if (capacity > SIZE_MAX / 2)
        return false;
    auto* grown = static_cast<uint8_t*>(std::realloc(data_, static_cast<size_t>(capacity)));
    if (grown == nullptr)
        return false;
    data_ = grown;
    capacity_ = capacity;
    return true;
}

bool MemoryStream::SetSize(uint64_t size) {
    if (!Reserve(size))
        return false;
    if (size > size_)
        std::memset(data_ + size_, 0, static_cast<size_t>(size - size_));
    size_ = size;
    if (position_ > size_)
        position_ = size_;
    return true;
}

bool MemoryStream::SetPosition(uint64_t position) {
    if (position > size_)
        return false;
    position_ = position;
    return true;
}

size_t MemoryStream::Read(void* buffer, size_t count) {
    const uint64_t left = size_ - position_;
    const size_t n = count < left ? count : static_cast<size_t>(left);
    if (n > 0)
        std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
}

size_t MemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0)
        return 0;
    const uint64_t end = position_ + count;
    if (end > capacity_) {
        uint64_t capacity = capacity_ < 4096 ? 4096 : capacity_;
        while (capacity < end)
            capacity += capacity / 2;
        // Running out of memory here ends the program, like every other failed allocation.
        if (!Reserve(capacity) && !Reserve(end))
            RaiseRuntimeError(kOutOfMemoryError);
    }
    std::memcpy(data_ + position_, buffer, count);
    position_ = end;
    if (end > size_)
        size_ = end;
    return count;
}

}  // namespace platform
