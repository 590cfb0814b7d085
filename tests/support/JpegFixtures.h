// Test pictures made at test time with libjpeg-turbo, and an independent decoder to check the
// program's output against.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fixtures {

using Bytes = std::vector<uint8_t>;

/// A plain picture, red-green-blue (or one gray, or four CMYK samples) per pixel, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    int components = 3;
    std::vector<uint8_t> samples;

    [[nodiscard]] const uint8_t* At(int x, int y) const {
        return samples.data() + (static_cast<size_t>(y) * width + x) * components;
    }
    [[nodiscard]] uint8_t* At(int x, int y) {
        return samples.data() + (static_cast<size_t>(y) * width + x) * components;
    }
};

/// A width x height picture whose pixel (x, y) has the colour colour(x, y, rgb).
Picture MakePicture(int width, int height, const std::function<void(int, int, uint8_t*)>& colour);

/// A smooth, photo-like colour picture (gradients with some texture).
Picture PhotoLike(int width, int height, uint32_t seed = 1);

enum class Space { Gray, YCbCr, Cmyk, Ycck, TwoComponents };

struct EncodeOptions {
    Space space = Space::YCbCr;
    int quality = 95;
    bool progressive = false;
    bool adobeMarker = true;  // only for CMYK: false writes no Adobe marker
    Bytes iccProfile;         // written with jpeg_write_icc_profile when not empty
    int exifOrientation = 0;  // 1..8 writes an Exif block with that orientation
    bool exifBigEndian = false;
    int restartInterval = 0;  // restart markers every this many MCUs
    bool arithmetic = false;  // arithmetic coding instead of Huffman coding
    bool manyScans = false;   // a valid progressive script of 379 scans
};

/// Encodes picture (3 components for YCbCr, 1 for Gray, 4 for Cmyk/Ycck) as a JPEG file.
Bytes Encode(const Picture& picture, const EncodeOptions& options = {});

/// Decodes a JPEG file with libjpeg-turbo into red-green-blue (gray stays 1 component).
Picture Decode(const Bytes& jpeg);

/// Offset of the first marker code (0xFF code) after the start marker, or 0 when there is none.
size_t FindMarker(const Bytes& jpeg, uint8_t code);

/// jpeg with the width and height of its baseline or progressive frame header replaced.
Bytes WithClaimedSize(Bytes jpeg, int width, int height);

/// An ICC profile of the given size whose header names colour space space (4 characters).
Bytes FakeIccProfile(size_t size, const char* space);

/// An APP1 Exif payload ("Exif\0\0" + TIFF) holding one orientation entry.
Bytes ExifBlock(int orientation, bool bigEndian);

/// Limits the size of files this process writes while it lives, so that writes fail the way
/// they do on a full device (even for root). SIGXFSZ is ignored so that writes just fail.
class FileSizeLimit {
public:
    explicit FileSizeLimit(uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    uint64_t savedSoft_;
};

/// Writes bytes to path; returns false on failure.
bool WriteFile(const std::string& path, const Bytes& bytes);
/// Reads the whole file (empty when missing).
Bytes ReadFile(const std::string& path);

/// A fresh folder (mode 0755) under the system's temporary folder, removed with its contents by
/// the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const std::string& Path() const { return path_; }
    [[nodiscard]] std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace fixtures
