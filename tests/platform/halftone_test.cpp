#include "platform/HalftoneStretch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

using platform::Bitmap;
using platform::PixelFormat;
using platform::Rect;

namespace {

// Weights of one axis, written plainly in doubles: the covered share of each source pixel when
// shrinking, linear interpolation between pixel centres when enlarging.
std::vector<std::vector<double>> AxisWeights(int source, int target) {
    std::vector<std::vector<double>> w(static_cast<size_t>(target),
                                       std::vector<double>(static_cast<size_t>(source)));
    for (int j = 0; j < target; ++j) {
        if (target <= source) {
            const double scale = static_cast<double>(source) / target;
            const double low = j * scale;
            const double high = (j + 1) * scale;
            for (int i = 0; i < source; ++i) {
                const double overlap =
                    std::min(high, i + 1.0) - std::max(low, static_cast<double>(i));
                if (overlap > 0)
                    w[j][i] = overlap / scale;
            }
        } else {
            double centre = (j + 0.5) * source / target - 0.5;
            centre = std::clamp(centre, 0.0, source - 1.0);
            const int below = static_cast<int>(std::floor(centre));
            const double f = centre - below;
            w[j][below] += 1 - f;
            if (f > 0)
                w[j][below + 1] += f;
        }
    }
    return w;
}

// The reference stretch of a whole 24-bit picture.
std::vector<double> Reference(const Bitmap& src, int tw, int th) {
    const auto wx = AxisWeights(src.Width(), tw);
    const auto wy = AxisWeights(src.Height(), th);
    std::vector<double> out(static_cast<size_t>(tw) * th * 3, 0.0);
    for (int y = 0; y < th; ++y) {
        for (int i = 0; i < src.Height(); ++i) {
            if (wy[y][i] == 0)
                continue;
            for (int x = 0; x < tw; ++x) {
                for (int j = 0; j < src.Width(); ++j) {
                    const double w = wy[y][i] * wx[x][j];
                    if (w == 0)
                        continue;
                    for (int c = 0; c < 3; ++c)
                        out[(static_cast<size_t>(y) * tw + x) * 3 + c] += w * src.Row(i)[j * 3 + c];
                }
            }
        }
    }
    return out;
}

std::unique_ptr<Bitmap> RandomBitmap(int w, int h, std::mt19937& random) {
    auto b = Bitmap::Create(w, h, PixelFormat::Bgr24);
    std::uniform_int_distribution<int> level(0, 255);
    for (int y = 0; y < h; ++y) {
        for (int i = 0; i < w * 3; ++i)
            b->Row(y)[i] = static_cast<uint8_t>(level(random));
    }
    return b;
}

int MaxDifference(const Bitmap& got, const std::vector<double>& want) {
    int worst = 0;
    const int bpp = platform::BytesPerPixel(got.Format());
    for (int y = 0; y < got.Height(); ++y) {
        for (int x = 0; x < got.Width(); ++x) {
            for (int c = 0; c < 3; ++c) {
                const double exact = want[(static_cast<size_t>(y) * got.Width() + x) * 3 + c];
                const int rounded = static_cast<int>(std::lround(exact));
                worst = std::max(worst, std::abs(got.Row(y)[x * bpp + c] - rounded));
            }
        }
    }
    return worst;
}

}  // namespace

TEST(HalftoneStretch, MatchesTheExactReferenceWithinOneLevel) {
    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> size(1, 60);
    for (int round = 0; round < 60; ++round) {
        const int sw = size(random), sh = size(random), tw = size(random), th = size(random);
        auto src = RandomBitmap(sw, sh, random);
        for (PixelFormat format : {PixelFormat::Bgr24, PixelFormat::Bgrx32}) {
            auto dst = Bitmap::Create(tw, th, format);
            ASSERT_TRUE(StretchHalftone(*src, {0, 0, sw, sh}, *dst, {0, 0, tw, th}));
            EXPECT_LE(MaxDifference(*dst, Reference(*src, tw, th)), 1)
                << sw << "x" << sh << " -> " << tw << "x" << th;
        }
    }
}

TEST(HalftoneStretch, StaysExactForLargeShrinkFactors) {
    std::mt19937 random(7);
    auto src = RandomBitmap(997, 13, random);
    auto dst = Bitmap::Create(3, 2, PixelFormat::Bgr24);
    ASSERT_TRUE(StretchHalftone(*src, {0, 0, 997, 13}, *dst, {0, 0, 3, 2}));
    EXPECT_LE(MaxDifference(*dst, Reference(*src, 3, 2)), 1);
}

