#include "image/e2prom_data.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

TEST(E2promData, FreshAndClearedImagesAreErased)
{
    CE2promData data;
    for (std::uint32_t i = 0; i < CE2promData::kSize; ++i)
        ASSERT_EQ(data.GetByte(i), 0xFF);
    data.SetByte(0x12, 7);
    data.Clear();
    EXPECT_EQ(data.GetByte(7), 0xFF);
}

TEST(E2promData, ByteAccessOutsideTheImageIsRefused)
{
    CE2promData data;
    EXPECT_TRUE(data.SetByte(0x00, 255));
    EXPECT_EQ(data.GetByte(255), 0x00);
    EXPECT_FALSE(data.SetByte(0x00, 256));
    EXPECT_EQ(data.GetByte(256), 0xFF);
    EXPECT_EQ(data.GetByte(0xFFFFFFFFu), 0xFF);
}

TEST(E2promData, CopyInCountsAndBounds)
{
    std::vector<std::uint8_t> source(300);
    std::iota(source.begin(), source.end(), 0);

    CE2promData data;
    EXPECT_EQ(data.CopyIn(source.data(), 0), 0);
    EXPECT_EQ(data.GetByte(0), 0xFF);
    EXPECT_EQ(data.CopyIn(source.data(), -5), 0);

    EXPECT_GT(data.CopyIn(source.data(), 16), 0);
    EXPECT_EQ(data.GetByte(15), 15);
    EXPECT_EQ(data.GetByte(16), 0xFF);

    EXPECT_EQ(data.CopyIn(source.data(), 300), 256);
    EXPECT_EQ(data.GetByte(255), 255);

    std::uint8_t out[256];
    EXPECT_EQ(data.CopyOut(out), 256);
    EXPECT_EQ(out[200], 200);
}

TEST(E2promData, ListingLinesCarryTheirOffsetAndSixteenBytes)
{
    CE2promData data;
    data.SetByte(0x0A, 0xF0);
    data.SetByte(0xBC, 0xFF);
    std::string line = "untouched";
    EXPECT_EQ(data.FormatLine(line, 16), 0);
    EXPECT_EQ(line, "untouched");
    EXPECT_EQ(data.FormatLine(line, -1), 0);

    EXPECT_EQ(data.FormatLine(line, 0), 16);
    EXPECT_EQ(line, "00: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");
    EXPECT_EQ(line.size(), 51u);

    EXPECT_EQ(data.FormatLine(line, 15), 16);
    EXPECT_EQ(line, "F0: 0A FF FF FF FF FF FF FF FF FF FF FF FF FF FF BC");

    const auto lines = ListingLines(data);
    EXPECT_EQ(lines[1].substr(0, 3), "10:");
    EXPECT_EQ(lines[15], line);
}

} // namespace
