#include "editors/qh1xx/layout.h"
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

using Settings = std::vector<std::pair<std::string, std::int64_t>>;

// The sixteen bytes a model's default form gives with a few values changed.
std::array<std::uint8_t, 16> Built(const Model& model, const Settings& settings,
                                   std::size_t* corrections = nullptr)
{
    Values values = DefaultValues(model);
    for (const auto& [key, value] : settings)
        values.numbers[key] = value;
    CE2promData image;
    const EncodeResult result = model.encode(values, image);
    if (corrections)
        *corrections = result.corrections.size();
    for (std::uint32_t offset = 16; offset < CE2promData::kSize; ++offset)
        EXPECT_EQ(image.GetByte(offset), 0xFF);
    std::array<std::uint8_t, 16> head{};
    std::copy_n(image.bytes().begin(), head.size(), head.begin());
    return head;
}

TEST(Qh1xxLayout, WorkedExamples)
{
    using Head = std::array<std::uint8_t, 16>;
    EXPECT_EQ(Built(qh1xx::Qh102(), {}), (Head{0x7A, 0x7A, 0x02, 0x01, 0, 0, 0x0C, 0x90, 0, 0, 0,
                                               0x01, 0x64, 0x01, 0x64, 0x32}));
    EXPECT_EQ(Built(qh1xx::Qh103(), {}), (Head{0x7A, 0x7A, 0x03, 0x01, 0, 0, 0x1C, 0x90, 0, 0, 0,
                                               0x01, 0x64, 0x01, 0x64, 0x32}));
    EXPECT_EQ(Built(qh1xx::Qh104(), {}), (Head{0x7A, 0x7A, 0x04, 0x01, 0, 0, 0x1C, 0x90, 0, 0, 0,
                                               0x01, 0x64, 0x01, 0x64, 0x32}));
    EXPECT_EQ(Built(qh1xx::Qh107(), {}), (Head{0x7A, 0x7A, 0x07, 0x01, 0, 0, 0x1C, 0x90, 0, 0, 0,
                                               0x01, 0x01, 0x01, 0x01, 0x32}));

    EXPECT_EQ(Built(qh1xx::Qh103(), {{"self_bus_power", 1}, {"current_sensing", 0}})[6], 0x98);
    EXPECT_EQ(Built(qh1xx::Qh102(), {{"current_sensing", 0}})[6], 0x08);
    EXPECT_EQ(Built(qh1xx::Qh104(), {{"multi_tt", 0}})[6], 0x0C) << "10 sets the QH102's bit 2";
    const Head ports = Built(qh1xx::Qh107(), {{"port1_non_removable", 1},
                                              {"port7_non_removable", 1},
                                              {"compound_device", 1}});
    EXPECT_EQ(ports[7], 0x98);
    EXPECT_EQ(ports[8], 0x82);
    std::size_t corrections = 0;
    EXPECT_EQ(Built(qh1xx::Qh107(), {{"port4_non_removable", 1}}, &corrections)[8], 0x00);
    EXPECT_EQ(corrections, 1u);
    EXPECT_EQ(Built(qh1xx::Qh104(), {{"self_max_power",
                                      ReadHexText(qh1xx::Qh104(), "1FF")}})[11], 0xFF);

    CE2promData loaded;
    loaded.SetByte(0x01, 11);
    loaded.SetByte(0xFA, 12);
    const Values values = qh1xx::Qh104().decode(loaded).values;
    EXPECT_EQ(ShowValue(*FindField(qh1xx::Qh104().fields, "self_max_power"), values), "1");
    EXPECT_EQ(ShowValue(*FindField(qh1xx::Qh104().fields, "bus_max_power"), values), "fa");
}