TEST(HalftoneStretch, HandCases) {
    // 2x2 -> 1x1 is the mean of the four pixels.
    auto square = Bitmap::Create(2, 2, PixelFormat::Bgr24);
    const uint8_t values[4] = {0, 100, 200, 255};
    for (int i = 0; i < 4; ++i)
        square->Row(i / 2)[(i % 2) * 3] = values[i];
    auto one = Bitmap::Create(1, 1, PixelFormat::Bgr24);
    ASSERT_TRUE(StretchHalftone(*square, {0, 0, 2, 2}, *one, {0, 0, 1, 1}));
    EXPECT_EQ(one->Row(0)[0], 139);  // 555 / 4 = 138.75

    // 3 -> 2: the middle pixel gives half of itself to each side.
    auto row = Bitmap::Create(3, 1, PixelFormat::Bgr24);
    row->Row(0)[0] = 0;
    row->Row(0)[3] = 90;
    row->Row(0)[6] = 210;
    auto two = Bitmap::Create(2, 1, PixelFormat::Bgr24);
    ASSERT_TRUE(StretchHalftone(*row, {0, 0, 3, 1}, *two, {0, 0, 2, 1}));
    EXPECT_EQ(two->Row(0)[0], 30);   // (0 * 1 + 90 * 0.5) / 1.5
    EXPECT_EQ(two->Row(0)[3], 170);  // (90 * 0.5 + 210 * 1) / 1.5
}

TEST(HalftoneStretch, SameSizeIsAnExactCopyAndSetsTheUnusedByte) {
    std::mt19937 random(3);
    auto src = RandomBitmap(17, 9, random);
    auto dst = Bitmap::Create(17, 9, PixelFormat::Bgrx32);
    ASSERT_TRUE(StretchHalftone(*src, {0, 0, 17, 9}, *dst, {0, 0, 17, 9}));
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 17; ++x) {
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(dst->Row(y)[x * 4 + c], src->Row(y)[x * 3 + c]);
            ASSERT_EQ(dst->Row(y)[x * 4 + 3], 255);
        }
    }
}

TEST(HalftoneStretch, IndexedSourcesGoThroughTheColourTable) {
    auto src = Bitmap::Create(4, 4, PixelFormat::Indexed8);
    src->SetColour(1, {200, 100, 50});
    for (int y = 0; y < 4; ++y)
        std::fill(src->Row(y), src->Row(y) + 4, uint8_t{1});
    auto dst = Bitmap::Create(2, 2, PixelFormat::Bgr24);
    ASSERT_TRUE(StretchHalftone(*src, {0, 0, 4, 4}, *dst, {0, 0, 2, 2}));
    EXPECT_EQ(dst->Row(1)[3], 50);
    EXPECT_EQ(dst->Row(1)[4], 100);
    EXPECT_EQ(dst->Row(1)[5], 200);
}

TEST(HalftoneStretch, SubRectanglesAndBadArguments) {
    std::mt19937 random(5);
    auto src = RandomBitmap(10, 10, random);
    auto dst = Bitmap::Create(8, 8, PixelFormat::Bgr24);
    ASSERT_TRUE(StretchHalftone(*src, {2, 3, 1, 1}, *dst, {4, 4, 2, 2}));
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(dst->Row(5)[5 * 3 + c], src->Row(3)[2 * 3 + c]);
        EXPECT_EQ(dst->Row(0)[c], 0) << "outside the target rectangle stays untouched";
    }
    EXPECT_FALSE(StretchHalftone(*src, {5, 5, 6, 1}, *dst, {0, 0, 1, 1}));
    EXPECT_FALSE(StretchHalftone(*src, {0, 0, 1, 1}, *dst, {0, 0, 9, 1}));
    auto indexed = Bitmap::Create(2, 2, PixelFormat::Indexed8);
    EXPECT_FALSE(StretchHalftone(*src, {0, 0, 1, 1}, *indexed, {0, 0, 1, 1}));
    EXPECT_TRUE(StretchHalftone(*src, {0, 0, 10, 10}, *dst, {0, 0, 0, 5}));
}
