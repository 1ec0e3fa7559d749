#pragma once

// The building blocks of a layout description. Each family describes its image once, as a
// table of Fields; the encoder, the decoder, the forms, the command-line profiles and the
// documentation all read that table, so an offset is written in exactly one place.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

class CE2promData;

namespace layout {

enum class Kind : std::uint8_t {
    Choice,  // a drop-down list; the value is the index of the selected item
    Hex,     // a number typed as hexadecimal text
    Decimal, // a number typed as decimal digits (string lengths)
    Text,    // single-byte characters kept in a string area of the image
};

// How a number is shown after a load.
enum class Show : std::uint8_t {
    HexUpper4, // "%04X": IDs
    HexLower4, // "%04x": a word stored high byte first shown as "%02x%02x" of its two bytes
    HexLower2, // "%02x"
    HexLower,  // "%x"
    HexUpper,  // "%X"
    Decimal2,  // "%02d"
    Decimal,   // "%d"
};

// Where a value lives: `bits` bits starting at bit `lsb` of the byte at `offset`; a 16-bit
// word (bits == 16, lsb == 0) in the byte order given; or, with `bytes` set, a string area
// of that many bytes from `offset`.
struct Place {
    std::uint16_t offset = 0;
    std::uint8_t lsb = 0;
    std::uint8_t bits = 8;
    bool bigEndian = false;
    std::uint16_t bytes = 0;

    std::uint32_t mask() const { return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u; }
    bool isArea() const { return bytes != 0; }
    unsigned firstByte() const { return offset; }
    unsigned lastByte() const { return offset + (isArea() ? bytes - 1u : bits == 16 ? 1u : 0u); }
    // The bits of byte `at` that this place covers.
    std::uint8_t bitsIn(unsigned at) const;
};

struct Field {
    std::string_view key;   // stable id: profile key, widget object name
    std::string_view label; // the caption the user sees
    std::string_view group; // the caption of the group box around it ("" for none)
    Kind kind = Kind::Choice;
    std::span<const std::string_view> items = {}; // choices, in list order
    std::string_view defaultText = {};            // an item text, or the box's text
    Place place = {};
    // Choices whose stored code is not the item index list the code of each item here.
    std::span<const std::uint8_t> codes = {};
    // The item that a stored code matching none of the items reads as; empty: such a code
    // is not taken over and the form keeps what it showed.
    std::string_view fallback = {};
    std::uint8_t limit = 0;  // characters the box takes (and its reading looks at)
    Show show = Show::HexLower;
    std::uint16_t countAt = 0; // text: the byte holding its length in characters
    bool readOnly = false;     // the user cannot type into it; other fields' rules fill it
    bool greyed = false;       // always shown greyed: the user never changes it, a load may
    // The code a list that shows no item of its own stores; -1: its first item's.
    std::int16_t noItemCode = -1;

