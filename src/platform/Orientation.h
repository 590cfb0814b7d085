// Camera orientation (the Exif tag 0x0112): reading it from an Exif block, and turning stored
// pixel rows upright.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Bitmap.h"

namespace platform {

/// The orientation of an Exif APP1 payload (starting with "Exif\0\0"): 1..8, or 1 when the block
/// is not Exif, is damaged, or holds no valid orientation.
[[nodiscard]] int ReadExifOrientation(const uint8_t* data, size_t length);

/// True for the orientations (5..8) whose upright picture has width and height swapped.
[[nodiscard]] constexpr bool SwapsAxes(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

/// Copies count stored rows, starting at stored row firstRow, into the upright bitmap. A stored
/// picture is storedWidth pixels wide; rows[k] holds its row firstRow + k in the bitmap's pixel
/// format. orientation is the Exif value 1..8.
void PlaceStoredRows(Bitmap& upright, int orientation, int storedWidth, int storedHeight,
                     int firstRow, const uint8_t* const* rows, int count);

}  // namespace platform
