// Device-independent bitmaps: 8 bits with a 256-entry colour table, 24-bit blue-green-red and
// 32-bit blue-green-red-unused. Rows are stored top-down, each padded to a multiple of 4 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

/// Bits per pixel, and with them the byte order of a pixel.
enum class PixelFormat : int {
    Indexed8 = 8,  ///< one byte, an index into the colour table
    Bgr24 = 24,    ///< blue, green, red
    Bgrx32 = 32,   ///< blue, green, red, unused
};

/// Bytes one pixel takes in format.
[[nodiscard]] constexpr int BytesPerPixel(PixelFormat format) {
    return static_cast<int>(format) / 8;
}

/// One colour-table entry.
struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

/// An ICC colour profile, shared between a bitmap and its copies (it never changes once made).
using ColourProfile = std::shared_ptr<const std::vector<uint8_t>>;

class Bitmap {
public:
    /// Bytes a bitmap of the given size and format takes, computed in 64 bits.
    [[nodiscard]] static uint64_t ByteSize(int width, int height, PixelFormat format);
    /// Bytes one row takes: width x bytes per pixel, rounded up to a multiple of 4.
    [[nodiscard]] static uint64_t RowStride(int width, PixelFormat format);

    /// Creates a bitmap with all pixel bytes and all colour-table entries zero. Returns null,
    /// allocating nothing, when a size is negative, when the bitmap would exceed
    /// PictureMemoryLimit(), or when the memory cannot be had.
    [[nodiscard]] static std::unique_ptr<Bitmap> Create(int width, int height, PixelFormat format);

    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    [[nodiscard]] int Width() const { return width_; }
    [[nodiscard]] int Height() const { return height_; }
    [[nodiscard]] PixelFormat Format() const { return format_; }
    [[nodiscard]] size_t Stride() const { return stride_; }

    /// The first byte of pixel row y, with row 0 the top row.
    [[nodiscard]] uint8_t* Row(int y) { return pixels_ + static_cast<size_t>(y) * stride_; }
    [[nodiscard]] const uint8_t* Row(int y) const {
        return pixels_ + static_cast<size_t>(y) * stride_;
    }

    /// Changes the size, keeping the pixels of the part both sizes share; new pixels are zero.
    /// Returns false, leaving the bitmap as it was, when the new size cannot be held.
    [[nodiscard]] bool Resize(int width, int height);

    /// Sets colour-table entry index (0..255).
    void SetColour(int index, Rgb colour) { colours_[static_cast<size_t>(index & 255)] = colour; }
    [[nodiscard]] const std::array<Rgb, 256>& Colours() const { return colours_; }

    /// The colour profile the pixels are in, or null for the usual sRGB.
    [[nodiscard]] const ColourProfile& Profile() const { return profile_; }
    void SetProfile(ColourProfile profile) { profile_ = std::move(profile); }

    /// A new bitmap with the same size, format, pixels, colour table and profile; null when the
    /// memory cannot be had.
    [[nodiscard]] std::unique_ptr<Bitmap> Copy() const;
    /// A new 24-bit copy: indexed pixels are looked up in the colour table, the unused byte of
    /// 32-bit pixels is dropped. Null when the memory cannot be had.
    [[nodiscard]] std::unique_ptr<Bitmap> ConvertTo24() const;

private:
    Bitmap(int width, int height, PixelFormat format, uint8_t* pixels);
    int width_;
    int height_;
    PixelFormat format_;
    size_t stride_;
    uint8_t* pixels_;
    std::array<Rgb, 256> colours_{};
    ColourProfile profile_;
};

/// Writes row y of bitmap as blue, green, red bytes into out (3 x width bytes).
void ReadRowAsBgr(const Bitmap& bitmap, int y, uint8_t* out);

}  // namespace platform
