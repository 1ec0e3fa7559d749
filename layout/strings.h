#pragma once

// String descriptor areas: a string of single-byte characters kept as 16-bit code units,
// low byte first, one unit per character, the rest of the area zero. The character count
// lives in a byte of its own (a length field), which decides how much is read back.

#include "layout/field.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace layout {

// The characters an area holds at most, and the longest text a string box takes.
inline constexpr std::size_t kStringUnits = 31;

// How the units of an area are read back.
enum class StringUnits : std::uint8_t {
    // Whole 16-bit units. A unit above 0xFF empties the text (it has no single-byte
    // character); reading stops at the end of the image.
    Words,
    // The low byte of each unit, the high byte ignored; a unit past the end of the image
    // reads as the erased 0xFF.
    LowBytes,
};

// Whether a character can be stored: one code unit 0x01 to 0xFF.
inline bool IsStringCharacter(unsigned char c) { return c != 0; }

// Zeroes the area, then stores the characters of `text` that fit from its start.
void PutString(ImageBytes& bytes, const Place& area, std::string_view text);

// Reads at most `count` characters from the start of the area, stopping at a zero
// character; a count above the area's size reads on into the bytes after it.
std::string GetString(const ImageBytes& bytes, const Place& area, unsigned count,
                      StringUnits units);

} // namespace layout
