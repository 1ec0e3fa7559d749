#pragma once

// A small family of made-up models for the command-line tests, written the way a real
// family is: a field table, an encode with a correcting rule, a decode with a note, a
// model check and a display choice. "tma" and "tmb" are one family (one editor, chosen by
// byte 2); "tmx" loads exactly 256 bytes and asks nothing.

#include "image/e2prom_data.h"
#include "layout/model.h"

#include <array>
#include <string_view>

namespace test_models {

using layout::Field;
using layout::Kind;

inline constexpr std::array<std::string_view, 2> kPower{"Bus-Power", "Self-Power"};
inline constexpr std::array<std::string_view, 3> kTimer{"2ms", "4ms", "6ms"};
inline constexpr std::array<std::uint8_t, 3> kTimerCodes{0x5, 0xA, 0xF};
inline constexpr std::array<std::string_view, 2> kNoYes{"No", "Yes"};
inline constexpr std::array<std::string_view, 2> kRemovable{"Removeable", "Non-Removeable"};
inline constexpr std::array<std::string_view, 3> kSensing{"Gang", "Individual", "OCS Not Supported"};

inline constexpr std::array<Field, 10> kFields{{
    {.key = "vid", .label = "VID (Hex)", .kind = Kind::Hex, .defaultText = "7A7A",
     .place = {0, 0, 16, false}, .style = layout::HexStyle::Word},
    {.key = "pid", .label = "PID (Hex)", .kind = Kind::Hex, .defaultText = "0102",
     .place = {2, 0, 16, false}, .style = layout::HexStyle::Word},
    {.key = "power", .label = "Self-/Bus-Power", .group = "Config", .items = kPower,
     .defaultText = "Bus-Power", .place = {6, 7, 1}},
    {.key = "port1", .label = "Port 1 Non-Removable", .group = "Config", .items = kRemovable,
     .defaultText = "Removeable", .place = {6, 5, 1}},
    {.key = "compound", .label = "Compound Device", .group = "Config", .items = kNoYes,
     .defaultText = "No", .place = {6, 4, 1}},
    {.key = "timer", .label = "Over-Current Timer", .group = "Config", .items = kTimer,
     .defaultText = "2ms", .place = {6, 0, 4}, .codes = kTimerCodes},
    {.key = "sensing", .label = "Current Sensing", .group = "Config", .items = kSensing,
     .defaultText = "OCS Not Supported", .place = {7, 6, 2}},
    {.key = "bus_max_power", .label = "Max Power (Hex)", .group = "Bus Power", .kind = Kind::Hex,
     .defaultText = "64", .place = {8, 0, 8}},
    {.key = "self_max_power", .label = "Max Power (Hex)", .group = "Self Power",
     .kind = Kind::Hex, .defaultText = "01", .place = {9, 0, 8}},
    {.key = "name", .label = "Name", .kind = Kind::Text, .defaultText = "hub",
     .place = {10, 0, 8}},
}};

// Bytes 7 bits 5-0 are spare; the name takes bytes 10 to 15.
inline constexpr std::array<layout::UnusedBytes, 1> kUnused{{{16, 255, "not used by the test family"}}};
inline constexpr std::size_t kNameBytes = 6;

inline layout::EncodeResult Encode(const layout::Values& values, CE2promData& image)
{
    layout::EncodeResult result;
    layout::Values used = values;
    if (used.number("compound") == 0 && used.number("port1") == 1) {
        result.corrections.push_back(
            {"Compound device field is set to 'No', all of the ports will set to Removable",
             {{"port1", 0}}});
        used.numbers["port1"] = 0;
    }
    const std::int64_t timer = used.number("timer", layout::kNoSelection);
    if (timer < 0 || timer > 2) {
        result.corrections.push_back(
            {layout::Format("Over-Current Timer:Invalid value 0x%x, default to 0x0",
                            static_cast<unsigned>(timer)),
             {{"timer", 0}}});
    }
    for (const Field& field : kFields) {
        if (field.kind == Kind::Text)
            continue;
        layout::EncodePlainField(field, used, image);
    }
    if (timer < 0 || timer > 2)
        layout::PutBits(image, {6, 0, 4}, 0x0);
    const auto found = values.texts.find("name");
    const std::string name = found == values.texts.end() ? std::string() : found->second;
    for (std::size_t i = 0; i < kNameBytes; ++i)
        image.SetByte(i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0,
                      static_cast<std::uint32_t>(10 + i));
    return result;
}

inline layout::DecodeResult Decode(const CE2promData& image)
{
    layout::DecodeResult result;
    for (const Field& field : kFields)
        if (field.kind != Kind::Text)
            layout::DecodePlainField(field, image, result.values);
    if (!result.values.has("timer"))
        result.notes.push_back({layout::Format("Over-Current Timer:Invalid value 0x%x",
                                               image.GetByte(6) & 0xFu),
                                "timer"});
    std::string name;
    for (std::size_t i = 0; i < kNameBytes && image.GetByte(static_cast<std::uint32_t>(10 + i)) != 0; ++i)
        name += static_cast<char>(image.GetByte(static_cast<std::uint32_t>(10 + i)));
    result.values.texts["name"] = name;
    return result;
}

inline std::optional<std::string> Foreign(const CE2promData& loaded)
{
    if (loaded.GetByte(3) == 0x01)
        return std::nullopt;
    return layout::Format("Dev PID %X%X is not TM. Click OK to go on, Cancel to abort",
                          loaded.GetByte(2), loaded.GetByte(3));
}

layout::DisplayChoice Choose(const CE2promData& loaded, const layout::Model& current);

inline const std::array<Field, 10> kFieldsB = [] {
    std::array<Field, 10> fields = kFields;
    fields[1].defaultText = "0103";
    return fields;
}();

inline const layout::Model kModelA{
    .id = "tma", .name = "TMA", .description = "test model A, two ports",
    .fields = kFields, .unused = kUnused, .loadSize = 16, .encode = Encode, .decode = Decode,
    .foreignImageQuestion = Foreign, .chooseDisplayModel = Choose};

inline const layout::Model kModelB{
    .id = "tmb", .name = "TMB", .description = "test model B, three ports",
    .fields = kFieldsB, .unused = kUnused, .loadSize = 16, .encode = Encode, .decode = Decode,
    .foreignImageQuestion = Foreign, .chooseDisplayModel = Choose};

inline const layout::Model kModelX{
    .id = "tmx", .name = "TMX", .description = "test model X, whole images",
    .fields = kFields, .unused = kUnused, .loadSize = 256, .exactLoadSize = true,
    .encode = Encode, .decode = Decode};

inline layout::DisplayChoice Choose(const CE2promData& loaded, const layout::Model&)
{
    switch (loaded.GetByte(2)) {
    case 0x02:
        return {.model = &kModelA};
    case 0x03:
        return {.model = &kModelB};
    default:
        return {.question = "Select TMB as display template", .ifYes = &kModelB};
    }
}

inline const std::array<const layout::Model*, 3> kModels{&kModelA, &kModelB, &kModelX};

} // namespace test_models
