// Conversions of decoded samples into blue-green-red pixels.
#pragma once

#include <cstdint>

namespace platform {

/// Converts width CMYK pixels (4 bytes each) to blue-green-red (3 bytes each). inverted is true
/// for files written with an Adobe marker, which store 255 minus each ink amount.
void CmykToBgr(const uint8_t* cmyk, int width, bool inverted, uint8_t* bgr);

}  // namespace platform
