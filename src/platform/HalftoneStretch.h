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

}  // namespace platform
