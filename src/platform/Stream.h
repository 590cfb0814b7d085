// Byte streams: the common interface, a file opened for reading, a file written safely
// through a temporary sibling, and a growable memory buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

/// A sequence of bytes with a current position, read and written from that position.
class Stream {
public:
    virtual ~Stream() = default;

    /// Total number of bytes in the stream.
    [[nodiscard]] virtual uint64_t Size() const = 0;
    /// Offset of the next byte that Read or Write touches.
    [[nodiscard]] virtual uint64_t Position() const = 0;
    /// Moves the position; returns false when the stream cannot seek there.
    virtual bool SetPosition(uint64_t position) = 0;
    /// Reads up to count bytes into buffer; returns how many were read (0 at the end or on error).
    [[nodiscard]] virtual size_t Read(void* buffer, size_t count) = 0;
    /// Writes count bytes from buffer; returns how many were written (fewer on error).
    [[nodiscard]] virtual size_t Write(const void* buffer, size_t count) = 0;
};

/// A regular file opened read-only. The file itself is never changed.
class FileReadStream final : public Stream {
public:
    /// Opens path for reading. Returns null and sets *error to an errno value on failure;
    /// anything but a regular file (a folder, a pipe, a device) is refused.
    [[nodiscard]] static std::unique_ptr<FileReadStream> Open(const std::string& path, int* error);
    ~FileReadStream() override;

    [[nodiscard]] uint64_t Size() const override { return size_; }
    [[nodiscard]] uint64_t Position() const override { return position_; }
    bool SetPosition(uint64_t position) override;
    [[nodiscard]] size_t Read(void* buffer, size_t count) override;
    [[nodiscard]] size_t Write(const void* buffer, size_t count) override;

    /// The errno of the last failed read, or 0.
    [[nodiscard]] int LastError() const { return lastError_; }

private:
    FileReadStream(int fd, uint64_t size) : fd_(fd), size_(size) {}
    int fd_;
    uint64_t size_;
    uint64_t position_ = 0;
    int lastError_ = 0;
};

/// A file written into a new temporary file beside the target, which replaces the target only
/// when Commit succeeds. Until then an existing file of that name stays untouched; destroying
/// the stream without a successful Commit removes the temporary file.
class FileWriteStream final : public Stream {
public:
    /// Prepares writing to path. Returns null and sets *error to an errno value when the
    /// temporary file cannot be created (no such folder, no permission, a read-only device).
    [[nodiscard]] static std::unique_ptr<FileWriteStream> Create(const std::string& path,
                                                                 int* error);
    ~FileWriteStream() override;

    [[nodiscard]] uint64_t Size() const override { return size_; }
    [[nodiscard]] uint64_t Position() const override { return position_; }
    bool SetPosition(uint64_t position) override;
    [[nodiscard]] size_t Write(const void* buffer, size_t count) override;
    [[nodiscard]] size_t Read(void* buffer, size_t count) override;

    /// Flushes the data to the device and renames the temporary file over the target.
    /// Returns 0, or the errno of the first failure of any write, the flush or the rename.
    [[nodiscard]] int Commit();
    /// The errno of the first failed write, or 0.
    [[nodiscard]] int Error() const { return firstError_; }

private:
    FileWriteStream(int fd, std::string target, std::string temporary, unsigned mode);
    int fd_;
    std::string target_;
    std::string temporary_;
    unsigned mode_;
    uint64_t size_ = 0;
    uint64_t position_ = 0;
    int firstError_ = 0;
    bool committed_ = false;
};

/// A stream over a growable buffer in memory. Its size is the number of bytes written into it
/// (or set by SetSize); writing past the end grows it.
class MemoryStream final : public Stream {
public:
    MemoryStream() = default;
    ~MemoryStream() override;
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    [[nodiscard]] uint64_t Size() const override { return size_; }
    [[nodiscard]] uint64_t Position() const override { return position_; }
    bool SetPosition(uint64_t position) override;
    [[nodiscard]] size_t Read(void* buffer, size_t count) override;
    [[nodiscard]] size_t Write(const void* buffer, size_t count) override;

    /// Allocates the buffer for exactly size bytes (new bytes are zero). Returns false, and keeps
    /// the stream as it was, when that much memory cannot be had.
    [[nodiscard]] bool SetSize(uint64_t size);
    /// The first byte of the buffer (null while the stream is empty).
    [[nodiscard]] uint8_t* Memory() { return data_; }
    [[nodiscard]] const uint8_t* Memory() const { return data_; }

private:
    bool Reserve(uint64_t capacity);
    uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
    uint64_t capacity_ = 0;
    uint64_t position_ = 0;
};

}  // namespace platform
