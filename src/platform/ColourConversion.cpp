#include "platform/ColourConversion.h"

namespace platform {

namespace {

// a x b / 255, rounded.
uint8_t Scale(unsigned a, unsigned b) {
    const unsigned t = a * b + 128;
    return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

}  // namespace

void CmykToBgr(const uint8_t* cmyk, int width, bool inverted, uint8_t* bgr) {
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        // With inverted samples each value already is the amount of light left (255 - ink).
        const unsigned c = inverted ? cmyk[0] : 255u - cmyk[0];
        const unsigned m = inverted ? cmyk[1] : 255u - cmyk[1];
        const unsigned y = inverted ? cmyk[2] : 255u - cmyk[2];
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        bgr[0] = Scale(y, k);
        bgr[1] = Scale(m, k);
        bgr[2] = Scale(c, k);
    }
}

}  // namespace platform
