// What each family's description and rules decide of its own: how its bytes read and are
// written back, the corrections and refusals of Create, and the rules of the user's
// changes. Every byte expected is written out by hand.

#include "editors/qh404/core/layout.h"
#include "editors/registry.h"
#include "image/e2prom_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

using namespace layout;

namespace {

using Bytes = std::vector<std::uint8_t>;

const Model& Named(std::string_view id) { return *editors::FindModel(id); }
std::size_t At(const Model& model, std::string_view key) { return *FieldIndex(model, key); }

CE2promData ImageOf(const Bytes& bytes)
{
    CE2promData image;
    image.CopyIn(bytes.data(), static_cast<int>(bytes.size()));
    return image;
}

Bytes Built(const Model& model, const Values& values)
{
    CE2promData image;
    Create(model, values, image);
    return {image.bytes().begin(), image.bytes().end()};
}

// The form after a load: a fresh form with the decode shown over it.
Values Loaded(const Model& model, const Bytes& bytes)
{
    Values values = DefaultValues(model);
    values.overlay(model.decode(model, ImageOf(bytes)).values);
    return values;
}

Values With(const Model& model, std::initializer_list<std::pair<std::string_view, std::int64_t>> picks)
{
    Values values = DefaultValues(model);
    for (const auto& [key, index] : picks)
        values.setIndex(At(model, key), index);
    return values;
}

// The fields a correction changes, by key.
std::vector<std::string_view> Changed(const Model& model, const Correction& correction)
{
    std::vector<std::string_view> keys;
    for (std::size_t at = 0; at < model.fields.size(); ++at)
        if (correction.changes.has(at))
            keys.push_back(model.fields[at].key);
    return keys;
}

// ---- QH404

namespace key = qh404::key;

TEST(Qh404Layout, TimerNibbleZeroReadsAsTheFirstTimer)
{
    const Model& model = Named("qh404");
    // What an image built from an invalid selection holds; bits 5-4 are dropped on writing.
    CE2promData image = ImageOf({0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x58, 0x00, 0xF0});
    const DecodeResult decoded = model.decode(model, image);
    EXPECT_TRUE(decoded.notes.empty());
    EXPECT_EQ(decoded.values.index(At(model, key::kOverCurrentTimer)), 0);
    Create(model, decoded.values, image);
    EXPECT_EQ(image.GetByte(8), 0xC5);
    image.SetByte(0x3F, 8);
    EXPECT_EQ(model.decode(model, image).values.index(At(model, key::kOverCurrentTimer)), 2);
    // The QH404's own product IDs are taken without a question; the question of another
    // writes each byte without its leading zero.
    for (std::uint8_t high : {0xA5, 0xA6, 0xA7})
        EXPECT_EQ(model.foreignImageQuestion(model, ImageOf({0x12, 0x34, high, 0x00})), std::nullopt);
    EXPECT_EQ(model.foreignImageQuestion(model, ImageOf({0xA7, 0x00, 0xA7, 0x01})),
              "Dev PID A71 is not QH404. Click OK to go on, Cancel to abort");
}

TEST(Qh404Layout, CorrectionsInTheOrderOfTheBytes)
{
    const Model& model = Named("qh404");
    CE2promData image;
    const EncodeResult result = Create(
        model, With(model, {{key::kCurrentSensing, 1}, {key::kNonRemovable[1], 1},
                            {key::kPortDisable[2], 1}, {key::kOverCurrentTimer, 3}}),
        image);
    ASSERT_EQ(result.corrections.size(), 3u);
    EXPECT_EQ(Changed(model, result.corrections[0]),
              (std::vector<std::string_view>{key::kCurrentSensing, key::kPortPower}));
    EXPECT_EQ(Changed(model, result.corrections[1]).size(), 4u) << "the four ports";
    EXPECT_EQ(Changed(model, result.corrections[2]), std::vector{key::kOverCurrentTimer});
    EXPECT_EQ(result.corrections[2].changes.index(At(model, key::kOverCurrentTimer)), 0);
    EXPECT_EQ(image.GetByte(6), 0x58);
    EXPECT_EQ(image.GetByte(7), 0x04) << "port disables are kept";
    EXPECT_EQ(image.GetByte(8), 0x00);

    // The other conflict, a list showing nothing, and settings that agree.
    const EncodeResult other = Create(
        model, With(model, {{key::kPortPower, 1}, {key::kOverCurrentTimer, kNoSelection}}), image);
    ASSERT_EQ(other.corrections.size(), 2u);
    EXPECT_EQ(other.corrections[0].message,
              "Conflict values of port power=0x1 and Current Sense=0x0, set to default=0");
    EXPECT_EQ(other.corrections[1].message,
              "Over-Current Timer:Invalid value 0xffffffff, default to 0x0");
    EXPECT_TRUE(Create(model, With(model, {{key::kPortPower, 1}, {key::kCurrentSensing, 1}}), image)
                    .corrections.empty());
    EXPECT_EQ(image.GetByte(6), 0x5E);
}

// ---- QH1xx

const std::array<const char*, 4> kQh1xx{"qh102", "qh103", "qh104", "qh107"};
constexpr std::array kQh1xxPorts{2, 3, 4, 7};

TEST(Qh1xxLayout, LoadChecksTheFamilyByteAndPicksTheFormByTheModelByte)
{
    CE2promData image;
    image.SetByte(0x01, 3);
    const Model& current = Named("qh102");
    for (int byte = 0; byte < 256; ++byte) {
        image.SetByte(static_cast<std::uint8_t>(byte), 2);
        EXPECT_FALSE(current.foreignImageQuestion(current, image).has_value());
        const DisplayChoice choice = current.chooseDisplayModel(current, image);
        const auto port = std::find(kQh1xxPorts.begin(), kQh1xxPorts.end(), byte);
        if (port != kQh1xxPorts.end()) {
            EXPECT_EQ(choice.model, &Named(kQh1xx[static_cast<std::size_t>(port - kQh1xxPorts.begin())]));
        } else {
            EXPECT_EQ(choice.model, nullptr) << byte;
            EXPECT_EQ(choice.ifYes, &Named("qh107")) << byte;
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
    const Model& model = Named("qh103");
    const Values values = With(model, {{"over_current_timer", 4}, {"eop_disable", kNoSelection}});
    CE2promData image;
    const EncodeResult result = Create(model, values, image);
    ASSERT_EQ(result.corrections.size(), 1u);
    EXPECT_EQ(result.corrections[0].message, "Over-Current Timer:Invalid value 0x4, default to 0x0");
    EXPECT_EQ(image.GetByte(6), 0x14);
    EXPECT_EQ(image.GetByte(7), 0x80);

    // Port n's bit is bit n.
    const Model& qh107 = Named("qh107");
    Create(qh107, With(qh107, {{"compound_device", 1}, {"port1_non_removable", 1}, {"port7_non_removable", 1}}),
           image);
    EXPECT_EQ(image.GetByte(7), 0x98);
    EXPECT_EQ(image.GetByte(8), 0x82);
}

// Decoding any image and building it again keeps every bit the model has a field for,
// writes 0 where it has none (Current Sensing 11 becomes 10), and leaves the bytes past
// the sixteen alone.
TEST(Qh1xxLayout, RandomImagesSurviveDecodeAndBuild)
{
    using Head = std::array<std::uint8_t, 16>;
    auto headOf = [](const CE2promData& image) {
        Head head{};
        std::copy_n(image.bytes().begin(), head.size(), head.begin());
        return head;
    };
    for (std::size_t i = 0; i < kQh1xx.size(); ++i) {
        const Model& model = Named(kQh1xx[i]);
        const auto portBits = static_cast<std::uint8_t>(((1u << kQh1xxPorts[i]) - 1u) << 1);
        const bool qh102 = i == 0;
        std::mt19937 random(1234u + static_cast<unsigned>(i));
        for (int round = 0; round < 300; ++round) {
            CE2promData image;
            CE2promData rebuilt;
            for (std::uint32_t offset = 0; offset < CE2promData::kSize; ++offset) {
                image.SetByte(static_cast<std::uint8_t>(random()), offset);
                rebuilt.SetByte(static_cast<std::uint8_t>(offset), offset);
            }
            const Values first = model.decode(model, image).values;
            const EncodeResult result = Create(model, first, rebuilt);

            Head expected = headOf(image);
            expected[6] &= qh102 ? 0xAC : 0xFF;
            if (!qh102 && (expected[6] & 0x06) == 0x06)
                expected[6] &= 0xFD;
            expected[7] &= 0xB8;
            const bool compound = (expected[7] & 0x08) != 0;
            const bool cleared = !compound && (expected[8] & portBits) != 0;
            expected[8] = compound ? expected[8] & portBits : 0;
            expected[9] &= portBits;
            expected[10] &= portBits;
            ASSERT_EQ(headOf(rebuilt), expected) << model.id << " round " << round;
            ASSERT_EQ(result.corrections.size(), cleared ? 1u : 0u);
            for (std::uint32_t offset = 16; offset < CE2promData::kSize; ++offset)
                ASSERT_EQ(rebuilt.GetByte(offset), offset);
            if (!cleared) {
                ASSERT_EQ(model.decode(model, rebuilt).values, first) << model.id;
            }
        }
    }
}

// ---- QH304

// The values a form holds once each text given was typed into its box and the box left.
Values Typed(std::initializer_list<std::pair<std::string_view, std::string_view>> texts)
{
    const Model& model = Named("qh304");
    Values values = DefaultValues(model);
    for (const auto& [key, text] : texts)
        values.setText(At(model, key), AsLeft(model, model.fields[At(model, key)], text));
    return values;
}

TEST(Qh304Layout, TextsAsTheBoxesLeaveThemAndTheirBytes)
{
    const Model& model = Named("qh304");
    const Values values = Typed({{"did", "ab"}, {"lang_id", "0409"}, {"mfg_string", "Abc"}, {"mfg_length", "3"}});
    EXPECT_EQ(values.text(At(model, "did")), "00AB");
    EXPECT_EQ(values.text(At(model, "mfg_length")), "03");
    ASSERT_EQ(RefuseCreate(model, values), std::nullopt);
    const Bytes image = Built(model, values);
    EXPECT_EQ(Bytes(image.begin() + 4, image.begin() + 6), (Bytes{0xAB, 0x00}));
    EXPECT_EQ(Bytes(image.begin() + 17, image.begin() + 20), (Bytes{0x04, 0x09, 3}));
    EXPECT_EQ(Bytes(image.begin() + 22, image.begin() + 28), (Bytes{0x41, 0x00, 0x62, 0x00, 0x63, 0x00}));
    EXPECT_EQ(Bytes(image.begin() + 28, image.begin() + 84), Bytes(56, 0x00));
}

// The refusals the profile tests and the sheet tests do not meet: their order, emptied
// lengths, and texts no box holds once left.
TEST(Qh304Layout, ChecksRefuseACreateInTheirOrder)
{
    const Model& model = Named("qh304");
    auto refused = [&](const Values& values) {
        const std::optional<Refusal> found = RefuseCreate(model, values);
        return found ? std::string(model.fields[found->field].key) : std::string();
    };
    EXPECT_EQ(refused(Typed({{"serial_length", ""}})), "")
        << "an emptied length is \"0\" once left, and passes";
    EXPECT_EQ(refused(Typed({{"serial_length", ""}, {"serial_string", "x"}})), "serial_string");
    const Values vidFirst = Typed({{"vid", "12G4"}, {"mfg_length", "99"}});
    EXPECT_EQ(RefuseCreate(model, vidFirst)->message,
              "Enter a valid value for the field 'VID' (4 digit HEX number)");
    Values untyped = DefaultValues(model);
    untyped.setText(At(model, "port_delay"), "2f"); // what a box never holds once left
    EXPECT_EQ(refused(untyped), "port_delay");
    untyped.setText(At(model, "port_delay"), "");
    EXPECT_EQ(refused(untyped), "port_delay");
}

TEST(Qh304Layout, ReadRulesOfALoadedImage)
{
    const Model& model = Named("qh304");
    Bytes image = Built(model, DefaultValues(model));
    image[0x06] = 0x86; // self power, current sensing 11
    image[0x08] = 0x06; // LED mode 11
    image[0x09] = 0xFF;
    image[0x0D] = 0x05;
    image[0xD1] = 0x3F;
    image[0xF1] = 0x30;
    image[0xF5] = 0xFF;
    const Values shown = Loaded(model, image);
    const std::pair<const char*, std::int64_t> kShown[] = {
        {"current_sensing", 2}, {"self_bus_power", 1}, // shown together, no rule runs
        {"led_mode", 0},        {"int0_port1", 1},     {"int0_port2", 1},
        {"port1_assign", 0},    {"port2_assign", 1},   {"port4_lockout", 1}};
    for (const auto& [field, index] : kShown)
        EXPECT_EQ(shown.index(At(model, field)), index) << field;
    EXPECT_EQ(shown.text(At(model, "bus_max_power")), "5");
    EXPECT_EQ(shown.text(At(model, "mfg_length")), "0");
    ASSERT_EQ(RefuseCreate(model, shown), std::nullopt);
    const Bytes rebuilt = Built(model, shown);
    const std::pair<int, std::uint8_t> kRebuilt[] = {
        {0x06, 0x84}, {0x08, 0x00}, {0x09, 0x1E}, {0x0D, 0x05}, {0xD1, 0x11}, {0xF1, 0x10}, {0xF5, 0x1E}};
    for (const auto& [offset, byte] : kRebuilt)
        EXPECT_EQ(rebuilt[offset], byte) << offset;
}

TEST(Qh304Layout, StringsReadTheLowByteOfEachUnitAsFarAsTheLengthSays)
{
    const Model& model = Named("qh304");
    Bytes image = Built(model, DefaultValues(model));
    image[19] = 40; // reads on into the product area
    for (int i = 0; i < 40; ++i) {
        image[22 + 2 * i] = static_cast<std::uint8_t>('a' + i % 26);
        image[23 + 2 * i] = 0x7F; // ignored
    }
    image[21] = 255; // runs past the end of the image, which reads erased
    std::fill(image.begin() + 146, image.end(), 'S');
    const Values shown = Loaded(model, image);
    EXPECT_EQ(shown.text(At(model, "mfg_string")).size(), 40u);
    EXPECT_EQ(shown.text(At(model, "mfg_string")).substr(26, 3), "abc");
    const std::string serial = shown.text(At(model, "serial_string"));
    EXPECT_EQ(serial.size(), 255u);
    EXPECT_EQ(serial[54], 'S');
    EXPECT_EQ(serial[55], '\xFF');
    EXPECT_EQ(RefuseCreate(model, shown)->message,
              "Enter a valid value for the field 'Mfg Len' (decimal number in range 0 through 31)");
}

TEST(Qh304Layout, RulesOfTheUsersChanges)
{
    const Model& model = Named("qh304");
    auto change = [&](std::string_view key, std::int64_t index, Values values) {
        values.setIndex(At(model, key), index);
        return OnUserChange(model, At(model, key), values);
    };
    EXPECT_FALSE(change("port1_non_removable", 1, With(model, {{"compound_device", 1}})));
    const std::optional<Correction> removable =
        change("compound_device", 0, With(model, {{"compound_device", 1}, {"port2_non_removable", 1}}));
    ASSERT_TRUE(removable);
    EXPECT_EQ(removable->message, "Compound Device field being changed to 'No'. This will force "
                                  "all the ports to be configured as 'Removable'.");
    EXPECT_EQ(removable->changes.index(At(model, "port2_non_removable")), 0);
    EXPECT_FALSE(change("compound_device", 0, DefaultValues(model)));

    EXPECT_EQ(change("self_bus_power", 1, With(model, {{"self_bus_power", 0}, {"current_sensing", 2}}))
                  ->changes.index(At(model, "current_sensing")),
              1);
    EXPECT_EQ(change("current_sensing", 2, DefaultValues(model))->message,
              "'OCS Not Supported' being selected. This will set the device to be configured as "
              "'Bus-Powered'.");
    EXPECT_FALSE(change("self_bus_power", 1, DefaultValues(model))) << "nothing to do without OCS";

    const std::optional<Correction> chain = change("port2_disable_bus", 1, DefaultValues(model));
    ASSERT_TRUE(chain);
    EXPECT_EQ(chain->message, "");
    EXPECT_EQ(Changed(model, *chain), (std::vector<std::string_view>{"port3_disable_bus", "port4_disable_bus"}));
    const std::optional<Correction> back = change(
        "port3_disable_self", 0,
        With(model, {{"port1_disable_self", 1}, {"port2_disable_self", 1}, {"port3_disable_self", 1}}));
    EXPECT_EQ(Changed(model, *back), (std::vector<std::string_view>{"port1_disable_self", "port2_disable_self"}));

    // Only the user's string choice moves the string fields.
    Values values = With(model, {{"string_enable", 1}});
    const std::vector<bool> disabled(model.fields.size(), false);
    EXPECT_FALSE(Enabled(model, values, At(model, "compound_device"), disabled)[At(model, "lang_id")]);
    EXPECT_TRUE(Enabled(model, values, At(model, "string_enable"), disabled)[At(model, "lang_id")]);
}

// ---- QH20x

// The defaults are what a load of the default image shows, text for text.
TEST(Qh20xLayout, TheDefaultImageLoadsAsTheDefaults)
{
    for (const char* id : {"qh203-36", "qh203-48", "qh204-36", "qh204-48", "qh202", "qh207"}) {
        const Model& model = Named(id);
        EXPECT_EQ(Loaded(model, Built(model, DefaultValues(model))), DefaultValues(model)) << id;
    }
}

TEST(Qh20xLayout, HexTextsByDigitPositionExceptOnTheQh202)
{
    for (const char* id : {"qh202", "qh203-48", "qh204-36", "qh207"}) {
        const Model& model = Named(id);
        Values values = DefaultValues(model);
        values.setText(At(model, "power_on_time"), "5");
        values.setText(At(model, "self_max_power"), "G1");
        values.setText(At(model, "pid"), "0203");
        values.setText(At(model, "vid"), "12");
        const Bytes image = Built(model, values);
        const bool scanned = std::string_view(id) == "qh202";
        EXPECT_EQ(image[0x10], scanned ? 0x05 : 0x50) << id;
        EXPECT_EQ(image[0x0C], scanned ? 0x00 : 0x01) << id;
        EXPECT_EQ(image[0x02], 0x03) << id;
        EXPECT_EQ(image[0x03], 0x02) << id;
        EXPECT_EQ(image[0x00] | image[0x01] << 8, scanned ? 0x0012 : 0x1200) << id;
    }
    const Model& model = Named("qh204-48");
    Values values = DefaultValues(model);
    values.setText(At(model, "lang_id"), "1234");
    const Bytes image = Built(model, values);
    EXPECT_EQ(image[0x11], 0x12);
    EXPECT_EQ(image[0x12], 0x34);

    Bytes loaded(CE2promData::kSize, 0x00);
    loaded[0x04] = 0x01;
    loaded[0x05] = 0x80;
    loaded[0x11] = 0x04;
    loaded[0x12] = 0x0A;
    loaded[0x0D] = 0x05;
    const Values shown = Loaded(model, loaded);
    EXPECT_EQ(shown.text(At(model, "did")), "8001");
    EXPECT_EQ(shown.text(At(model, "lang_id")), "040a");
    EXPECT_EQ(shown.text(At(model, "bus_max_power")), "05");
}

TEST(Qh20xLayout, StringsTheirLengthsAndTheirAreas)
{
    const Model& model = Named("qh207");
    Values values = DefaultValues(model);
    const std::size_t mfg = At(model, "mfg_string");
    values.setText(mfg, "abc"); // its length follows as it is typed: editor_usability_ui_test.cpp
    values.setText(At(model, "mfg_length"), "03");
    values.setText(At(model, "product_string"), std::string(31, 'P'));
    values.setText(At(model, "product_length"), "31");
    values.setText(At(model, "lang_id"), "0409");
    const Bytes image = Built(model, values); // strings disabled, yet written
    EXPECT_EQ(image[0x13], 3);
    EXPECT_EQ(Bytes(image.begin() + 0x16, image.begin() + 0x1C),
              (Bytes{0x61, 0x00, 0x62, 0x00, 0x63, 0x00}));
    EXPECT_EQ(image[0x1C], 0x00);
    EXPECT_EQ(image[0x90], 'P');
    EXPECT_EQ(image[0x92], 0x00) << "a full product string ends before the serial area";
    EXPECT_EQ(image[0x11], 0x04);

    // Read back: no further than the length byte says, nor past a zero unit.
    Bytes loaded = image;
    loaded[0x13] = 5;
    loaded[0x1A] = 0x00; // third unit zero
    loaded[0x14] = 32; // a length past its area reads on into the serial area
    loaded[0x92] = 'S';
    loaded[0x15] = 2;
    loaded[0x94] = 'T';
    loaded[0x95] = 0x01; // a unit above 0xFF: no single-byte character for it
    const Values shown = Loaded(model, loaded);
    EXPECT_EQ(shown.text(mfg), "ab");
    EXPECT_EQ(shown.text(At(model, "mfg_length")), "05");
    EXPECT_EQ(shown.text(At(model, "product_string")), std::string(31, 'P') + "S");
    EXPECT_EQ(shown.text(At(model, "serial_string")), "");
    EXPECT_EQ(Built(model, shown)[0x15], 2) << "the length byte is kept as loaded";
}

TEST(Qh20xLayout, AnErasedFileIsRebuiltWithZerosWhereNoFieldIs)
{
    Bytes expected(CE2promData::kSize, 0x00);
    std::fill(expected.begin(), expected.begin() + 6, 0xFF);
    const Bytes head{0xBD, 0xB8, 0x09, 0x1E, 0x1E, 0x1E, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                     0xFF, 0xFF, 25, 25, 25}; // "255" shown, its first two digits read back
    std::copy(head.begin(), head.end(), expected.begin() + 6);
    expected[0xF6] = 0x03;
    expected[0xF8] = 0xFF;
    expected[0xFA] = 0x1F;
    const Model& model = Named("qh204-48");
    const Values shown = Loaded(model, Bytes(CE2promData::kSize, 0xFF));
    EXPECT_EQ(shown.index(At(model, "current_sensing")), 2) << "bits 11 read as OCS Not Supported";
    EXPECT_EQ(shown.index(At(model, "led_mode")), 0) << "bits 11 read as USB";
    EXPECT_EQ(shown.index(At(model, "port1_map")), 0) << "nibble 15: no such logical port";
    EXPECT_EQ(Built(model, shown), expected);

    const Model& qh202 = Named("qh202");
    const Bytes rebuilt = Built(qh202, Loaded(qh202, Bytes(CE2promData::kSize, 0xFF)));
    EXPECT_EQ(rebuilt[0x06], 0xAD) << "no Multiple-TT bit";
    EXPECT_EQ(rebuilt[0x08], 0x08) << "re-mapping only";
    EXPECT_EQ(rebuilt[0x09], 0x06);
    EXPECT_EQ(rebuilt[0xF8], 0x0F);
    EXPECT_EQ(rebuilt[0xFA], 0x07);
    EXPECT_EQ(Bytes(rebuilt.begin() + 0x11, rebuilt.begin() + 0xF6), Bytes(0xF6 - 0x11, 0x00));
}

// Each model reads map values up to its highest logical port; with re-mapping off the
// bytes count for nothing, and what a profile would still give is written as 0.
TEST(Qh20xLayout, PortMapsFollowReMapping)
{
    const std::pair<const char*, int> kHighest[] = {
        {"qh202", 2}, {"qh203-36", 3}, {"qh204-48", 4}, {"qh207", 7}};
    for (const auto& [id, highest] : kHighest) {
        const Model& model = Named(id);
        Bytes bytes = Built(model, DefaultValues(model));
        bytes[0x08] |= 0x08;
        bytes[0xFB] = static_cast<std::uint8_t>((highest + 1) << 4 | highest);
        const Values on = Loaded(model, bytes);
        EXPECT_EQ(on.index(At(model, "port1_map")), highest) << id;
        EXPECT_EQ(on.index(At(model, "port2_map")), 0) << id;
        EXPECT_EQ(Built(model, on)[0xFB], highest) << id;

        bytes[0x08] &= 0xF7;
        const Values off = Loaded(model, bytes);
        EXPECT_EQ(off.index(At(model, "port1_map")), 0) << id;
        Values inconsistent = off;
        inconsistent.setIndex(At(model, "port2_map"), 1);
        CE2promData image;
        const EncodeResult result = Create(model, inconsistent, image);
        EXPECT_EQ(image.GetByte(0xFB), 0x00) << id;
        ASSERT_EQ(result.corrections.size(), 1u) << id;
        EXPECT_EQ(result.corrections[0].changes.index(At(model, "port2_map")), 0);
    }
    const Model& qh207 = Named("qh207");
    Bytes bytes = Built(qh207, DefaultValues(qh207));
    bytes[0x08] = 0x08;
    bytes[0xFE] = 0x17; // port 7 is read from the low nibble, written as the whole byte
    EXPECT_EQ(Built(qh207, Loaded(qh207, bytes))[0xFE], 0x07);
}

TEST(Qh20xLayout, WhatTheUsersChangesEnableAndReset)
{
    const Model& model = Named("qh203-36");
    Values values = DefaultValues(model);
    auto enabled = [&](std::string_view key) -> bool {
        return Enabled(model, values)[At(model, key)];
    };
    EXPECT_FALSE(enabled("port1_non_removable"));
    EXPECT_TRUE(enabled("port1_disable_self"));
    EXPECT_FALSE(enabled("port1_map"));
    EXPECT_FALSE(enabled("mfg_string"));
    EXPECT_FALSE(enabled("lang_id"));
    EXPECT_TRUE(enabled("mfg_length"));
    EXPECT_FALSE(enabled("led_mode")) << "36-pin";

    values.setIndex(At(model, "compound_device"), 1);
    values.setIndex(At(model, "port_remap"), 1);
    values.setIndex(At(model, "string_enable"), 1);
    EXPECT_TRUE(enabled("port3_non_removable"));
    EXPECT_FALSE(enabled("port4_non_removable")) << "the QH203's fourth port";
    EXPECT_FALSE(enabled("port2_disable_bus"));
    EXPECT_TRUE(enabled("port3_map"));
    EXPECT_FALSE(enabled("port4_map"));
    EXPECT_FALSE(enabled("port4_boost"));
    EXPECT_TRUE(enabled("port4_swap"));
    EXPECT_TRUE(enabled("serial_string"));
    EXPECT_TRUE(Enabled(Named("qh204-48"), DefaultValues(Named("qh204-48")))
                    [At(Named("qh204-48"), "led_mode")]);

    values.setIndex(At(model, "port3_map"), 2);
    values.setIndex(At(model, "port_remap"), 0);
    const std::optional<Correction> standard = OnUserChange(model, At(model, "port_remap"), values);
    ASSERT_TRUE(standard);
    EXPECT_EQ(standard->changes.index(At(model, "port3_map")), 0);
    EXPECT_FALSE(OnUserChange(model, At(model, "compound_device"), values));
}

} // namespace