    int defaultIndex() const; // index of defaultText among items, -1 when not a choice
    int indexOf(std::string_view itemText) const;
};

// Field values as a form holds them: a choice its selected item index (kNoSelection when
// the list shows nothing), every other field the text of its box.
inline constexpr std::int64_t kNoSelection = -1;

// The value of a hex digit of either case, or -1 for any other character.
int HexDigit(char c);

// Readers of a hex text, given the text (cut to its box's limit) and the field's digit
// count. Both keep the low 32 bits.
//
// ScanHex reads the way scanf's "%<digits>x" does: leading blanks skipped, then at most
// `digits` characters: an optional 0x prefix and hex digits up to the first other
// character. Empty or non-hex text reads as 0.
std::uint32_t ScanHex(std::string_view text, std::size_t digits);
// DigitHex reads by position: character i of the first `digits` is the digit of weight
// 16^(digits-1-i); a character that is not a hex digit, or a position past the end of the
// text, counts as 0. So "5" in a two-digit box is 0x50 and "G1" is 0x01.
std::uint32_t DigitHex(std::string_view text, std::size_t digits);
// Reads the way scanf's "%d" does: leading blanks, an optional sign, then digits.
std::int64_t ScanDecimal(std::string_view text);

// The text of a number in a show format.
std::string ShowNumber(Show show, std::uint32_t value);

// The raw bits of a place, and storing them (other bits of the bytes are kept).
std::uint32_t GetBits(const CE2promData& image, const Place& place);
void PutBits(CE2promData& image, const Place& place, std::uint32_t value);

// The same on the bytes of an image, which the codec reads and writes in one piece. As the
// image holder does, a byte past the end reads as the erased 0xFF and takes no value.
using ImageBytes = std::array<std::uint8_t, 256>;

inline std::uint8_t ByteAt(const ImageBytes& bytes, unsigned at)
{
    return at < bytes.size() ? bytes[at] : std::uint8_t{0xFF};
}

inline std::uint32_t GetBits(const ImageBytes& bytes, const Place& place)
{
    if (place.bits == 16) {
        const std::uint32_t first = ByteAt(bytes, place.offset);
        const std::uint32_t second = ByteAt(bytes, place.offset + 1u);
        return place.bigEndian ? first << 8 | second : second << 8 | first;
    }
    return (std::uint32_t{ByteAt(bytes, place.offset)} >> place.lsb) & place.mask();
}

inline void PutBits(ImageBytes& bytes, const Place& place, std::uint32_t value)
{
    if (place.bits == 16) {
        if (place.offset + 1u >= bytes.size())
            return;
        const auto high = static_cast<std::uint8_t>(value >> 8);
        const auto low = static_cast<std::uint8_t>(value);
        bytes[place.offset] = place.bigEndian ? high : low;
        bytes[place.offset + 1u] = place.bigEndian ? low : high;
        return;
    }
    if (place.offset >= bytes.size())
        return;
    const std::uint32_t mask = place.mask() << place.lsb;
    std::uint8_t& byte = bytes[place.offset];
    byte = static_cast<std::uint8_t>((byte & ~mask) | ((value << place.lsb) & mask));
}

// The stored code of a choice index.
inline std::uint32_t CodeOfIndex(const Field& field, std::int64_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= field.items.size()) {
        if (field.noItemCode >= 0)
            return static_cast<std::uint32_t>(field.noItemCode);
        index = 0; // a list without a selection stores its first item
    }
    if (field.codes.empty())
        return static_cast<std::uint32_t>(index);
    return static_cast<std::size_t>(index) < field.codes.size()
               ? field.codes[static_cast<std::size_t>(index)]
               : 0u;
}

// The item index of a stored code: the item with that code, else the fallback item, else -1.
// An index rather than an optional: the codec's loop reads it without the stall that
// reading an optional straight after building it costs.
int ItemOfMappedCode(const Field& field, std::uint32_t code);
inline int ItemOfCode(const Field& field, std::uint32_t code)
{
    if (field.codes.empty() && code < field.items.size())
        return static_cast<int>(code);
    return ItemOfMappedCode(field, code);
}

// The position of the field with `key` in a table; a key that is not there stops the
// compilation where a table's positions are worked out at compile time.
constexpr std::size_t PositionOf(std::span<const Field> fields, std::string_view key)
{
    for (std::size_t at = 0; at < fields.size(); ++at)
        if (fields[at].key == key)
            return at;
    std::abort(); // a key that is not in the table is a programming error
}

// A short text made at compile time, for the keys and labels of fields that come in
// numbered rows ("int3_port2"); a string_view of it lives as long as the table it is in.
struct ShortText {
    char chars[24] = {};
    std::size_t size = 0;

    constexpr ShortText& operator<<(std::string_view text)
    {
        for (char c : text)
            chars[size++] = c;
        return *this;
    }
    constexpr ShortText& operator<<(int digit) // one decimal digit
    {
        chars[size++] = static_cast<char>('0' + digit);
        return *this;
    }
    constexpr std::string_view view() const { return {chars, size}; }
};

// printf-style formatting for the editors' messages ("Invalid value 0x%x" and friends).
std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

} // namespace layout
