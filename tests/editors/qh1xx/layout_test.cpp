#include "editors/qh1xx/layout.h"
#include "image/e2prom_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

using namespace layout;

namespace {

using Head = std::array<std::uint8_t, 16>;

Head HeadOf(const CE2promData& image)
{
    Head head{};
    std::copy_n(image.bytes().begin(), head.size(), head.begin());
    return head;
}

void Set(Values& values, std::string_view key, std::int64_t value)
{
    values.numbers[std::string(key)] = value;
}

EncodeResult Build(const Model& model, const Values& values, CE2promData& image)
{
    return model.encode(values, image);
}

std::string Shown(const Model& model, const Values& values, std::string_view key)
{
    const Field* field = FindField(model.fields, key);
    return field ? ShowValue(*field, values) : "<no field " + std::string(key) + ">";
}

TEST(Qh1xxLayout, DefaultFormsGiveTheListedBytes)
{
    const std::array<std::pair<const Model*, Head>, 4> expected{{
        {&qh1xx::Qh102(), {0x7A, 0x7A, 0x02, 0x01, 0, 0, 0x0C, 0x90, 0, 0, 0, 0x01, 0x64, 0x01,
                           0x64, 0x32}},
        {&qh1xx::Qh103(), {0x7A, 0x7A, 0x03, 0x01, 0, 0, 0x1C, 0x90, 0, 0, 0, 0x01, 0x64, 0x01,
                           0x64, 0x32}},
        {&qh1xx::Qh104(), {0x7A, 0x7A, 0x04, 0x01, 0, 0, 0x1C, 0x90, 0, 0, 0, 0x01, 0x64, 0x01,
                           0x64, 0x32}},
        {&qh1xx::Qh107(), {0x7A, 0x7A, 0x07, 0x01, 0, 0, 0x1C, 0x90, 0, 0, 0, 0x01, 0x01, 0x01,
                           0x01, 0x32}},
    }};
    for (const auto& [model, head] : expected) {
        CE2promData image;
        const EncodeResult result = Build(*model, DefaultValues(*model), image);
        EXPECT_TRUE(result.corrections.empty()) << model->id;
        EXPECT_EQ(HeadOf(image), head) << model->id;
        for (std::uint32_t offset = 16; offset < CE2promData::kSize; ++offset)
            ASSERT_EQ(image.GetByte(offset), 0xFF) << model->id << " offset " << offset;
    }
}

TEST(Qh1xxLayout, ModelsDifferOnlyWhereTheyShould)
{
    auto keys = [](const Model& model) {
        std::vector<std::string> all;
        for (const Field& field : model.fields)
            all.emplace_back(field.key);
        return all;
    };
    auto has = [&](const Model& model, std::string_view key) {
        return FindField(model.fields, key) != nullptr;
    };
    const std::array<std::pair<const Model*, int>, 4> ports{{
        {&qh1xx::Qh102(), 2}, {&qh1xx::Qh103(), 3}, {&qh1xx::Qh104(), 4}, {&qh1xx::Qh107(), 7}}};
    for (const auto& [model, count] : ports) {
        for (int port = 1; port <= 7; ++port)
            for (const char* map : {"non_removable", "disable_bus", "disable_self"}) {
                const std::string key = "port" + std::to_string(port) + "_" + map;
                EXPECT_EQ(has(*model, key), port <= count) << model->id << " " << key;
            }
        const Field* pid = FindField(model->fields, qh1xx::kPid);
        ASSERT_NE(pid, nullptr);
        EXPECT_TRUE(std::is_sorted(pid->items.begin(), pid->items.end())) << model->id;
        EXPECT_GE(pid->indexOf(pid->defaultText), 0) << model->id;
        EXPECT_EQ(model->loadSize, 16);
        EXPECT_EQ(qh1xx::ModelOfIndex(qh1xx::IndexOfModel(*model)), model);
    }
    // The QH102 lacks three options and keeps a two-item Current Sensing.
    for (const char* key : {"port_indicators", "multi_tt", "port_power_enabling"}) {
        EXPECT_FALSE(has(qh1xx::Qh102(), key)) << key;
        EXPECT_TRUE(has(qh1xx::Qh103(), key)) << key;
    }
    EXPECT_EQ(FindField(qh1xx::Qh102().fields, qh1xx::kCurrentSensing)->items.size(), 2u);
    EXPECT_EQ(FindField(qh1xx::Qh104().fields, qh1xx::kCurrentSensing)->items.size(), 3u);
    // Apart from ports and the options above, all four show the same fields.
    std::vector<std::string> qh107 = keys(qh1xx::Qh107());
    std::erase_if(qh107, [](const std::string& key) {
        return key.starts_with("port") && key[4] >= '3' && key[4] <= '7';
    });
    EXPECT_EQ(keys(qh1xx::Qh103()).size() - 3, qh107.size());
    std::erase_if(qh107, [](const std::string& key) {
        return key == "port_indicators" || key == "multi_tt" || key == "port_power_enabling";
    });
    EXPECT_EQ(keys(qh1xx::Qh102()), qh107);

    EXPECT_EQ(FindField(qh1xx::Qh102().fields, qh1xx::kPid)->items.size(), 1u);
    EXPECT_EQ(FindField(qh1xx::Qh107().fields, qh1xx::kPid)->items.size(), 5u);
    EXPECT_EQ(qh1xx::ModelOfIndex(0), nullptr);
    EXPECT_EQ(qh1xx::ModelOfIndex(5), nullptr);
}

TEST(Qh1xxLayout, RegisteredInModelListOrder)
{
    std::vector<std::string_view> ids;
    for (const Model* model : AllModels())
        ids.push_back(model->id);
    const auto first = std::find(ids.begin(), ids.end(), "qh102");
    ASSERT_NE(first, ids.end());
    ASSERT_GE(ids.end() - first, 4);
    EXPECT_EQ((std::vector<std::string_view>(first, first + 4)),
              (std::vector<std::string_view>{"qh102", "qh103", "qh104", "qh107"}));
    EXPECT_EQ(FindModel("qh107"), &qh1xx::Qh107());
    EXPECT_EQ(qh1xx::Qh107().name, "QH107");
}

TEST(Qh1xxLayout, ConfigBitsOfTheWorkedExamples)
{
    {   // "Self-Power" on the QH103 also sets Current Sensing to "Gang" (the rule).
        const Model& model = qh1xx::Qh103();
        Values values = DefaultValues(model);
        Set(values, qh1xx::kSelfBusPower, 1);
        const auto rule = qh1xx::RuleOnChoice(model, qh1xx::kSelfBusPower, 1, values);
        ASSERT_TRUE(rule.has_value());
        for (const auto& [key, value] : rule->updates)
            Set(values, key, value);
        CE2promData image;
        Build(model, values, image);
        EXPECT_EQ(image.GetByte(6), 0x98);
    }
    {   // The QH102's "OCS Not Supported" and the others' value 10 set the same bit.
        CE2promData qh102;
        CE2promData qh104;
        Values values102 = DefaultValues(qh1xx::Qh102());
        Values values104 = DefaultValues(qh1xx::Qh104());
        Set(values104, "multi_tt", 0);
        Build(qh1xx::Qh102(), values102, qh102);
        Build(qh1xx::Qh104(), values104, qh104);
        EXPECT_EQ(qh102.GetByte(6), 0x0C);
        EXPECT_EQ(qh104.GetByte(6), 0x0C);
        Set(values102, qh1xx::kCurrentSensing, 0);
        Build(qh1xx::Qh102(), values102, qh102);
        EXPECT_EQ(qh102.GetByte(6), 0x08);
    }
    {   // QH107 ports 1 and 7 non-removable on a compound device.
        const Model& model = qh1xx::Qh107();
        Values values = DefaultValues(model);
        Set(values, "port1_non_removable", 1);
        Set(values, "port7_non_removable", 1);
        Set(values, qh1xx::kCompoundDevice, 1);
        Set(values, "port3_disable_bus", 1);
        Set(values, "port6_disable_self", 1);
        CE2promData image;
        EXPECT_TRUE(Build(model, values, image).corrections.empty());
        EXPECT_EQ(image.GetByte(7), 0x98);
        EXPECT_EQ(image.GetByte(8), 0x82);
        EXPECT_EQ(image.GetByte(9), 0x40);
        EXPECT_EQ(image.GetByte(10), 0x08);
    }
}

TEST(Qh1xxLayout, HexTextIsCutToTheBoxAndTheField)
{
    const Model& model = qh1xx::Qh104();
    Values values = DefaultValues(model);
    Set(values, "self_max_power", ReadHexText(model, "1FF"));
    Set(values, "power_on_timer", ReadHexText(model, " 0x12345678")); // 7 characters kept
    Set(values, qh1xx::kVid, ReadHexText(model, "12345"));
    Set(values, qh1xx::kPid, ReadHexText(model, "zz"));
    CE2promData image;
    Build(model, values, image);
    EXPECT_EQ(image.GetByte(11), 0xFF);
    EXPECT_EQ(image.GetByte(15), 0x34);
    EXPECT_EQ(image.GetByte(0), 0x45) << "low byte first";
    EXPECT_EQ(image.GetByte(1), 0x23);
    EXPECT_EQ(image.GetByte(2), 0x00);
    EXPECT_EQ(image.GetByte(3), 0x00);
}

TEST(Qh1xxLayout, CompoundNoClearsThePortsTheModelHas)
{
    for (const Model* model : {&qh1xx::Qh102(), &qh1xx::Qh107()}) {
        Values values = DefaultValues(*model);
        Set(values, "port2_non_removable", 1);
        CE2promData image;
        const EncodeResult result = Build(*model, values, image);
        ASSERT_EQ(result.corrections.size(), 1u) << model->id;
        const Correction& correction = result.corrections.front();
        EXPECT_EQ(correction.message,
                  "Compound device field is set to 'No', all of the ports will set to Removable");
        const std::size_t ports = model == &qh1xx::Qh102() ? 2 : 7;
        ASSERT_EQ(correction.updates.size(), ports) << model->id;
        for (const auto& [key, value] : correction.updates) {
            EXPECT_TRUE(key.ends_with("_non_removable")) << key;
            EXPECT_EQ(value, 0) << key;
        }
        EXPECT_EQ(image.GetByte(8), 0x00);
        EXPECT_EQ(image.GetByte(7) & 0x08, 0);
    }
}

TEST(Qh1xxLayout, TimerWithoutSelectionIsToldAndWritten00BeforeTheCompoundRule)
{
    const Model& model = qh1xx::Qh103();
    Values values = DefaultValues(model);
    Set(values, qh1xx::kOverCurrentTimer, kNoSelection);
    Set(values, "port3_non_removable", 1);
    Set(values, "eop_disable", kNoSelection); // silently the first item
    CE2promData image;
    const EncodeResult result = Build(model, values, image);
    ASSERT_EQ(result.corrections.size(), 2u);
    EXPECT_EQ(result.corrections[0].message,
              "Over-Current Timer:Invalid value 0xffffffff, default to 0x0");
    EXPECT_EQ(result.corrections[0].updates,
              (std::vector<std::pair<std::string, std::int64_t>>{{"over_current_timer", 0}}));
    EXPECT_TRUE(result.corrections[1].message.starts_with("Compound device field"));
    EXPECT_EQ(image.GetByte(7), 0x80);
    EXPECT_EQ(image.GetByte(6), 0x14);

    Set(values, qh1xx::kOverCurrentTimer, 4);
    EXPECT_EQ(Build(model, values, image).corrections[0].message,
              "Over-Current Timer:Invalid value 0x4, default to 0x0");
}

TEST(Qh1xxLayout, DecodeShowsBytesAsTheFormDoes)
{
    const Model& model = qh1xx::Qh107();
    CE2promData image;
    const Head head{0x34, 0x12, 0x05, 0x01, 0xCD, 0xAB, 0xFF, 0xFF,
                    0x81, 0x02, 0xFC, 0x01, 0xFA, 0x00, 0x10, 0x32};
    image.CopyIn(head.data(), static_cast<int>(head.size()));
    const Values values = model.decode(image).values;
    EXPECT_EQ(Shown(model, values, qh1xx::kVid), "1234");
    EXPECT_EQ(Shown(model, values, qh1xx::kPid), "0105");
    EXPECT_EQ(Shown(model, values, "did"), "ABCD");
    EXPECT_EQ(Shown(model, values, "self_max_power"), "1");
    EXPECT_EQ(Shown(model, values, "bus_max_power"), "fa");
    EXPECT_EQ(Shown(model, values, "self_hub_current"), "0");
    EXPECT_EQ(Shown(model, values, "bus_hub_current"), "10");
    EXPECT_EQ(Shown(model, values, qh1xx::kCurrentSensing), "OCS Not Supported");
    EXPECT_EQ(Shown(model, values, qh1xx::kOverCurrentTimer), "6ms");
    EXPECT_EQ(Shown(model, values, "port7_non_removable"), "Non-Removeable");
    EXPECT_EQ(Shown(model, values, "port6_non_removable"), "Removeable");
    EXPECT_EQ(Shown(model, values, "port1_disable_self"), "Disable");
    EXPECT_EQ(Shown(model, values, "port1_disable_bus"), "Enable");
    EXPECT_EQ(Shown(model, values, "port2_disable_bus"), "Disable");

    // Current Sensing 11 is written back as 10; the unowned bits of offset 7 as 0.
    CE2promData rebuilt;
    EXPECT_TRUE(model.encode(values, rebuilt).corrections.empty());
    EXPECT_EQ(rebuilt.GetByte(6), 0xFD);
    EXPECT_EQ(rebuilt.GetByte(7), 0xB8);
    EXPECT_EQ(rebuilt.GetByte(10), 0xFC);

    // The QH102 ignores what it has no field for and writes it 0.
    const Values small = qh1xx::Qh102().decode(image).values;
    EXPECT_EQ(Shown(qh1xx::Qh102(), small, qh1xx::kCurrentSensing), "OCS Not Supported");
    EXPECT_FALSE(small.has("port7_non_removable"));
    qh1xx::Qh102().encode(small, rebuilt);
    EXPECT_EQ(rebuilt.GetByte(6), 0xAC);
    EXPECT_EQ(rebuilt.GetByte(8), 0x00);
    EXPECT_EQ(rebuilt.GetByte(9), 0x02);
    EXPECT_EQ(rebuilt.GetByte(10), 0x04);
}

TEST(Qh1xxLayout, LoadChecksTheFamilyByteAndPicksTheForm)
{
    CE2promData image;
    image.SetByte(0x07, 2);
    image.SetByte(0x01, 3);
    const Model& current = qh1xx::Qh102();
    EXPECT_FALSE(current.foreignImageQuestion(image).has_value());
    for (const auto& [byte, model] : std::array<std::pair<std::uint8_t, const Model*>, 4>{
             {{2, &qh1xx::Qh102()}, {3, &qh1xx::Qh103()}, {4, &qh1xx::Qh104()},
              {7, &qh1xx::Qh107()}}}) {
        image.SetByte(byte, 2);
        const DisplayChoice choice = current.chooseDisplayModel(image, current);
        EXPECT_EQ(choice.model, model) << int(byte);
        EXPECT_TRUE(choice.question.empty());
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
    image.SetByte(0x04, 2);
    image.SetByte(0x00, 3);
    EXPECT_EQ(qh1xx::Qh107().foreignImageQuestion(image),
              "Dev PID 40 is not QH1xx. Click OK to go on, Cancel to abort");
}

TEST(Qh1xxLayout, RulesOnTheUsersChoice)
{
    const Model& qh107 = qh1xx::Qh107();
    Values values = DefaultValues(qh107);
    const auto fixed = qh1xx::RuleOnChoice(qh107, "port5_non_removable", 1, values);
    ASSERT_TRUE(fixed.has_value());
    EXPECT_EQ(fixed->message,
              "Non-Removable has been selected, Compound device field will set to Yes");
    EXPECT_EQ(fixed->updates,
              (std::vector<std::pair<std::string, std::int64_t>>{{"compound_device", 1}}));
    EXPECT_FALSE(qh1xx::RuleOnChoice(qh107, "port5_non_removable", 0, values));
    EXPECT_FALSE(qh1xx::RuleOnChoice(qh107, "port5_disable_bus", 1, values));
    EXPECT_FALSE(qh1xx::RuleOnChoice(qh107, qh1xx::kCompoundDevice, 0, values));
    Set(values, qh1xx::kCompoundDevice, 1);
    EXPECT_FALSE(qh1xx::RuleOnChoice(qh107, "port5_non_removable", 1, values));

    const std::array<std::tuple<const Model*, std::int64_t, std::int64_t>, 4> power{{
        {&qh107, 1, 0}, {&qh107, 0, 2}, {&qh1xx::Qh102(), 1, 0}, {&qh1xx::Qh102(), 0, 1}}};
    for (const auto& [model, mode, sensing] : power) {
        const auto rule = qh1xx::RuleOnChoice(*model, qh1xx::kSelfBusPower, mode, values);
        ASSERT_TRUE(rule.has_value());
        EXPECT_TRUE(rule->message.empty());
        EXPECT_EQ(rule->updates, (std::vector<std::pair<std::string, std::int64_t>>{
                                     {"current_sensing", sensing}}))
            << model->id << " mode " << mode;
    }
}

// Decoding any image and building it again keeps every bit the model has a field for,
// writes 0 where it has none, and leaves bytes past the sixteen alone.
TEST(Qh1xxLayout, RandomImagesSurviveDecodeAndBuild)
{
    for (int index = qh1xx::kFirstModelIndex; index <= qh1xx::kLastModelIndex; ++index) {
        const Model& model = *qh1xx::ModelOfIndex(index);
        const int ports = std::array{2, 3, 4, 7}[static_cast<std::size_t>(index - 1)];
        const std::uint8_t portBits = static_cast<std::uint8_t>(((1u << ports) - 1u) << 1);
        const std::uint8_t config1 = &model == &qh1xx::Qh102() ? 0xAC : 0xFF;
        std::mt19937 random(1234u + static_cast<unsigned>(index));
        std::uniform_int_distribution<int> byte(0, 255);
        for (int round = 0; round < 300; ++round) {
            CE2promData image;
            for (std::uint32_t offset = 0; offset < CE2promData::kSize; ++offset)
                image.SetByte(static_cast<std::uint8_t>(byte(random)), offset);
            const Values first = model.decode(image).values;

            CE2promData rebuilt;
            for (std::uint32_t offset = 0; offset < CE2promData::kSize; ++offset)
                rebuilt.SetByte(static_cast<std::uint8_t>(offset), offset);
            const EncodeResult result = model.encode(first, rebuilt);

            Head expected = HeadOf(image);
            expected[6] &= config1;
            if ((expected[6] & 0x06) == 0x06 && config1 == 0xFF)
                expected[6] &= static_cast<std::uint8_t>(~0x02); // 11 is written back as 10
            expected[7] &= 0xB8;
            const bool compound = (expected[7] & 0x08) != 0;
            expected[8] = compound ? expected[8] & portBits : 0;
            expected[9] &= portBits;
            expected[10] &= portBits;
            ASSERT_EQ(HeadOf(rebuilt), expected) << model.id << " round " << round;
            ASSERT_EQ(result.corrections.size(),
                      !compound && (image.GetByte(8) & portBits) != 0 ? 1u : 0u);
            for (std::uint32_t offset = 16; offset < CE2promData::kSize; ++offset)
                ASSERT_EQ(rebuilt.GetByte(offset), offset);

            if (result.corrections.empty()) {
                const Values second = model.decode(rebuilt).values;
                ASSERT_EQ(second.numbers, first.numbers) << model.id << " round " << round;
            }
        }
    }
}

} // namespace
