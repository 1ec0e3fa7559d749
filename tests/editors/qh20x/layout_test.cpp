#include "editors/qh20x/core/layout.h"
#include "image/e2prom_data.h"

#include <gtest/gtest.h>


using namespace layout;

namespace {

using Bytes = std::vector<std::uint8_t>;

const Model& ModelNamed(std::string_view id)
{
    for (const Model& model : qh20x::Models())
        if (model.id == id)
            return model;
    throw std::invalid_argument(std::string(id));
}

std::size_t At(const Model& model, std::string_view key) { return *FieldIndex(model, key); }

Bytes Built(const Model& model, const Values& values)
{
    CE2promData image;
    Create(model, values, image);
    return {image.bytes().begin(), image.bytes().end()};
}

CE2promData ImageOf(const Bytes& bytes)
{
    CE2promData image;
    image.CopyIn(bytes.data(), static_cast<int>(bytes.size()));
    return image;
}

// The form after a load: a fresh form with the decode shown over it.
Values Loaded(const Model& model, const CE2promData& image)
{
    Values values = DefaultValues(model);
    values.overlay(model.decode(model, image).values);
    return values;
}

// The defaults are what a load of the default image shows, text for text.
TEST(Qh20xLayout, TheDefaultImageLoadsAsTheDefaults)
{
    for (const Model& model : qh20x::Models()) {
        CE2promData image;
        Create(model, DefaultValues(model), image);
        EXPECT_EQ(Loaded(model, image), DefaultValues(model)) << model.id;
    }
}

TEST(Qh20xLayout, HexTextsByDigitPositionExceptOnTheQh202)
{
    for (const char* id : {"qh202", "qh203-48", "qh204-36", "qh207"}) {
        const Model& model = ModelNamed(id);
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
    const Model& model = ModelNamed("qh204-48");
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
    const Values shown = Loaded(model, ImageOf(loaded));
    EXPECT_EQ(shown.text(At(model, "did")), "8001");
    EXPECT_EQ(shown.text(At(model, "lang_id")), "040a");
    EXPECT_EQ(shown.text(At(model, "bus_max_power")), "05");
}

TEST(Qh20xLayout, StringsTheirLengthsAndTheirAreas)
{
    const Model& model = ModelNamed("qh207");
    Values values = DefaultValues(model);
    const std::size_t mfg = At(model, "mfg_string");
    values.setText(mfg, "abc");
    const std::optional<Correction> left = OnUserChange(model, mfg, values);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->message, "");
    values.overlay(left->changes);
    EXPECT_EQ(values.text(At(model, "mfg_length")), "03");
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
    const Values shown = Loaded(model, ImageOf(loaded));
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
    const Model& model = ModelNamed("qh204-48");
    const Values shown = Loaded(model, ImageOf(Bytes(CE2promData::kSize, 0xFF)));
    EXPECT_EQ(shown.index(At(model, "current_sensing")), 2) << "bits 11 read as OCS Not Supported";
    EXPECT_EQ(shown.index(At(model, "led_mode")), 0) << "bits 11 read as USB";
    EXPECT_EQ(shown.index(At(model, "port1_map")), 0) << "nibble 15: no such logical port";
    EXPECT_EQ(Built(model, shown), expected);

    const Model& qh202 = ModelNamed("qh202");
    const Bytes rebuilt = Built(qh202, Loaded(qh202, ImageOf(Bytes(CE2promData::kSize, 0xFF))));
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
        const Model& model = ModelNamed(id);
        Bytes bytes = Built(model, DefaultValues(model));
        bytes[0x08] |= 0x08;
        bytes[0xFB] = static_cast<std::uint8_t>((highest + 1) << 4 | highest);
        const Values on = Loaded(model, ImageOf(bytes));
        EXPECT_EQ(on.index(At(model, "port1_map")), highest) << id;
        EXPECT_EQ(on.index(At(model, "port2_map")), 0) << id;
        EXPECT_EQ(Built(model, on)[0xFB], highest) << id;

        bytes[0x08] &= 0xF7;
        const Values off = Loaded(model, ImageOf(bytes));
        EXPECT_EQ(off.index(At(model, "port1_map")), 0) << id;
        Values inconsistent = off;
        inconsistent.setIndex(At(model, "port2_map"), 1);
        CE2promData image;
        const EncodeResult result = Create(model, inconsistent, image);
        EXPECT_EQ(image.GetByte(0xFB), 0x00) << id;
        ASSERT_EQ(result.corrections.size(), 1u) << id;
        EXPECT_EQ(result.corrections[0].changes.index(At(model, "port2_map")), 0);
    }
    const Model& qh207 = ModelNamed("qh207");
    Bytes bytes = Built(qh207, DefaultValues(qh207));
    bytes[0x08] = 0x08;
    bytes[0xFE] = 0x17; // port 7 is read from the low nibble, written as the whole byte
    EXPECT_EQ(Built(qh207, Loaded(qh207, ImageOf(bytes)))[0xFE], 0x07);
}

TEST(Qh20xLayout, WhatTheUsersChangesEnableAndReset)
{
    const Model& model = ModelNamed("qh203-36");
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
    EXPECT_TRUE(Enabled(ModelNamed("qh204-48"), DefaultValues(ModelNamed("qh204-48")))
                    [At(ModelNamed("qh204-48"), "led_mode")]);

    values.setIndex(At(model, "port3_map"), 2);
    values.setIndex(At(model, "port_remap"), 0);
    const std::optional<Correction> standard = OnUserChange(model, At(model, "port_remap"), values);
    ASSERT_TRUE(standard);
    EXPECT_EQ(standard->changes.index(At(model, "port3_map")), 0);
    EXPECT_FALSE(OnUserChange(model, At(model, "compound_device"), values));
}

} // namespace
