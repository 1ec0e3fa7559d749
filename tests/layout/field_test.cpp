#include "image/e2prom_data.h"
#include "layout/model.h"

#include <gtest/gtest.h>

#include <array>

using namespace layout;

namespace {

TEST(ScanHex, ReadsLikeTheFormsDo)
{
    EXPECT_EQ(ScanHex("7A7A"), 0x7A7Au);
    EXPECT_EQ(ScanHex("  0x1fF"), 0x1FFu);
    EXPECT_EQ(ScanHex("12g4"), 0x12u);
    EXPECT_EQ(ScanHex(""), 0u);
    EXPECT_EQ(ScanHex("xyz"), 0u);
    EXPECT_EQ(ScanHex("0x"), 0u);
    EXPECT_EQ(ScanHex("123456789"), 0x23456789u) << "keeps the low 32 bits";
}

TEST(FormatHex, WordsPaddedBytesBare)
{
    EXPECT_EQ(FormatHex(HexStyle::Word, 0xA7), "00A7");
    EXPECT_EQ(FormatHex(HexStyle::Byte, 0xFA), "fa");
    EXPECT_EQ(FormatHex(HexStyle::Byte, 0x01), "1");
}

TEST(Bits, PutKeepsTheNeighbours)
{
    CE2promData image;
    image.SetByte(0x00, 8);
    PutBits(image, {8, 4, 2}, 0b11);
    PutBits(image, {8, 0, 4}, 0xA);
    EXPECT_EQ(image.GetByte(8), 0x3A);
    PutBits(image, {8, 4, 2}, 0b111); // too wide: cut to the place
    EXPECT_EQ(image.GetByte(8), 0x3A);
    EXPECT_EQ(GetBits(image, {8, 4, 2}), 0b11u);
    PutBits(image, {0, 0, 16, true}, 0x1234);
    EXPECT_EQ(image.GetByte(0), 0x12);
    EXPECT_EQ(GetBits(image, {0, 0, 16, true}), 0x1234u);
}

constexpr std::array<std::string_view, 3> kTimerItems{"2ms", "4ms", "6ms"};
constexpr std::array<std::uint8_t, 3> kTimerCodes{0x5, 0xA, 0xF};
constexpr std::array<std::string_view, 2> kNoYes{"No", "Yes"};

TEST(Choices, MappedCodesGoBothWays)
{
    const Field timer{.key = "timer", .label = "Timer", .items = kTimerItems,
                      .defaultText = "2ms", .place = {8, 0, 4}, .codes = kTimerCodes};
    EXPECT_EQ(CodeOfIndex(timer, 1), 0xAu);
    EXPECT_EQ(IndexOfCode(timer, 0xF), 2);
    EXPECT_EQ(IndexOfCode(timer, 0x3), -1);

    CE2promData image;
    Values values;
    values.numbers["timer"] = 2;
    EncodePlainField(timer, values, image);
    EXPECT_EQ(image.GetByte(8), 0xFF) << "0xF0 | 0xF";
    Values decoded;
    DecodePlainField(timer, image, decoded);
    EXPECT_EQ(decoded.number("timer"), 2);
}

TEST(CheckModel, FindsWhatAReviewerWould)
{
    static constexpr std::array<Field, 4> fields{{
        {.key = "a", .label = "A", .items = kNoYes, .defaultText = "No", .place = {0, 0, 1}},
        {.key = "a", .label = "B", .items = kNoYes, .defaultText = "Maybe", .place = {0, 0, 1}},
        {.key = "w", .label = "W", .kind = Kind::Hex, .defaultText = "0", .place = {255, 0, 16}},
        {.key = "t", .label = "T", .items = kTimerItems, .defaultText = "2ms",
         .place = {1, 0, 2}, .codes = kTimerCodes},
    }};
    static constexpr std::array<UnusedBytes, 1> unused{{{2, 253, "spare"}}};
    const Model model{.id = "broken", .name = "Broken", .fields = fields, .unused = unused};
    const std::vector<std::string> problems = CheckModel(model);
    auto mentions = [&](std::string_view text) {
        for (const std::string& problem : problems)
            if (problem.find(text) != std::string::npos)
                return true;
        return false;
    };
    EXPECT_TRUE(mentions("key used twice: a"));
    EXPECT_TRUE(mentions("\"Maybe\" is not one of its items"));
    EXPECT_TRUE(mentions("share byte 0 bit 0"));
    EXPECT_TRUE(mentions("w: place outside"));
    EXPECT_TRUE(mentions("t: item 4ms does not fit"));
    EXPECT_TRUE(mentions("byte 254 is neither owned"));
}

TEST(Models, EveryRegisteredDescriptionIsSound)
{
    for (const Model* model : AllModels()) {
        EXPECT_EQ(FindModel(model->id), model);
        EXPECT_EQ(CheckModel(*model), std::vector<std::string>{}) << model->id;
    }
}

} // namespace
