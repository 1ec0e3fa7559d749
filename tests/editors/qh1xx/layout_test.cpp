#include "editors/qh1xx/core/layout.h"
#include "image/e2prom_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

using namespace layout;

namespace {

const std::array<const Model*, 4> kModels{&qh1xx::Qh102(), &qh1xx::Qh103(), &qh1xx::Qh104(),
                                          &qh1xx::Qh107()};
constexpr std::array kPorts{2, 3, 4, 7};

using Head = std::array<std::uint8_t, 16>;

Head HeadOf(const CE2promData& image)
{
    Head head{};
    std::copy_n(image.bytes().begin(), head.size(), head.begin());
    return head;
}

TEST(Qh1xxLayout, LoadChecksTheFamilyByteAndPicksTheFormByTheModelByte)
{
    CE2promData image;
    image.SetByte(0x01, 3);
    const Model& current = qh1xx::Qh102();
    for (int byte = 0; byte < 256; ++byte) {
        image.SetByte(static_cast<std::uint8_t>(byte), 2);
        EXPECT_FALSE(current.foreignImageQuestion(current, image).has_value());
        const DisplayChoice choice = current.chooseDisplayModel(current, image);
        const auto port = std::find(kPorts.begin(), kPorts.end(), byte);
        if (port != kPorts.end()) {
            EXPECT_EQ(choice.model, kModels[static_cast<std::size_t>(port - kPorts.begin())]);
        } else {
            EXPECT_EQ(choice.model, nullptr) << byte;
            EXPECT_EQ(choice.ifYes, &qh1xx::Qh107()) << byte;
        }
    }
    image.SetByte(0x0A, 2);
    image.SetByte(0x1B, 3);
    EXPECT_EQ(current.foreignImageQuestion(current, image),
              "Dev PID A1B is not QH1xx. Click OK to go on, Cancel to abort");
}

// A timer that is none of its items is reported and written as 0; another list without a
// selection (a profile may leave one so) is written as its first item, silently.
TEST(Qh1xxLayout, ListsWithoutASelection)
{
    const Model& model = qh1xx::Qh103();
    Values values = DefaultValues(model);
    values.setIndex(*FieldIndex(model, "over_current_timer"), 4);
    values.setIndex(*FieldIndex(model, "eop_disable"), kNoSelection);
    CE2promData image;
    const EncodeResult result = Create(model, values, image);
    ASSERT_EQ(result.corrections.size(), 1u);
    EXPECT_EQ(result.corrections[0].message,
              "Over-Current Timer:Invalid value 0x4, default to 0x0");
    EXPECT_EQ(image.GetByte(6), 0x14);
    EXPECT_EQ(image.GetByte(7), 0x80);
}

// Decoding any image and building it again keeps every bit the model has a field for,
// writes 0 where it has none (Current Sensing 11 becomes 10), and leaves the bytes past
// the sixteen alone.
TEST(Qh1xxLayout, RandomImagesSurviveDecodeAndBuild)
{
    for (std::size_t i = 0; i < kModels.size(); ++i) {
        const Model& model = *kModels[i];
        const auto portBits = static_cast<std::uint8_t>(((1u << kPorts[i]) - 1u) << 1);
        const bool qh102 = i == 0;
        std::mt19937 random(1234u + static_cast<unsigned>(i));
        std::uniform_int_distribution<int> byte(0, 255);
        for (int round = 0; round < 300; ++round) {
            CE2promData image;
            CE2promData rebuilt;
            for (std::uint32_t offset = 0; offset < CE2promData::kSize; ++offset) {
                image.SetByte(static_cast<std::uint8_t>(byte(random)), offset);
                rebuilt.SetByte(static_cast<std::uint8_t>(offset), offset);
            }
            const Values first = model.decode(model, image).values;
            const EncodeResult result = Create(model, first, rebuilt);

            Head expected = HeadOf(image);
            expected[6] &= qh102 ? 0xAC : 0xFF;
            if (!qh102 && (expected[6] & 0x06) == 0x06)
                expected[6] &= 0xFD;
            expected[7] &= 0xB8;
            const bool compound = (expected[7] & 0x08) != 0;
            const bool cleared = !compound && (expected[8] & portBits) != 0;
            expected[8] = compound ? expected[8] & portBits : 0;
            expected[9] &= portBits;
            expected[10] &= portBits;
            ASSERT_EQ(HeadOf(rebuilt), expected) << model.id << " round " << round;
            ASSERT_EQ(result.corrections.size(), cleared ? 1u : 0u);
            for (std::uint32_t offset = 16; offset < CE2promData::kSize; ++offset)
                ASSERT_EQ(rebuilt.GetByte(offset), offset);
            if (!cleared) {
                ASSERT_EQ(model.decode(model, rebuilt).values, first) << model.id;
            }
        }
    }
}

} // namespace
