#include "platform/Orientation.h"

#include <cstring>

namespace platform {

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;

uint16_t Read16(const uint8_t* p, bool bigEndian) {
    return bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1])
                     : static_cast<uint16_t>(p[1] << 8 | p[0]);
}

uint32_t Read32(const uint8_t* p, bool bigEndian) {
    return bigEndian ? (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3])
                     : (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
}

// Where stored pixel (x, y) of a w x h picture lands in the upright picture.
void UprightPosition(int orientation, int w, int h, int x, int y, int* u, int* v) {
    switch (orientation) {
        case 2:
            *u = w - 1 - x;
            *v = y;
            break;
        case 3:
            *u = w - 1 - x;
            *v = h - 1 - y;
            break;
        case 4:
            *u = x;
            *v = h - 1 - y;
            break;
        case 5:
            *u = y;
            *v = x;
            break;
        case 6:
            *u = h - 1 - y;
            *v = x;
            break;
        case 7:
            *u = h - 1 - y;
            *v = w - 1 - x;
            break;
        case 8:
            *u = y;
            *v = w - 1 - x;
            break;
        default:
            *u = x;
            *v = y;
            break;
    }
}

}  // namespace

int ReadExifOrientation(const uint8_t* data, size_t length) {
    static constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (data == nullptr || length < 6 + 8 || std::memcmp(data, kExifHeader, 6) != 0)
        return 1;
    const uint8_t* tiff = data + 6;
    const size_t size = length - 6;
    bool bigEndian;
    if (tiff[0] == 'M' && tiff[1] == 'M') {
        bigEndian = true;
    } else if (tiff[0] == 'I' && tiff[1] == 'I') {
        bigEndian = false;
    } else {
        return 1;
    }
    if (Read16(tiff + 2, bigEndian) != 42)
        return 1;
    const uint32_t ifd = Read32(tiff + 4, bigEndian);
    if (ifd > size || size - ifd < 2)
        return 1;
    const uint32_t entries = Read16(tiff + ifd, bigEndian);
    for (uint32_t i = 0; i < entries; ++i) {
        const uint64_t at = uint64_t{ifd} + 2 + uint64_t{i} * 12;
        if (at + 12 > size)
            return 1;
        const uint8_t* entry = tiff + at;
        if (Read16(entry, bigEndian) != kOrientationTag)
            continue;
        if (Read16(entry + 2, bigEndian) != kTypeShort || Read32(entry + 4, bigEndian) != 1)
            return 1;
        const int value = Read16(entry + 8, bigEndian);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

void PlaceStoredRows(Bitmap& upright, int orientation, int storedWidth, int storedHeight,
                     int firstRow, const uint8_t* const* rows, int count) {
    const size_t bpp = static_cast<size_t>(BytesPerPixel(upright.Format()));
    // Stored x runs outermost so that, for the turned orientations, consecutive stored rows
    // fill neighbouring pixels of one upright row.
    for (int x = 0; x < storedWidth; ++x) {
        for (int k = 0; k < count; ++k) {
            int u, v;
            UprightPosition(orientation, storedWidth, storedHeight, x, firstRow + k, &u, &v);
            std::memcpy(upright.Row(v) + static_cast<size_t>(u) * bpp,
                        rows[k] + static_cast<size_t>(x) * bpp, bpp);
        }
    }
}

}  // namespace platform
