#include "platform/Bitmap.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/MemoryBudget.h"

namespace platform {

namespace {

// Large pixel buffers are mapped directly, aligned to 2 MiB and marked for transparent huge
// pages: a 24-megapixel picture then costs a few dozen page faults instead of some twenty
// thousand, which otherwise add a quarter to its decode time. Sanitizer builds keep the heap so
// that every access is checked.
#if defined(VANTORO_SANITIZE)
constexpr uint64_t kMappedSize = UINT64_MAX;
#else
constexpr uint64_t kMappedSize = uint64_t{4} << 20;
#endif
constexpr size_t kHugePage = size_t{2} << 20;

size_t MappedLength(uint64_t bytes) {
    return (static_cast<size_t>(bytes) + kHugePage - 1) & ~(kHugePage - 1);
}

uint8_t* AllocateZeroed(uint64_t bytes) {
    if (bytes < kMappedSize) {
        return static_cast<uint8_t*>(std::calloc(static_cast<size_t>(bytes == 0 ? 1 : bytes), 1));
    }
    const size_t length = MappedLength(bytes);
    void* mapped = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    auto* start = static_cast<uint8_t*>(mapped);
    auto* aligned = reinterpret_cast<uint8_t*>(
        (reinterpret_cast<uintptr_t>(start) + kHugePage - 1) & ~uintptr_t{kHugePage - 1});
    if (aligned > start)
        munmap(start, static_cast<size_t>(aligned - start));
    const size_t tail = static_cast<size_t>(start + length + kHugePage - (aligned + length));
    if (tail > 0)
        munmap(aligned + length, tail);
    madvise(aligned, length, MADV_HUGEPAGE);
    return aligned;
}

void Release(uint8_t* pixels, uint64_t bytes) {
    if (bytes < kMappedSize) {
        std::free(pixels);
    } else {
        munmap(pixels, MappedLength(bytes));
    }
}

bool Fits(int width, int height, PixelFormat format) {
    return width >= 0 && height >= 0 &&
           Bitmap::ByteSize(width, height, format) <= PictureMemoryLimit();
}

}  // namespace

uint64_t Bitmap::RowStride(int width, PixelFormat format) {
    const uint64_t bytes =
        static_cast<uint64_t>(width) * static_cast<uint64_t>(BytesPerPixel(format));
    return (bytes + 3) & ~uint64_t{3};
}

uint64_t Bitmap::ByteSize(int width, int height, PixelFormat format) {
    return RowStride(width, format) * static_cast<uint64_t>(height);
}

Bitmap::Bitmap(int width, int height, PixelFormat format, uint8_t* pixels)
    : width_(width),
      height_(height),
      format_(format),
      stride_(static_cast<size_t>(RowStride(width, format))),
      pixels_(pixels) {}

Bitmap::~Bitmap() {
    Release(pixels_, ByteSize(width_, height_, format_));
}

std::unique_ptr<Bitmap> Bitmap::Create(int width, int height, PixelFormat format) {
    if (!Fits(width, height, format))
        return nullptr;
    uint8_t* pixels = AllocateZeroed(ByteSize(width, height, format));
    if (pixels == nullptr)
        return nullptr;
    return std::unique_ptr<Bitmap>(new Bitmap(width, height, format, pixels));
}

bool Bitmap::Resize(int width, int height) {
    if (width == width_ && height == height_)
        return true;
    if (!Fits(width, height, format_))
        return false;
    uint8_t* pixels = AllocateZeroed(ByteSize(width, height, format_));
    if (pixels == nullptr)
        return false;
    const size_t newStride = static_cast<size_t>(RowStride(width, format_));
    const size_t shared = std::min(newStride, stride_);
    for (int y = 0; y < std::min(height, height_); ++y) {
        std::memcpy(pixels + static_cast<size_t>(y) * newStride, Row(y), shared);
    }
    Release(pixels_, ByteSize(width_, height_, format_));
    pixels_ = pixels;
    width_ = width;
    height_ = height;
    stride_ = newStride;
    return true;
}

std::unique_ptr<Bitmap> Bitmap::Copy() const {
    auto copy = Create(width_, height_, format_);
    if (!copy)
        return nullptr;
    std::memcpy(copy->pixels_, pixels_, static_cast<size_t>(ByteSize(width_, height_, format_)));
    copy->colours_ = colours_;
    copy->profile_ = profile_;
    return copy;
}

std::unique_ptr<Bitmap> Bitmap::ConvertTo24() const {
    if (format_ == PixelFormat::Bgr24)
        return Copy();
    auto copy = Create(width_, height_, PixelFormat::Bgr24);
    if (!copy)
        return nullptr;
    for (int y = 0; y < height_; ++y)
        ReadRowAsBgr(*this, y, copy->Row(y));
    copy->colours_ = colours_;
    copy->profile_ = profile_;
    return copy;
}

void ReadRowAsBgr(const Bitmap& bitmap, int y, uint8_t* out) {
    const uint8_t* in = bitmap.Row(y);
    const int width = bitmap.Width();
    switch (bitmap.Format()) {
        case PixelFormat::Bgr24:
            std::memcpy(out, in, static_cast<size_t>(width) * 3);
            break;
        case PixelFormat::Bgrx32:
            for (int x = 0; x < width; ++x, in += 4, out += 3) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
            }
            break;
        case PixelFormat::Indexed8: {
            const auto& colours = bitmap.Colours();
            for (int x = 0; x < width; ++x, out += 3) {
                const Rgb& c = colours[in[x]];
                out[0] = c.blue;
                out[1] = c.green;
                out[2] = c.red;
            }
            break;
        }
    }
}

}  // namespace platform
