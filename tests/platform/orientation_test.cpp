#include "platform/Orientation.h"

#include <gtest/gtest.h>

#include "support/JpegFixtures.h"

TEST(ExifOrientation, ReadsBothByteOrders) {
    for (bool bigEndian : {false, true}) {
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const auto block = fixtures::ExifBlock(orientation, bigEndian);
            EXPECT_EQ(platform::ReadExifOrientation(block.data(), block.size()), orientation);
        }
    }
}

TEST(ExifOrientation, DamagedBlocksCountAsUpright) {
    auto block = fixtures::ExifBlock(6, false);
    EXPECT_EQ(platform::ReadExifOrientation(block.data(), 20), 1) << "cut inside the entries";
    EXPECT_EQ(platform::ReadExifOrientation(nullptr, 0), 1);
    auto bad = fixtures::ExifBlock(9, false);
    EXPECT_EQ(platform::ReadExifOrientation(bad.data(), bad.size()), 1);
    block[0] = 'X';
    EXPECT_EQ(platform::ReadExifOrientation(block.data(), block.size()), 1);
    auto farOffset = fixtures::ExifBlock(6, false);
    farOffset[10] = 0xFF;  // IFD offset far beyond the block
    farOffset[11] = 0xFF;
    farOffset[12] = 0xFF;
    farOffset[13] = 0x7F;
    EXPECT_EQ(platform::ReadExifOrientation(farOffset.data(), farOffset.size()), 1);
}
