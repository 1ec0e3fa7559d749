#pragma once

// The field constructors every family's table is written with, and the vocabulary of the
// bits the hub families share. A family says once how its boxes look (BoxStyle) and then
// writes each field as one line; the bits the families have in common are named and placed
// here once, so the same bits have the same key (the profile key) in every family.

#include "layout/field.h"
#include "layout/strings.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace layout {

// A drop-down list: `items` in list order, stored at `place` as the item's index.
constexpr Field Choice(std::string_view key, std::string_view label, std::string_view group,
                       std::span<const std::string_view> items, std::string_view defaultText,
                       Place place, std::string_view fallback = {})
{
    return {.key = key, .label = label, .group = group, .items = items,
            .defaultText = defaultText, .place = place, .fallback = fallback};
}

// The field shown greyed whatever the others show.
constexpr Field Greyed(Field field)
{
    field.greyed = true;
    return field;
}

// A string of single-byte characters in an area of kStringUnits 16-bit units from
// `offset`; its length in characters is the byte at `countAt`.
constexpr Field String(std::string_view key, std::string_view label, std::string_view group,
                       std::uint16_t offset, std::uint16_t countAt)
{
    return {.key = key, .label = label, .group = group, .kind = Kind::Text,
            .place = {.offset = offset, .bytes = 2 * kStringUnits}, .limit = kStringUnits,
            .countAt = countAt};
}

// A 16-bit word the hub families share: every family that has it stores it by this key at
// this offset (its byte order is the family's).
struct SharedWord {
    std::string_view key;
    std::uint16_t offset;
};

// A byte the same way: every family that has it stores it by this key, at this offset where
// it keeps the values that go with it there (a family that stores it elsewhere says where).
struct SharedByte {
    std::string_view key;
    std::uint16_t offset;
};

// A string area the hub families share: its key, where its units start, and the byte that
// holds its length in characters.
struct SharedString {
    std::string_view key;
    std::uint16_t offset;
    SharedByte length;
};

constexpr Field String(const SharedString& string, std::string_view label, std::string_view group)
{
    return String(string.key, label, group, string.offset, string.length.offset);
}

// How the boxes of a family's form look: the characters a word's and a byte's hex box
// take, how a loaded byte and a string's length show, and whether the user types a length
// or the form fills it.
struct BoxStyle {
    std::uint8_t wordLimit = 0;
    std::uint8_t byteLimit = 0;
    Show byteShow = Show::HexLower;
    Show lengthShow = Show::Decimal2;
    bool lengthsFilledByForm = false;

    // A 16-bit word, shown as four capital hex digits after a load.
    constexpr Field word(std::string_view key, std::string_view label, std::string_view group,
                         std::uint16_t offset, std::string_view defaultText,
                         bool bigEndian = false) const
    {
        return {.key = key, .label = label, .group = group, .kind = Kind::Hex,
                .defaultText = defaultText, .place = {offset, 0, 16, bigEndian},
                .limit = wordLimit, .show = Show::HexUpper4};
    }
    constexpr Field word(const SharedWord& shared, std::string_view label, std::string_view group,
                         std::string_view defaultText, bool bigEndian = false) const
    {
        return word(shared.key, label, group, shared.offset, defaultText, bigEndian);
    }

    // A whole byte typed as hex.
    constexpr Field byte(std::string_view key, std::string_view label, std::string_view group,
                         std::uint16_t offset, std::string_view defaultText) const
    {
        return {.key = key, .label = label, .group = group, .kind = Kind::Hex,
                .defaultText = defaultText, .place = {offset}, .limit = byteLimit,
                .show = byteShow};
    }

    constexpr Field byte(const SharedByte& shared, std::string_view label, std::string_view group,
                         std::string_view defaultText) const
    {
        return byte(shared.key, label, group, shared.offset, defaultText);
    }

    // The length byte of a string, in decimal: two digits typed.
    constexpr Field length(std::string_view key, std::string_view label, std::string_view group,
                           std::uint16_t offset) const
    {
        return {.key = key, .label = label, .group = group, .kind = Kind::Decimal,
                .defaultText = "00", .place = {offset}, .limit = 2, .show = lengthShow,
                .readOnly = lengthsFilledByForm};
    }
    constexpr Field length(const SharedString& string, std::string_view label,
                           std::string_view group) const
    {
        return length(string.length.key, label, group, string.length.offset);
    }
};