TEST(Qh1xxLayout, ModelsDifferOnlyWhereTheyShould)
{
    std::vector<std::string_view> previous;
    for (std::size_t i = 0; i < kModels.size(); ++i) {
        const Model& model = *kModels[i];
        EXPECT_EQ(qh1xx::ModelOfIndex(qh1xx::IndexOfModel(model)), &model);
        std::vector<std::string_view> keys;
        for (const Field& field : model.fields)
            keys.push_back(field.key);
        std::sort(keys.begin(), keys.end());
        // Every model has the fields of the one before, plus its extra ports (and the
        // QH103 the three options the QH102 lacks).
        EXPECT_TRUE(std::includes(keys.begin(), keys.end(), previous.begin(), previous.end()))
            << model.id;
        EXPECT_EQ(keys.size(), 15 + 3 * static_cast<std::size_t>(kPorts[i]) + (i > 0 ? 3 : 0))
            << model.id;
        previous = keys;
        for (int port = 1; port <= 7; ++port)
            EXPECT_EQ(FindField(model.fields, "port" + std::to_string(port) + "_disable_self") !=
                          nullptr,
                      port <= kPorts[i]);
        const Field* pid = FindField(model.fields, qh1xx::kPid);
        EXPECT_TRUE(std::is_sorted(pid->items.begin(), pid->items.end())) << model.id;
        EXPECT_GE(pid->indexOf(pid->defaultText), 0) << model.id;
    }
    EXPECT_EQ(FindField(qh1xx::Qh102().fields, "multi_tt"), nullptr);
    EXPECT_EQ(FindField(qh1xx::Qh102().fields, qh1xx::kCurrentSensing)->place.lsb, 2);
    EXPECT_EQ(qh1xx::ModelOfIndex(0), nullptr);
    EXPECT_EQ(qh1xx::ModelOfIndex(5), nullptr);

    std::vector<std::string_view> ids;
    for (const Model* model : AllModels())
        ids.push_back(model->id);
    const auto first = std::find(ids.begin(), ids.end(), "qh102");
    ASSERT_GE(ids.end() - first, 4);
    EXPECT_EQ((std::vector<std::string_view>(first, first + 4)),
              (std::vector<std::string_view>{"qh102", "qh103", "qh104", "qh107"}));
}

TEST(Qh1xxLayout, LoadChecksTheFamilyByteAndPicksTheForm)
{
    CE2promData image;
    image.SetByte(0x01, 3);
    const Model& current = qh1xx::Qh102();
    for (std::size_t i = 0; i < kModels.size(); ++i) {
        image.SetByte(static_cast<std::uint8_t>(kPorts[i]), 2);
        EXPECT_EQ(current.chooseDisplayModel(image, current).model, kModels[i]);
        EXPECT_FALSE(current.foreignImageQuestion(image).has_value());
    }
    for (std::uint8_t byte : {0x05, 0x06, 0x00, 0x01, 0x08, 0xFF}) {
        image.SetByte(byte, 2);
        const DisplayChoice choice = current.chooseDisplayModel(image, current);
        EXPECT_EQ(choice.model, nullptr) << int(byte);
        EXPECT_EQ(choice.question, "Select QH107 as display template");
        EXPECT_EQ(choice.ifYes, &qh1xx::Qh107());
    }
    image.SetByte(0x0A, 2);
    image.SetByte(0x1B, 3);
    EXPECT_EQ(current.foreignImageQuestion(image),
              "Dev PID A1B is not QH1xx. Click OK to go on, Cancel to abort");
}

TEST(Qh1xxLayout, TimerCorrectionComesBeforeTheCompoundOne)
{
    const Model& model = qh1xx::Qh103();
    Values values = DefaultValues(model);
    values.numbers["over_current_timer"] = 4;
    values.numbers["port3_non_removable"] = 1;
    values.numbers["eop_disable"] = kNoSelection; // silently its first item
    CE2promData image;
    const EncodeResult result = model.encode(values, image);
    ASSERT_EQ(result.corrections.size(), 2u);
    EXPECT_EQ(result.corrections[0].message,
              "Over-Current Timer:Invalid value 0x4, default to 0x0");
    EXPECT_EQ(result.corrections[1].updates.size(), 3u) << "the QH103's three ports";
    EXPECT_EQ(image.GetByte(6), 0x14);
    EXPECT_EQ(image.GetByte(7), 0x80);
    EXPECT_EQ(image.GetByte(8), 0x00);
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
            const Values first = model.decode(image).values;
            const EncodeResult result = model.encode(first, rebuilt);

            std::array<std::uint8_t, 16> expected{};
            std::copy_n(image.bytes().begin(), 16, expected.begin());
            expected[6] &= qh102 ? 0xAC : 0xFF;
            if (!qh102 && (expected[6] & 0x06) == 0x06)
                expected[6] &= 0xFD;
            expected[7] &= 0xB8;
            const bool compound = (expected[7] & 0x08) != 0;
            const bool cleared = !compound && (expected[8] & portBits) != 0;
            expected[8] = compound ? expected[8] & portBits : 0;
            expected[9] &= portBits;
            expected[10] &= portBits;
            ASSERT_TRUE(std::equal(expected.begin(), expected.end(), rebuilt.bytes().begin()))
                << model.id << " round " << round;
            ASSERT_EQ(result.corrections.size(), cleared ? 1u : 0u);
            for (std::uint32_t offset = 16; offset < CE2promData::kSize; ++offset)
                ASSERT_EQ(rebuilt.GetByte(offset), offset);
            if (!cleared) {
                ASSERT_EQ(model.decode(rebuilt).values.numbers, first.numbers) << model.id;
            }
        }
    }
}

} // namespace
