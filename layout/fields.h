#pragma once

// The field constructors every family's table is written with. A family says once how its
// boxes look (BoxStyle) and then writes each field as one line.

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

// A string of single-byte characters in an area of kStringUnits 16-bit units from
// `offset`; its length in characters is the byte at `countAt`.
constexpr Field String(std::string_view key, std::string_view label, std::string_view group,
                       std::uint16_t offset, std::uint16_t countAt)
{
    return {.key = key, .label = label, .group = group, .kind = Kind::Text,
            .place = {.offset = offset, .bytes = 2 * kStringUnits}, .limit = kStringUnits,
            .countAt = countAt};
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

    // A whole byte typed as hex.
    constexpr Field byte(std::string_view key, std::string_view label, std::string_view group,
                         std::uint16_t offset, std::string_view defaultText) const
    {
        return {.key = key, .label = label, .group = group, .kind = Kind::Hex,
                .defaultText = defaultText, .place = {offset}, .limit = byteLimit,
                .show = byteShow};
    }

    // The length byte of a string, in decimal: two digits typed.
    constexpr Field length(std::string_view key, std::string_view label, std::string_view group,
                           std::uint16_t offset) const
    {
        return {.key = key, .label = label, .group = group, .kind = Kind::Decimal,
                .defaultText = "00", .place = {offset}, .limit = 2, .show = lengthShow,
                .readOnly = lengthsFilledByForm};
    }
};

} // namespace layout
