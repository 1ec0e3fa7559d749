#include "editors/qh404/layout.h"
#include "image/e2prom_data.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace layout;
namespace key = qh404::key;

namespace {

std::vector<std::uint8_t> Head(const CE2promData& image, std::size_t count = 12)
{
    return {image.bytes().begin(), image.bytes().begin() + static_cast<long>(count)};
}

CE2promData ImageOf(const std::vector<std::uint8_t>& head)
{
    CE2promData image;
    image.CopyIn(head.data(), static_cast<int>(head.size()));
    return image;
}

std::vector<std::string> Messages(const EncodeResult& result)
{
    std::vector<std::string> messages;
    for (const Correction& correction : result.corrections)
        messages.push_back(correction.message);
    return messages;
}

const std::vector<std::uint8_t> kDefaultHead{0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00,
                                             0x58, 0x00, 0x05, 0x00, 0x00, 0x80};
const std::vector<std::uint8_t> kBusPowerHead{0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00,
                                              0x98, 0x08, 0x05, 0x64, 0x64, 0x80};

TEST(Qh404Layout, IsTheFirstRegisteredModel)
{
    ASSERT_FALSE(AllModels().empty());
    EXPECT_EQ(AllModels().front(), &qh404::kModel);
    EXPECT_EQ(FindModel("qh404"), &qh404::kModel);
    EXPECT_EQ(qh404::kModel.name, "QH404");
}

TEST(Qh404Layout, WorkedExamplesEncodeByteForByte)
{
    CE2promData image;
    Values values = DefaultValues(qh404::kModel);
    EXPECT_TRUE(qh404::Encode(values, image).corrections.empty());
    EXPECT_EQ(Head(image), kDefaultHead);
    for (std::uint32_t i = 12; i < CE2promData::kSize; ++i)
        ASSERT_EQ(image.GetByte(i), 0xFF) << "byte " << i;

    // Bus power, as the form leaves it after the user picked it.
    values.numbers[std::string(key::kSelfBusPower)] = 1;
    values.numbers[std::string(key::kPortIndicators)] = 0;
    values.numbers[std::string(key::kMaxPower)] = 0x64;
    values.numbers[std::string(key::kHubCurrent)] = 0x64;
    values.numbers[std::string(key::kPortDisable[3])] = 1;
    EXPECT_TRUE(qh404::Encode(values, image).corrections.empty());
    EXPECT_EQ(Head(image), kBusPowerHead);
}

TEST(Qh404Layout, DecodeShowsTheFormsTexts)
{
    const DecodeResult decoded = qh404::Decode(ImageOf(kBusPowerHead));
    EXPECT_TRUE(decoded.notes.empty());
    auto shown = [&](std::string_view key) {
        return ShowValue(qh404::FieldOf(key), decoded.values);
    };
    EXPECT_EQ(shown(key::kVid), "7A7A");
    EXPECT_EQ(shown(key::kPid), "A700");
    EXPECT_EQ(shown(key::kDid), "0000");
    EXPECT_EQ(shown(key::kMaxPower), "64");
    EXPECT_EQ(shown(key::kPowerOnTimer), "80");
    EXPECT_EQ(shown(key::kSelfBusPower), "Bus-Power");
    EXPECT_EQ(shown(key::kPortIndicators), "No-LED");
    EXPECT_EQ(shown(key::kEopDisable), "Disable EOP");
    EXPECT_EQ(shown(key::kPortDisable[3]), "Disable");
    EXPECT_EQ(shown(key::kPortDisable[0]), "Enable");
    EXPECT_EQ(shown(key::kOverCurrentTimer), "2ms");

    const DecodeResult small = qh404::Decode(ImageOf({0x00, 0x01, 0xA5, 0x00, 0x12, 0x34, 0x58,
                                                      0x00, 0x05, 0x05, 0x00, 0x0A}));
    EXPECT_EQ(ShowValue(qh404::FieldOf(key::kVid), small.values), "0001");
    EXPECT_EQ(ShowValue(qh404::FieldOf(key::kDid), small.values), "1234");
    EXPECT_EQ(ShowValue(qh404::FieldOf(key::kMaxPower), small.values), "5");
    EXPECT_EQ(ShowValue(qh404::FieldOf(key::kHubCurrent), small.values), "0");
    EXPECT_EQ(ShowValue(qh404::FieldOf(key::kPowerOnTimer), small.values), "a");
}

TEST(Qh404Layout, EachBitBelongsToItsField)
{
    // One field at a time set to its second item: exactly its bit appears.
    struct Case {
        std::string_view key;
        std::size_t byte;
        std::uint8_t bits;
    };
    const Case cases[] = {
        {key::kSelfBusPower, 6, 0x80},      {key::kHighSpeedDisable, 6, 0x20},
        {key::kCompoundDevice, 6, 0x01},    {key::kDynamicPower, 8, 0x80},
        {key::kOnTheGo, 8, 0x40},           {key::kPortDisable[0], 7, 0x01},
        {key::kPortDisable[3], 7, 0x08},
    };
    for (const Case& c : cases) {
        Values values = DefaultValues(qh404::kModel);
        values.numbers[std::string(c.key)] = 1;
        CE2promData image;
        qh404::Encode(values, image);
        EXPECT_EQ(image.GetByte(static_cast<std::uint32_t>(c.byte)) ^ kDefaultHead[c.byte],
                  c.bits)
            << c.key;
    }
    // Non-removable ports need a compound device; port 1 is bit 4, port 4 bit 7.
    Values values = DefaultValues(qh404::kModel);
    values.numbers[std::string(key::kCompoundDevice)] = 1;
    values.numbers[std::string(key::kNonRemovable[0])] = 1;
    values.numbers[std::string(key::kNonRemovable[3])] = 1;
    CE2promData image;
    EXPECT_TRUE(qh404::Encode(values, image).corrections.empty());
    EXPECT_EQ(image.GetByte(7), 0x90);
}

TEST(Qh404Layout, IdsAreStoredHighByteFirstAndCut)
{
    Values values = DefaultValues(qh404::kModel);
    values.numbers[std::string(key::kVid)] = 0x12345; // typed "12345": low 16 bits kept
    values.numbers[std::string(key::kMaxPower)] = 0x1FA;
    CE2promData image;
    qh404::Encode(values, image);
    EXPECT_EQ(image.GetByte(0), 0x23);
    EXPECT_EQ(image.GetByte(1), 0x45);
    EXPECT_EQ(image.GetByte(9), 0xFA);
    // The form's boxes take seven characters; the rest is read as scanf reads it.
    EXPECT_EQ(ReadHexText(qh404::kModel, "12345678"), 0x1234567u);
    EXPECT_EQ(ReadHexText(qh404::kModel, "  0x1f"), 0x1Fu);
    EXPECT_EQ(ReadHexText(qh404::kModel, ""), 0u);
    EXPECT_EQ(ReadHexText(qh404::kModel, "zz"), 0u);
}

TEST(Qh404Layout, EncodeTouchesOnlyTheFirstTwelveBytes)
{
    CE2promData image;
    for (std::uint32_t i = 0; i < CE2promData::kSize; ++i)
        image.SetByte(static_cast<std::uint8_t>(i * 7), i);
    const CE2promData before = image;
    qh404::Encode(DefaultValues(qh404::kModel), image);
    EXPECT_EQ(Head(image), kDefaultHead);
    for (std::uint32_t i = 12; i < CE2promData::kSize; ++i)
        ASSERT_EQ(image.GetByte(i), before.GetByte(i)) << "byte " << i;
}

TEST(Qh404Layout, TimerNibbles)
{
    // 0 reads as the first timer and is written back as its code.
    CE2promData image = ImageOf({0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x58, 0x00, 0xC0});
    DecodeResult decoded = qh404::Decode(image);
    EXPECT_TRUE(decoded.notes.empty());
    EXPECT_EQ(decoded.values.number(key::kOverCurrentTimer), 0);
    qh404::Encode(decoded.values, image);
    EXPECT_EQ(image.GetByte(8), 0xC5);

    image.SetByte(0x0F, 8);
    EXPECT_EQ(qh404::Decode(image).values.number(key::kOverCurrentTimer), 2);

    // Any other nibble is reported and leaves the timer out of the values.
    image.SetByte(0x83, 8);
    decoded = qh404::Decode(image);
    ASSERT_EQ(decoded.notes.size(), 1u);
    EXPECT_EQ(decoded.notes[0].message, "Over-Current Timer:Invalid value 0x3");
    EXPECT_EQ(decoded.notes[0].key, key::kOverCurrentTimer);
    EXPECT_FALSE(decoded.values.has(key::kOverCurrentTimer));
    EXPECT_EQ(decoded.values.number(key::kDynamicPower), 1) << "the rest still decodes";
}

TEST(Qh404Layout, SpareBitsOfTheTimerByteAreDropped)
{
    CE2promData image = ImageOf({0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x58, 0x00, 0x3A});
    const DecodeResult decoded = qh404::Decode(image);
    EXPECT_EQ(decoded.values.number(key::kOverCurrentTimer), 1);
    qh404::Encode(decoded.values, image);
    EXPECT_EQ(image.GetByte(8), 0x0A);
}

TEST(Qh404Layout, PowerSenseConflictIsCorrected)
{
    Values values = DefaultValues(qh404::kModel);
    values.numbers[std::string(key::kCurrentSensing)] = 1;
    CE2promData image;
    EncodeResult result = qh404::Encode(values, image);
    ASSERT_EQ(result.corrections.size(), 1u);
    EXPECT_EQ(result.corrections[0].message,
              "Conflict values of port power=0x0 and Current Sense=0x1, set to default=0");
    const std::vector<std::pair<std::string, std::int64_t>> updates{
        {std::string(key::kCurrentSensing), 0}, {std::string(key::kPortPower), 0}};
    EXPECT_EQ(result.corrections[0].updates, updates);
    EXPECT_EQ(image.GetByte(6), 0x58);

    values.numbers[std::string(key::kCurrentSensing)] = 0;
    values.numbers[std::string(key::kPortPower)] = 1;
    result = qh404::Encode(values, image);
    EXPECT_EQ(Messages(result), std::vector<std::string>{"Conflict values of port power=0x1 "
                                                         "and Current Sense=0x0, set to "
                                                         "default=0"});
    EXPECT_EQ(image.GetByte(6), 0x58);

    values.numbers[std::string(key::kCurrentSensing)] = 1; // both gang: consistent
    EXPECT_TRUE(qh404::Encode(values, image).corrections.empty());
    EXPECT_EQ(image.GetByte(6), 0x5E);
}

TEST(Qh404Layout, NonRemovablePortsNeedACompoundDevice)
{
    Values values = DefaultValues(qh404::kModel);
    values.numbers[std::string(key::kNonRemovable[1])] = 1;
    values.numbers[std::string(key::kPortDisable[2])] = 1;
    CE2promData image;
    const EncodeResult result = qh404::Encode(values, image);
    ASSERT_EQ(result.corrections.size(), 1u);
    EXPECT_EQ(result.corrections[0].message,
              "Compound device field is set to 'No', all of the ports will set to Removable");
    ASSERT_EQ(result.corrections[0].updates.size(), 4u);
    for (int port = 0; port < 4; ++port)
        EXPECT_EQ(result.corrections[0].updates[static_cast<std::size_t>(port)],
                  (std::pair<std::string, std::int64_t>{std::string(key::kNonRemovable[port]), 0}));
    EXPECT_EQ(image.GetByte(7), 0x04) << "port disables are kept";
}

TEST(Qh404Layout, InvalidTimerSelectionsAreCorrected)
{
    for (const auto& [index, shown] : {std::pair<std::int64_t, std::string>{3, "0x3"},
                                       {kNoSelection, "0xffffffff"}}) {
        Values values = DefaultValues(qh404::kModel);
        values.numbers[std::string(key::kOverCurrentTimer)] = index;
        values.numbers[std::string(key::kDynamicPower)] = 1;
        CE2promData image;
        const EncodeResult result = qh404::Encode(values, image);
        EXPECT_EQ(Messages(result), std::vector<std::string>{"Over-Current Timer:Invalid value " +
                                                             shown + ", default to 0x0"});
        ASSERT_EQ(result.corrections.size(), 1u);
        EXPECT_EQ(result.corrections[0].updates,
                  (std::vector<std::pair<std::string, std::int64_t>>{
                      {std::string(key::kOverCurrentTimer), 0}}));
        EXPECT_EQ(image.GetByte(8), 0x80);
    }
}

TEST(Qh404Layout, CorrectionsComeInTheOrderOfTheBytes)
{
    Values values = DefaultValues(qh404::kModel);
    values.numbers[std::string(key::kOverCurrentTimer)] = 3;
    values.numbers[std::string(key::kNonRemovable[3])] = 1;
    values.numbers[std::string(key::kPortPower)] = 1;
    CE2promData image;
    const std::vector<std::string> messages = Messages(qh404::Encode(values, image));
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].rfind("Conflict values", 0), 0u);
    EXPECT_EQ(messages[1].rfind("Compound device", 0), 0u);
    EXPECT_EQ(messages[2].rfind("Over-Current Timer", 0), 0u);
    std::vector<std::uint8_t> expected = kDefaultHead;
    expected[8] = 0x00; // the invalid timer is stored as nibble 0
    EXPECT_EQ(Head(image), expected);
}

