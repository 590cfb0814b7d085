#include "platform/HalftoneStretch.h"

#include <algorithm>
#include <cstring>
#include <vector>

// On x86-64 the stretch is compiled twice, for AVX2 and for the baseline, and the loader picks
// one; sanitizer builds keep a single version. The row loops are inlined into that one function
// so that they are compiled for its instruction set.
#if defined(__x86_64__) && !defined(VANTORO_NO_CLONES)
#define VANTORO_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VANTORO_VECTOR_CLONES
#endif
#define VANTORO_INLINE inline __attribute__((always_inline))

namespace platform {

namespace {

// Weights of one axis sum to 2^16. The vertical pass keeps value x 256 in 16 bits (at most
// 65280), so the horizontal sum of 2^16-weighted 16-bit values, plus the rounding half, stays
// below 2^32, and an exact copy comes out exact.
constexpr int kWeightBits = 16;
constexpr uint32_t kWeightOne = 1u << kWeightBits;
constexpr int kMiddleShift = kWeightBits - 8;
constexpr int kFinalShift = kWeightBits + 8;

// For each target index of one axis: the first source index and the weights of the source
// indices from there on.
struct AxisPlan {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> offset;
    std::vector<uint32_t> weights;
};

// Turns exact integer weights (summing to total) into 2^16-based ones. Each running sum is
// rounded, so the weights sum to exactly 2^16 and no partial sum is off by more than a half.
void AppendQuantized(const int64_t* exact, int count, int64_t total, AxisPlan& plan) {
    plan.offset.push_back(static_cast<int>(plan.weights.size()));
    plan.count.push_back(count);
    int64_t running = 0;
    int64_t previous = 0;
    for (int k = 0; k < count; ++k) {
        running += exact[k];
        const int64_t rounded = (running * kWeightOne * 2 + total) / (total * 2);
        plan.weights.push_back(static_cast<uint32_t>(rounded - previous));
        previous = rounded;
    }
}

AxisPlan PlanAxis(int sourceSize, int targetSize) {
    AxisPlan plan;
    plan.first.reserve(static_cast<size_t>(targetSize));
    const int64_t s = sourceSize;
    const int64_t t = targetSize;
    std::vector<int64_t> exact;
    for (int64_t j = 0; j < t; ++j) {
        exact.clear();
        if (t <= s) {
            // Target pixel j covers [j*s, (j+1)*s) and source pixel i covers [i*t, (i+1)*t),
            // both in units of 1/t source pixels, so every overlap is a whole number.
            const int64_t low = j * s;
            const int64_t high = low + s;
            const int64_t first = low / t;
            const int64_t last = (high - 1) / t;
            for (int64_t i = first; i <= last; ++i) {
                exact.push_back(std::min(high, (i + 1) * t) - std::max(low, i * t));
            }
            plan.first.push_back(static_cast<int>(first));
            AppendQuantized(exact.data(), static_cast<int>(exact.size()), s, plan);
        } else {
            // The centre of target pixel j lies at source coordinate ((2j+1)s - t) / 2t.
            const int64_t numerator = (2 * j + 1) * s - t;
            const int64_t denominator = 2 * t;
            const int64_t below = numerator <= 0 ? 0 : numerator / denominator;
            const int64_t fraction = numerator <= 0 ? 0 : numerator % denominator;
            if (below >= s - 1 || fraction == 0) {
                exact.push_back(1);
                plan.first.push_back(static_cast<int>(std::min(below, s - 1)));
                AppendQuantized(exact.data(), 1, 1, plan);
            } else {
                exact.push_back(denominator - fraction);
                exact.push_back(fraction);
                plan.first.push_back(static_cast<int>(below));
                AppendQuantized(exact.data(), 2, denominator, plan);
            }
        }
    }
    return plan;
}

// sums[i] = w0 * a[i] + w1 * b[i] (add = false) or sums[i] += ... (add = true).
VANTORO_INLINE void AccumulateTwoRows(const uint8_t* a, uint32_t w0, const uint8_t* b, uint32_t w1,
                                      size_t n, bool add, uint32_t* sums) {
    if (add) {
        for (size_t i = 0; i < n; ++i)
            sums[i] += w0 * a[i] + w1 * b[i];
    } else {
        for (size_t i = 0; i < n; ++i)
            sums[i] = w0 * a[i] + w1 * b[i];
    }
}

VANTORO_INLINE void NarrowSums(const uint32_t* sums, size_t n, uint16_t* out) {
    constexpr uint32_t half = 1u << (kMiddleShift - 1);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint16_t>((sums[i] + half) >> kMiddleShift);
}

// Four 32-bit lanes, and four 16-bit ones: GCC's portable vector types, which become SSE
// registers on x86-64. One lane per channel, the fourth one unused.
using Lanes = uint32_t __attribute__((vector_size(16)));
using ShortLanes = uint16_t __attribute__((vector_size(8)));

// Averages one row of vertically combined values (kSourceChannels per pixel) across x. Each
// pixel is read as four values, so a 3-channel row needs one value of padding after it.
template <int kSourceChannels, int kTargetBytes>
VANTORO_INLINE void ReduceRow(const uint16_t* middle, const AxisPlan& plan, uint8_t* out) {
    constexpr uint32_t half = 1u << (kFinalShift - 1);
    const size_t targetWidth = plan.first.size();
    for (size_t x = 0; x < targetWidth; ++x, out += kTargetBytes) {
        const uint16_t* p = middle + static_cast<size_t>(plan.first[x]) * kSourceChannels;
        const uint32_t* w = plan.weights.data() + plan.offset[x];
        const int count = plan.count[x];
        Lanes sum = {half, half, half, half};
        for (int k = 0; k < count; ++k, p += kSourceChannels) {
            ShortLanes values;
            std::memcpy(&values, p, sizeof values);
            sum += w[k] * __builtin_convertvector(values, Lanes);
        }
        sum >>= kFinalShift;
        out[0] = static_cast<uint8_t>(sum[0]);
        out[1] = static_cast<uint8_t>(sum[1]);
        out[2] = static_cast<uint8_t>(sum[2]);
        if constexpr (kTargetBytes == 4)
            out[3] = 255;
    }
}

bool Inside(const Bitmap& bitmap, const Rect& r) {
    return r.x >= 0 && r.y >= 0 && r.width >= 0 && r.height >= 0 &&
           int64_t{r.x} + r.width <= bitmap.Width() && int64_t{r.y} + r.height <= bitmap.Height();
}

// Hands out source rows, expanded from the colour table for an 8-bit source.
class SourceRows {
public:
    SourceRows(const Bitmap& source, const Rect& rect) : source_(source), rect_(rect) {
        if (source.Format() == PixelFormat::Indexed8) {
            const size_t full = static_cast<size_t>(source.Width()) * 3;
            expanded_[0].resize(full);
            expanded_[1].resize(full);
        }
    }
    int Channels() const { return source_.Format() == PixelFormat::Bgrx32 ? 4 : 3; }
    size_t Bytes() const {
        return static_cast<size_t>(rect_.width) * static_cast<size_t>(Channels());
    }
    // slot 0 or 1 picks which expansion buffer an 8-bit row goes to.
    const uint8_t* Row(int y, int slot) {
        const int sourceY = rect_.y + y;
        if (source_.Format() != PixelFormat::Indexed8) {
            return source_.Row(sourceY) +
                   static_cast<size_t>(rect_.x) * static_cast<size_t>(Channels());
        }
        auto& buffer = expanded_[slot];
        ReadRowAsBgr(source_, sourceY, buffer.data());
        return buffer.data() + static_cast<size_t>(rect_.x) * 3;
    }

private:
    const Bitmap& source_;
    Rect rect_;
    std::vector<uint8_t> expanded_[2];
};

template <int kSourceChannels, int kTargetBytes>
VANTORO_INLINE void StretchRows(SourceRows& rows, const AxisPlan& across, const AxisPlan& down,
                                Bitmap& target, const Rect& targetRect) {
    const size_t n = rows.Bytes();
    std::vector<uint32_t> sums(n);
    std::vector<uint16_t> middle(n + 4);  // padding: ReduceRow reads four values a pixel
    for (int y = 0; y < targetRect.height; ++y) {
        const int first = down.first[static_cast<size_t>(y)];
        const int count = down.count[static_cast<size_t>(y)];
        const uint32_t* w = down.weights.data() + down.offset[static_cast<size_t>(y)];
        for (int k = 0; k < count; k += 2) {
            const uint8_t* a = rows.Row(first + k, 0);
            if (k + 1 < count) {
                AccumulateTwoRows(a, w[k], rows.Row(first + k + 1, 1), w[k + 1], n, k > 0,
                                  sums.data());
            } else {
                AccumulateTwoRows(a, w[k], a, 0, n, k > 0, sums.data());
            }
        }
        NarrowSums(sums.data(), n, middle.data());
        uint8_t* out = target.Row(targetRect.y + y) +
                       static_cast<size_t>(targetRect.x) * static_cast<size_t>(kTargetBytes);
        ReduceRow<kSourceChannels, kTargetBytes>(middle.data(), across, out);
    }
}

VANTORO_VECTOR_CLONES
void StretchAllRows(SourceRows& rows, const AxisPlan& across, const AxisPlan& down, Bitmap& target,
                    const Rect& targetRect) {
    const bool wideTarget = target.Format() == PixelFormat::Bgrx32;
    if (rows.Channels() == 4) {
        if (wideTarget) {
            StretchRows<4, 4>(rows, across, down, target, targetRect);
        } else {
            StretchRows<4, 3>(rows, across, down, target, targetRect);
        }
    } else if (wideTarget) {
        StretchRows<3, 4>(rows, across, down, target, targetRect);
    } else {
        StretchRows<3, 3>(rows, across, down, target, targetRect);
    }
}

}  // namespace

Size FitInside(int boxWidth, int boxHeight, int pictureWidth, int pictureHeight) {
    if (boxWidth <= 0 || boxHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
        return {};
    const int64_t bw = boxWidth, bh = boxHeight, pw = pictureWidth, ph = pictureHeight;
    if (bh * pw / ph > bw)
        return {boxWidth, static_cast<int>(ph * bw / pw)};
    return {static_cast<int>(pw * bh / ph), boxHeight};
}

bool StretchHalftone(const Bitmap& source, Rect sourceRect, Bitmap& target, Rect targetRect) {
    if (target.Format() == PixelFormat::Indexed8)
        return false;
    if (!Inside(source, sourceRect) || !Inside(target, targetRect))
        return false;
    if (targetRect.width == 0 || targetRect.height == 0)
        return true;
    if (sourceRect.width == 0 || sourceRect.height == 0)
        return true;

    const AxisPlan across = PlanAxis(sourceRect.width, targetRect.width);
    const AxisPlan down = PlanAxis(sourceRect.height, targetRect.height);
    SourceRows rows(source, sourceRect);
    StretchAllRows(rows, across, down, target, targetRect);
    return true;
}

std::unique_ptr<Bitmap> StretchToFit(const Bitmap& source, int boxWidth, int boxHeight) {
    const Size size = FitInside(boxWidth, boxHeight, source.Width(), source.Height());
    if (size.width == 0 || size.height == 0)
        return nullptr;
    auto fitted = Bitmap::Create(size.width, size.height, PixelFormat::Bgrx32);
    if (fitted) {
        (void)StretchHalftone(source, {0, 0, source.Width(), source.Height()}, *fitted,
                              {0, 0, size.width, size.height});
    }
    return fitted;
}

}  // namespace platform
