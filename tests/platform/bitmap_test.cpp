#include "platform/Bitmap.h"

#include <gtest/gtest.h>

#include "platform/MemoryBudget.h"

using platform::Bitmap;
using platform::PixelFormat;

TEST(Bitmap, CreatesZeroFilledWithPaddedRows) {
    struct Case {
        PixelFormat format;
        int width;
        size_t stride;
    };
    for (const Case& c : {Case{PixelFormat::Indexed8, 5, 8}, Case{PixelFormat::Bgr24, 5, 16},
                          Case{PixelFormat::Bgrx32, 5, 20}, Case{PixelFormat::Bgr24, 4, 12}}) {
        auto b = Bitmap::Create(c.width, 3, c.format);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->Stride(), c.stride);
        for (int y = 0; y < 3; ++y) {
            for (size_t i = 0; i < c.stride; ++i)
                ASSERT_EQ(b->Row(y)[i], 0);
        }
        for (const auto& colour : b->Colours())
            EXPECT_EQ(colour, platform::Rgb{});
    }
}

TEST(Bitmap, SizesBeyondTwoGigabytesAreComputedIn64Bits) {
    EXPECT_EQ(Bitmap::ByteSize(65535, 65535, PixelFormat::Bgrx32), uint64_t{65535} * 65535 * 4);
    EXPECT_EQ(Bitmap::RowStride(65535, PixelFormat::Bgr24), 196608u);
}

TEST(Bitmap, RefusesWhatExceedsTheMemoryLimit) {
    EXPECT_FALSE(Bitmap::Create(65535, 65535, PixelFormat::Bgr24));
    EXPECT_FALSE(Bitmap::Create(-1, 4, PixelFormat::Bgr24));
    platform::SetPictureMemoryLimitForTesting(1000);
    EXPECT_FALSE(Bitmap::Create(100, 100, PixelFormat::Bgr24));
    auto small = Bitmap::Create(10, 10, PixelFormat::Bgr24);
    ASSERT_TRUE(small);
    EXPECT_FALSE(small->Resize(100, 100));
    EXPECT_EQ(small->Width(), 10);
    platform::SetPictureMemoryLimitForTesting(0);
}

TEST(Bitmap, CopyAndConvertKeepPixelsPaletteAndProfile) {
    auto gray = Bitmap::Create(3, 2, PixelFormat::Indexed8);
    ASSERT_TRUE(gray);
    gray->SetColour(7, {10, 20, 30});
    gray->Row(1)[2] = 7;
    gray->SetProfile(std::make_shared<const std::vector<uint8_t>>(std::vector<uint8_t>{1, 2, 3}));

    auto copy = gray->Copy();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->Format(), PixelFormat::Indexed8);
    EXPECT_EQ(copy->Row(1)[2], 7);
    EXPECT_EQ(copy->Colours()[7], (platform::Rgb{10, 20, 30}));
    EXPECT_EQ(copy->Profile(), gray->Profile());

    auto bgr = gray->ConvertTo24();
    ASSERT_TRUE(bgr);
    EXPECT_EQ(bgr->Format(), PixelFormat::Bgr24);
    const uint8_t* px = bgr->Row(1) + 6;
    EXPECT_EQ(px[0], 30);
    EXPECT_EQ(px[1], 20);
    EXPECT_EQ(px[2], 10);
    EXPECT_EQ(bgr->Profile(), gray->Profile());
}

TEST(Bitmap, ResizeKeepsTheSharedPart) {
    auto b = Bitmap::Create(2, 2, PixelFormat::Bgr24);
    ASSERT_TRUE(b);
    b->Row(1)[3] = 99;
    ASSERT_TRUE(b->Resize(3, 3));
    EXPECT_EQ(b->Row(1)[3], 99);
    EXPECT_EQ(b->Row(2)[8], 0);
    ASSERT_TRUE(b->Resize(0, 0));
    EXPECT_EQ(b->Width(), 0);
}