// Bits the hub families share: every family that has one of them stores it by this key,
// most of them at this place (a family that stores it elsewhere says where).
struct SharedBits {
    std::string_view key;
    Place place;
};

// The same as Choice, for shared bits at their usual place.
constexpr Field Choice(const SharedBits& bits, std::string_view label, std::string_view group,
                       std::span<const std::string_view> items, std::string_view defaultText,
                       std::string_view fallback = {})
{
    return Choice(bits.key, label, group, items, defaultText, bits.place, fallback);
}

namespace hub {

// The IDs at the start of every image, and the language ID of the string descriptors.
inline constexpr SharedWord kVid{"vid", 0x00};
inline constexpr SharedWord kPid{"pid", 0x02};
inline constexpr SharedWord kDid{"did", 0x04};
inline constexpr SharedWord kLangId{"lang_id", 0x11};

// The first configuration byte (0x06): power source, port LEDs, speed, transaction
// translators, end of packet, current sensing and port power switching.
inline constexpr SharedBits kSelfBusPower{"self_bus_power", {0x06, 7, 1}};
inline constexpr SharedBits kPortIndicators{"port_indicators", {0x06, 6, 1}};
inline constexpr SharedBits kHighSpeedDisable{"high_speed_disable", {0x06, 5, 1}};
inline constexpr SharedBits kMultipleTt{"multi_tt", {0x06, 4, 1}};
inline constexpr SharedBits kEopDisable{"eop_disable", {0x06, 3, 1}};
inline constexpr SharedBits kCurrentSensing{"current_sensing", {0x06, 1, 2}};
inline constexpr SharedBits kPortPower{"port_power", {0x06, 0, 1}};
// The second (0x07): dynamic power, the over-current timer, a compound device.
inline constexpr SharedBits kDynamicPower{"dynamic_power", {0x07, 7, 1}};
inline constexpr SharedBits kOverCurrentTimer{"over_current_timer", {0x07, 4, 2}};
inline constexpr SharedBits kCompoundDevice{"compound_device", {0x07, 3, 1}};
// The third (0x08): how the port LEDs show, and whether the strings are offered.
inline constexpr SharedBits kLedMode{"led_mode", {0x08, 1, 2}};
inline constexpr SharedBits kStringEnable{"string_enable", {0x08, 0, 1}};

// The power values and the power-on time where the families with strings keep them (the
// others keep them elsewhere under the same keys), and the three strings with their lengths.
inline constexpr SharedByte kSelfMaxPower{"self_max_power", 0x0C};
inline constexpr SharedByte kBusMaxPower{"bus_max_power", 0x0D};
inline constexpr SharedByte kSelfHubCurrent{"self_hub_current", 0x0E};
inline constexpr SharedByte kBusHubCurrent{"bus_hub_current", 0x0F};
inline constexpr SharedByte kPowerOnTime{"power_on_time", 0x10};
inline constexpr SharedString kMfgString{"mfg_string", 0x16, {"mfg_length", 0x13}};
inline constexpr SharedString kProductString{"product_string", 0x54, {"product_length", 0x14}};
inline constexpr SharedString kSerialString{"serial_string", 0x92, {"serial_length", 0x15}};

} // namespace hub

// Keys the families once named the same bits by, each with the key that names them now.
// A profile written with an old key is read as if it gave the new one, so it still
// encodes byte for byte the same.
struct KeyAlias {
    std::string_view old;
    std::string_view current;
};

inline constexpr KeyAlias kKeyAliases[] = {
    {"port_power_enabling", hub::kPortPower.key},
    {"power_on_timer", hub::kPowerOnTime.key},
    {"prod_length", hub::kProductString.length.key},
    {"prod_string", hub::kProductString.key},
};

// The key that `key` stands for: the current one for an old key, else `key` itself.
constexpr std::string_view CurrentKey(std::string_view key)
{
    for (const KeyAlias& alias : kKeyAliases)
        if (alias.old == key)
            return alias.current;
    return key;
}

} // namespace layout
