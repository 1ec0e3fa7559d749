#include "editors/qh304/core/layout.h"
#include "image/e2prom_data.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace layout;

namespace {

using Bytes = std::vector<std::uint8_t>;
const Model& kModel = qh304::kModel;

std::size_t At(std::string_view key) { return *FieldIndex(kModel, key); }

Bytes Built(const Values& values)
{
    CE2promData image;
    Create(kModel, values, image);
    return {image.bytes().begin(), image.bytes().end()};
}

Values Loaded(const Bytes& bytes)
{
    CE2promData image;
    image.CopyIn(bytes.data(), static_cast<int>(bytes.size()));
    Values values = DefaultValues(kModel);
    values.overlay(kModel.decode(kModel, image).values);
    return values;
}

// The values a form holds once each text given was typed into its box and the box left.
Values Typed(std::initializer_list<std::pair<std::string_view, std::string_view>> texts)
{
    Values values = DefaultValues(kModel);
    for (const auto& [key, text] : texts)
        values.setText(At(key), AsLeft(kModel, kModel.fields[At(key)], text));
    return values;
}

TEST(Qh304Layout, TextsAsTheBoxesLeaveThem)
{
    const Values values = Typed({{"vid", "12345"}, {"pid", "7"}, {"did", "ab"},
                                 {"power_on_time", ""}, {"lang_id", "0409"},
                                 {"mfg_string", "Abc"}, {"mfg_length", "3"}});
    EXPECT_EQ(values.text(At("vid")), "1234");
    EXPECT_EQ(values.text(At("pid")), "0007");
    EXPECT_EQ(values.text(At("did")), "00AB");
    EXPECT_EQ(values.text(At("power_on_time")), "0");
    EXPECT_EQ(values.text(At("mfg_length")), "03");
    ASSERT_EQ(RefuseCreate(kModel, values), std::nullopt);
    const Bytes image = Built(values);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 6), (Bytes{0x34, 0x12, 0x07, 0x00, 0xAB, 0x00}));
    EXPECT_EQ(image[0x10], 0x00);
    EXPECT_EQ(image[17], 0x04);
    EXPECT_EQ(image[18], 0x09);
    EXPECT_EQ(image[19], 3);
    EXPECT_EQ(Bytes(image.begin() + 22, image.begin() + 28),
              (Bytes{0x41, 0x00, 0x62, 0x00, 0x63, 0x00}));
    EXPECT_EQ(Bytes(image.begin() + 28, image.begin() + 84), Bytes(56, 0x00));
}

TEST(Qh304Layout, ChecksRefuseACreateInTheirOrder)
{
    auto refusal = [](const Values& values) {
        const std::optional<Refusal> found = RefuseCreate(kModel, values);
        return found ? std::pair{found->message, std::string(kModel.fields[found->field].key)}
                     : std::pair{std::string(), std::string()};
    };
    using Expected = std::pair<std::string, std::string>;
    EXPECT_EQ(refusal(Typed({{"mfg_length", "32"}})),
              (Expected{"Enter a valid value for the field 'Mfg Len' (decimal number in range 0 "
                        "through 31)",
                        "mfg_length"}));
    EXPECT_EQ(refusal(Typed({{"mfg_length", "05"}, {"mfg_string", "abc"}})),
              (Expected{"The Mfg string length (3) does not match the value in field 'Mfg Len' "
                        "(5). Enter the correct string and its length",
                        "mfg_string"}));
    EXPECT_EQ(refusal(Typed({{"product_length", "02"}})).second, "product_string");
    EXPECT_EQ(refusal(Typed({{"serial_length", ""}})).second, "")
        << "an emptied length is \"0\" once left, and passes";
    EXPECT_EQ(refusal(Typed({{"serial_length", ""}, {"serial_string", "x"}})).second,
              "serial_string");
    EXPECT_EQ(refusal(Typed({{"vid", "12G4"}, {"mfg_length", "99"}})),
              (Expected{"Enter a valid value for the field 'VID' (4 digit HEX number)", "vid"}));
    Values untyped = DefaultValues(kModel);
    untyped.setText(At("port_delay"), "2f"); // what a box never holds once left
    EXPECT_EQ(refusal(untyped).second, "port_delay");
    untyped.setText(At("port_delay"), "");
    EXPECT_EQ(refusal(untyped).second, "port_delay");
}

TEST(Qh304Layout, ReadRulesOfALoadedImage)
{
    Bytes image = Built(DefaultValues(kModel));
    image[0x06] = 0x86; // self power, current sensing 11
    image[0x08] = 0x06; // LED mode 11
    image[0x09] = 0xFF;
    image[0x0D] = 0x05;
    image[0xD1] = 0x3F;
    image[0xF1] = 0x30;
    image[0xF5] = 0xFF;
    const Values shown = Loaded(image);
    EXPECT_EQ(shown.index(At("current_sensing")), 2);
    EXPECT_EQ(shown.index(At("self_bus_power")), 1) << "shown together, no rule runs";
    EXPECT_EQ(shown.index(At("led_mode")), 0);
    EXPECT_EQ(shown.text(At("bus_max_power")), "5");
    EXPECT_EQ(shown.text(At("mfg_length")), "0");
    EXPECT_EQ(shown.index(At("int0_port1")), 1);
    EXPECT_EQ(shown.index(At("int0_port2")), 1);
    EXPECT_EQ(shown.index(At("port1_assign")), 0);
    EXPECT_EQ(shown.index(At("port2_assign")), 1);
    EXPECT_EQ(shown.index(At("port4_lockout")), 1);
    ASSERT_EQ(RefuseCreate(kModel, shown), std::nullopt);
    const Bytes rebuilt = Built(shown);
    EXPECT_EQ(rebuilt[0x06], 0x84);
    EXPECT_EQ(rebuilt[0x08], 0x00);
    EXPECT_EQ(rebuilt[0x09], 0x1E);
    EXPECT_EQ(rebuilt[0x0D], 0x05);
    EXPECT_EQ(rebuilt[0xD1], 0x11);
    EXPECT_EQ(rebuilt[0xF1], 0x10);
    EXPECT_EQ(rebuilt[0xF5], 0x1E);
}

