#include "platform/Bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/MemoryBudget.h"

namespace platform {

namespace {

uint8_t* AllocateZeroed(uint64_t bytes) {
    // calloc of a large block maps fresh zero pages without touching them.
    return static_cast<uint8_t*>(std::calloc(static_cast<size_t>(bytes == 0 ? 1 : bytes), 1));
}

bool Fits(int width, int height, PixelFormat format) {
    return width >= 0 && height >= 0 &&
           Bitmap::ByteSize(width, height, format) <= PictureMemoryLimit();
}

}  // namespace

uint64_t Bitmap::RowStride(int width, PixelFormat format) {
    const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(BytesPerPixel(format));
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

Bitmap::~Bitmap() { std::free(pixels_); }

std::unique_ptr<Bitmap> Bitmap::Create(int width, int height, PixelFormat format) {
    if (!Fits(width, height, format)) return nullptr;
    uint8_t* pixels = AllocateZeroed(ByteSize(width, height, format));
    if (pixels == nullptr) return nullptr;
    return std::unique_ptr<Bitmap>(new Bitmap(width, height, format, pixels));
}

bool Bitmap::Resize(int width, int height) {
    if (width == width_ && height == height_) return true;
    if (!Fits(width, height, format_)) return false;
    uint8_t* pixels = AllocateZeroed(ByteSize(width, height, format_));
    if (pixels == nullptr) return false;
    const size_t newStride = static_cast<size_t>(RowStride(width, format_));
    const size_t shared = std::min(newStride, stride_);
    for (int y = 0; y < std::min(height, height_); ++y) {
        std::memcpy(pixels + static_cast<size_t>(y) * newStride, Row(y), shared);
    }
    std::free(pixels_);
    pixels_ = pixels;
    width_ = width;
    height_ = height;
    stride_ = newStride;
    return true;
}

std::unique_ptr<Bitmap> Bitmap::Copy() const {
    auto copy = Create(width_, height_, format_);
    if (!copy) return nullptr;
    std::memcpy(copy->pixels_, pixels_, static_cast<size_t>(ByteSize(width_, height_, format_)));
    copy->colours_ = colours_;
    copy->profile_ = profile_;
    return copy;
}

std::unique_ptr<Bitmap> Bitmap::ConvertTo24() const {
    if (format_ == PixelFormat::Bgr24) return Copy();
    auto copy = Create(width_, height_, PixelFormat::Bgr24);
    if (!copy) return nullptr;
    for (int y = 0; y < height_; ++y) ReadRowAsBgr(*this, y, copy->Row(y));
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
