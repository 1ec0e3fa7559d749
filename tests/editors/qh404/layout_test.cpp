#include "editors/qh404/layout.h"
#include "image/e2prom_data.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace layout;
namespace key = qh404::key;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Updates = std::vector<std::pair<std::string, std::int64_t>>;

Bytes Head(const CE2promData& image)
{
    return {image.bytes().begin(), image.bytes().begin() + 12};
}

CE2promData ImageOf(const Bytes& head)
{
    CE2promData image;
    image.CopyIn(head.data(), static_cast<int>(head.size()));
    return image;
}

Values With(std::initializer_list<std::pair<std::string_view, std::int64_t>> changes)
{
    Values values = DefaultValues(qh404::kModel);
    for (const auto& [name, value] : changes)
        values.numbers[std::string(name)] = value;
    return values;
}

TEST(Qh404Layout, DefaultsWriteTheirTwelveBytesAndNothingElse)
{
    CE2promData image;
    for (std::uint32_t i = 0; i < CE2promData::kSize; ++i)
        image.SetByte(static_cast<std::uint8_t>(i * 7), i);
    const CE2promData before = image;
    EXPECT_TRUE(qh404::Encode(DefaultValues(qh404::kModel), image).corrections.empty());
    EXPECT_EQ(Head(image),
              (Bytes{0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x58, 0x00, 0x05, 0x00, 0x00, 0x80}));
    for (std::uint32_t i = 12; i < CE2promData::kSize; ++i)
        ASSERT_EQ(image.GetByte(i), before.GetByte(i)) << "byte " << i;
}

TEST(Qh404Layout, TimerNibbleZeroReadsAsTheFirstTimer)
{
    // What an image built from an invalid selection holds; bits 5-4 are dropped on writing.
    CE2promData image = ImageOf({0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x58, 0x00, 0xF0});
    const DecodeResult decoded = qh404::Decode(image);
    EXPECT_TRUE(decoded.notes.empty());
    EXPECT_EQ(decoded.values.number(key::kOverCurrentTimer), 0);
    qh404::Encode(decoded.values, image);
    EXPECT_EQ(image.GetByte(8), 0xC5);
    image.SetByte(0x3F, 8);
    EXPECT_EQ(qh404::Decode(image).values.number(key::kOverCurrentTimer), 2);
}

TEST(Qh404Layout, CorrectionsInTheOrderOfTheBytes)
{
    CE2promData image;
    const EncodeResult result = qh404::Encode(
        With({{key::kCurrentSensing, 1}, {key::kNonRemovable[1], 1}, {key::kPortDisable[2], 1},
              {key::kOverCurrentTimer, 3}}),
        image);
    ASSERT_EQ(result.corrections.size(), 3u);
    EXPECT_EQ(result.corrections[0].updates.size(), 2u) << "the two power-sense lists";
    EXPECT_EQ(result.corrections[1].updates.size(), 4u) << "the four ports";
    EXPECT_EQ(result.corrections[2].updates, (Updates{{"over_current_timer", 0}}));
    EXPECT_EQ(image.GetByte(6), 0x58);
    EXPECT_EQ(image.GetByte(7), 0x04) << "port disables are kept";
    EXPECT_EQ(image.GetByte(8), 0x00);

    // The other conflict, a list showing nothing, and settings that agree.
    const EncodeResult other =
        qh404::Encode(With({{key::kPortPower, 1}, {key::kOverCurrentTimer, kNoSelection}}), image);
    ASSERT_EQ(other.corrections.size(), 2u);
    EXPECT_EQ(other.corrections[0].message,
              "Conflict values of port power=0x1 and Current Sense=0x0, set to default=0");
    EXPECT_EQ(other.corrections[1].message,
              "Over-Current Timer:Invalid value 0xffffffff, default to 0x0");
    EXPECT_TRUE(qh404::Encode(With({{key::kPortPower, 1}, {key::kCurrentSensing, 1}}), image)
                    .corrections.empty());
    EXPECT_EQ(image.GetByte(6), 0x5E);
}

TEST(Qh404Layout, ProductIdOfALoadedFile)
{
    for (std::uint8_t high : {0xA5, 0xA6, 0xA7})
        EXPECT_EQ(qh404::ForeignImageQuestion(ImageOf({0x12, 0x34, high, 0x00})), std::nullopt);
    // Each byte without its leading zero.
    EXPECT_EQ(qh404::ForeignImageQuestion(ImageOf({0xA7, 0x00, 0xA7, 0x01})),
              "Dev PID A71 is not QH404. Click OK to go on, Cancel to abort");
}

TEST(Qh404Layout, RandomImagesSettleAfterOneRoundTrip)
{
    // Whatever a first encode of a decoded image corrects, a second finds nothing left to
    // correct and reproduces it exactly; bytes without a rule survive the first already.
    std::mt19937 random(404);
    for (int round = 0; round < 500; ++round) {
        Bytes head(12);
        for (std::uint8_t& byte : head)
            byte = static_cast<std::uint8_t>(random());
        CE2promData once = ImageOf(head);
        qh404::Encode(qh404::Decode(once).values, once);
        for (std::uint32_t i : {0u, 1u, 2u, 3u, 4u, 5u, 9u, 10u, 11u})
            ASSERT_EQ(once.GetByte(i), head[i]) << "round " << round << " byte " << i;

        const DecodeResult second = qh404::Decode(once);
        EXPECT_TRUE(second.notes.empty());
        CE2promData twice = once;
        EXPECT_TRUE(qh404::Encode(second.values, twice).corrections.empty());
        ASSERT_EQ(Head(twice), Head(once)) << "round " << round;
    }
}

} // namespace
