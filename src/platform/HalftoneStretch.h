// The halftone stretch: copies a rectangle of one bitmap into a rectangle of another of any
// size, averaging when it shrinks and spreading smoothly when it enlarges.
#pragma once

#include "platform/Bitmap.h"

namespace platform {

/// A rectangle of pixels: its top-left corner and its size.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

/// A size in pixels.
struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

/// The largest size at which a picture of pictureWidth x pictureHeight fits in a box of
/// boxWidth x boxHeight keeping its proportions, in integer arithmetic with remainders cut off:
/// with t = (boxHeight x pictureWidth) div pictureHeight, the width limits when t > boxWidth,
/// else the height. 0 x 0 when the box or the picture has no area.
[[nodiscard]] Size FitInside(int boxWidth, int boxHeight, int pictureWidth, int pictureHeight);

/// A picture side scaled to percent: (side x percent) div 100, the remainder cut off.
[[nodiscard]] constexpr int ShrunkSide(int side, int percent) {
    return static_cast<int>(int64_t{side} * percent / 100);
}

/// Stretches sourceRect of source into targetRect of target. Each axis is handled on its own:
///  - shrinking: each target pixel is the area-weighted average of the source pixels it covers,
///    with fractional coverage at its edges (a box filter);
///  - enlarging: bilinear interpolation with pixel centres aligned, edges clamped;
///  - the same size: an exact copy.
/// Channels are averaged separately and rounded to nearest; the fixed-point result is within one
/// level of the exact average. Sources may be 8-bit (through the colour table), 24- or 32-bit;
/// targets 24- or 32-bit (the unused byte of a 32-bit target is set to 255).
/// Returns false, touching nothing, when a rectangle does not lie within its bitmap or the
/// target is 8-bit; a rectangle of width or height 0 draws nothing and returns true.
[[nodiscard]] bool StretchHalftone(const Bitmap& source, Rect sourceRect, Bitmap& target,
                                   Rect targetRect);

/// The whole of source stretched to FitInside(boxWidth, boxHeight, ...) in a new 32-bit bitmap,
/// as a preview pane shows it; null when that size has no area or the memory cannot be had.
[[nodiscard]] std::unique_ptr<Bitmap> StretchToFit(const Bitmap& source, int boxWidth,
                                                   int boxHeight);

}  // namespace platform
