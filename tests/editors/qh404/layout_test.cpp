#include "editors/qh404/core/layout.h"
#include "image/e2prom_data.h"

#include <gtest/gtest.h>

#include <vector>

using namespace layout;
namespace key = qh404::key;

namespace {

using Bytes = std::vector<std::uint8_t>;
const Model& kModel = qh404::kModel;

std::size_t At(std::string_view key) { return *FieldIndex(kModel, key); }

CE2promData ImageOf(const Bytes& head)
{
    CE2promData image;
    image.CopyIn(head.data(), static_cast<int>(head.size()));
    return image;
}

Values With(std::initializer_list<std::pair<std::string_view, std::int64_t>> picks)
{
    Values values = DefaultValues(kModel);
    for (const auto& [name, index] : picks)
        values.setIndex(At(name), index);
    return values;
}

EncodeResult Encode(const Values& values, CE2promData& image)
{
    return layout::Create(kModel, values, image);
}

DecodeResult Decode(const CE2promData& image) { return kModel.decode(kModel, image); }

// The fields a correction changes, by key.
std::vector<std::string_view> Changed(const Correction& correction)
{
    std::vector<std::string_view> keys;
    for (std::size_t at = 0; at < kModel.fields.size(); ++at)
        if (correction.changes.has(at))
            keys.push_back(kModel.fields[at].key);
    return keys;
}

TEST(Qh404Layout, TimerNibbleZeroReadsAsTheFirstTimer)
{
    // What an image built from an invalid selection holds; bits 5-4 are dropped on writing.
    CE2promData image = ImageOf({0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x58, 0x00, 0xF0});
    const DecodeResult decoded = Decode(image);
    EXPECT_TRUE(decoded.notes.empty());
    EXPECT_EQ(decoded.values.index(At(key::kOverCurrentTimer)), 0);
    Encode(decoded.values, image);
    EXPECT_EQ(image.GetByte(8), 0xC5);
    image.SetByte(0x3F, 8);
    EXPECT_EQ(Decode(image).values.index(At(key::kOverCurrentTimer)), 2);
}

TEST(Qh404Layout, CorrectionsInTheOrderOfTheBytes)
{
    CE2promData image;
    const EncodeResult result = Encode(
        With({{key::kCurrentSensing, 1}, {key::kNonRemovable[1], 1}, {key::kPortDisable[2], 1},
              {key::kOverCurrentTimer, 3}}),
        image);
    ASSERT_EQ(result.corrections.size(), 3u);
    EXPECT_EQ(Changed(result.corrections[0]),
              (std::vector<std::string_view>{key::kCurrentSensing, key::kPortPower}));
    EXPECT_EQ(Changed(result.corrections[1]).size(), 4u) << "the four ports";
    EXPECT_EQ(Changed(result.corrections[2]), std::vector{key::kOverCurrentTimer});
    EXPECT_EQ(result.corrections[2].changes.index(At(key::kOverCurrentTimer)), 0);
    EXPECT_EQ(image.GetByte(6), 0x58);
    EXPECT_EQ(image.GetByte(7), 0x04) << "port disables are kept";
    EXPECT_EQ(image.GetByte(8), 0x00);

    // The other conflict, a list showing nothing, and settings that agree.
    const EncodeResult other =
        Encode(With({{key::kPortPower, 1}, {key::kOverCurrentTimer, kNoSelection}}), image);
    ASSERT_EQ(other.corrections.size(), 2u);
    EXPECT_EQ(other.corrections[0].message,
              "Conflict values of port power=0x1 and Current Sense=0x0, set to default=0");
    EXPECT_EQ(other.corrections[1].message,
              "Over-Current Timer:Invalid value 0xffffffff, default to 0x0");
    EXPECT_TRUE(Encode(With({{key::kPortPower, 1}, {key::kCurrentSensing, 1}}), image)
                    .corrections.empty());
    EXPECT_EQ(image.GetByte(6), 0x5E);
}

// The rules of the user's picks: bus power brings its currents, LEDs and port 4 with it,
// silently; a non-removable port asks for a compound device, once.
TEST(Qh404Layout, RulesOfTheUsersPicks)
{
    const std::size_t power = At(key::kSelfBusPower);
    const std::optional<Correction> bus = OnUserChange(kModel, power, With({{key::kSelfBusPower, 1}}));
    ASSERT_TRUE(bus);
    EXPECT_EQ(bus->message, "");
    EXPECT_EQ(bus->changes.text(At(key::kMaxPower)), "64");
    EXPECT_EQ(bus->changes.text(At(key::kHubCurrent)), "64");
    EXPECT_EQ(bus->changes.index(At(key::kPortIndicators)), 0);
    EXPECT_EQ(bus->changes.index(At(key::kPortDisable[3])), 1);
    const std::optional<Correction> self = OnUserChange(kModel, power, With({}));
    ASSERT_TRUE(self);
    EXPECT_EQ(self->changes.text(At(key::kMaxPower)), "00");
    EXPECT_EQ(self->changes.index(At(key::kPortIndicators)), 1);

    const std::size_t port3 = At(key::kNonRemovable[2]);
    const std::optional<Correction> compound =
        OnUserChange(kModel, port3, With({{key::kNonRemovable[2], 1}}));
    ASSERT_TRUE(compound);
    EXPECT_EQ(compound->message,
              "Non-Removable has been selected, Compound device field will set to Yes");
    EXPECT_EQ(Changed(*compound), std::vector{key::kCompoundDevice});
    EXPECT_FALSE(OnUserChange(kModel, port3,
                              With({{key::kNonRemovable[2], 1}, {key::kCompoundDevice, 1}})));
    EXPECT_FALSE(OnUserChange(kModel, port3, With({})));
}

TEST(Qh404Layout, ProductIdOfALoadedFile)
{
    for (std::uint8_t high : {0xA5, 0xA6, 0xA7})
        EXPECT_EQ(kModel.foreignImageQuestion(kModel, ImageOf({0x12, 0x34, high, 0x00})),
                  std::nullopt);
    // Each byte without its leading zero.
    EXPECT_EQ(kModel.foreignImageQuestion(kModel, ImageOf({0xA7, 0x00, 0xA7, 0x01})),
              "Dev PID A71 is not QH404. Click OK to go on, Cancel to abort");
}

} // namespace