TEST(Qh404Layout, ProductIdOfALoadedFile)
{
    for (std::uint8_t high : {0xA5, 0xA6, 0xA7})
        EXPECT_EQ(qh404::ForeignImageQuestion(ImageOf({0x12, 0x34, high, 0x00})), std::nullopt);
    EXPECT_EQ(qh404::ForeignImageQuestion(ImageOf({0x12, 0x34, 0xA8, 0x00})),
              "Dev PID A80 is not QH404. Click OK to go on, Cancel to abort");
    EXPECT_EQ(qh404::ForeignImageQuestion(ImageOf({0xA7, 0x00, 0xA7, 0x01})),
              "Dev PID A71 is not QH404. Click OK to go on, Cancel to abort");
}

TEST(Qh404Layout, RandomImagesSettleAfterOneRoundTrip)
{
    // Decoding then encoding any image gives an image that the codec reproduces exactly:
    // whatever a first encode corrects, a second finds nothing left to correct.
    std::mt19937 random(404);
    for (int round = 0; round < 500; ++round) {
        std::vector<std::uint8_t> head(12);
        for (std::uint8_t& byte : head)
            byte = static_cast<std::uint8_t>(random());
        const CE2promData loaded = ImageOf(head);
        const DecodeResult first = qh404::Decode(loaded);
        CE2promData once = loaded;
        qh404::Encode(first.values, once);
        // Bytes that carry no rule come back unchanged.
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