TEST(Qh304Layout, StringsReadTheLowByteOfEachUnitAsFarAsTheLengthSays)
{
    Bytes image = Built(DefaultValues(kModel));
    image[19] = 40; // reads on into the product area
    for (int i = 0; i < 40; ++i) {
        image[22 + 2 * i] = static_cast<std::uint8_t>('a' + i % 26);
        image[23 + 2 * i] = 0x7F; // ignored
    }
    image[21] = 255; // runs past the end of the image, which reads erased
    std::fill(image.begin() + 146, image.end(), 'S');
    const Values shown = Loaded(image);
    EXPECT_EQ(shown.text(At("mfg_string")).size(), 40u);
    EXPECT_EQ(shown.text(At("mfg_string")).substr(26, 3), "abc");
    const std::string serial = shown.text(At("serial_string"));
    EXPECT_EQ(serial.size(), 255u);
    EXPECT_EQ(serial[54], 'S');
    EXPECT_EQ(serial[55], '\xFF');
    EXPECT_EQ(RefuseCreate(kModel, shown)->message,
              "Enter a valid value for the field 'Mfg Len' (decimal number in range 0 through 31)");
}

TEST(Qh304Layout, RulesOfTheUsersChanges)
{
    auto change = [](std::string_view key, std::int64_t index, Values values) {
        values.setIndex(At(key), index);
        return OnUserChange(kModel, At(key), values);
    };
    Values values = DefaultValues(kModel);
    const std::optional<Correction> compound = change("port3_non_removable", 1, values);
    ASSERT_TRUE(compound);
    EXPECT_EQ(compound->message, "Non-Removable has been selected, Compound Device field of "
                                 "Config Data Byte 2 will be set to Yes");
    EXPECT_EQ(compound->changes.index(At("compound_device")), 1);
    values.setIndex(At("compound_device"), 1);
    EXPECT_FALSE(change("port1_non_removable", 1, values));
    values.setIndex(At("port2_non_removable"), 1);
    const std::optional<Correction> removable = change("compound_device", 0, values);
    ASSERT_TRUE(removable);
    EXPECT_EQ(removable->message, "Compound Device field being changed to 'No'. This will force "
                                  "all the ports to be configured as 'Removable'.");
    EXPECT_EQ(removable->changes.index(At("port2_non_removable")), 0);
    EXPECT_FALSE(change("compound_device", 0, DefaultValues(kModel)));

    Values ocs = DefaultValues(kModel);
    ocs.setIndex(At("self_bus_power"), 0);
    ocs.setIndex(At("current_sensing"), 2);
    EXPECT_EQ(change("self_bus_power", 1, ocs)->changes.index(At("current_sensing")), 1);
    EXPECT_EQ(change("current_sensing", 2, DefaultValues(kModel))->message,
              "'OCS Not Supported' being selected. This will set the device to be configured as "
              "'Bus-Powered'.");
    EXPECT_FALSE(change("self_bus_power", 1, DefaultValues(kModel))) << "nothing to do without OCS";

    const std::optional<Correction> chain = change("port2_disable_bus", 1, DefaultValues(kModel));
    ASSERT_TRUE(chain);
    EXPECT_EQ(chain->message, "");
    for (const char* key : {"port3_disable_bus", "port4_disable_bus"})
        EXPECT_EQ(chain->changes.index(At(key)), 1) << key;
    EXPECT_FALSE(chain->changes.has(At("port1_disable_bus")));
    EXPECT_FALSE(chain->changes.has(At("port3_disable_self")));
    Values disabled = DefaultValues(kModel);
    for (const char* key : {"port1_disable_self", "port2_disable_self", "port3_disable_self"})
        disabled.setIndex(At(key), 1);
    const std::optional<Correction> back = change("port3_disable_self", 0, disabled);
    EXPECT_EQ(back->changes.index(At("port1_disable_self")), 0);
    EXPECT_FALSE(back->changes.has(At("port4_disable_self")));
}

TEST(Qh304Layout, OnlyTheUsersStringChoiceMovesTheStringFields)
{
    Values values = DefaultValues(kModel);
    EXPECT_FALSE(Enabled(kModel, values)[At("mfg_string")]) << "they start disabled";
    values.setIndex(At("string_enable"), 1);
    const std::vector<bool> disabled(kModel.fields.size(), false);
    EXPECT_FALSE(Enabled(kModel, values, At("compound_device"), disabled)[At("lang_id")]);
    EXPECT_TRUE(Enabled(kModel, values, At("string_enable"), disabled)[At("lang_id")]);
    EXPECT_FALSE(kModel.greyingFollowsLoads);
}

} // namespace
