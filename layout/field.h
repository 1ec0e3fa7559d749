#pragma once

// The building blocks of a layout description. Each family describes its image once, as a
// table of Fields; the encoder, the decoder, the forms, the command-line profiles and the
// documentation all read that table, so an offset is written in exactly one place.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CE2promData;

namespace layout {

enum class Kind : std::uint8_t {
    Choice, // a drop-down list; the value is the index of the selected item
    Hex,    // a number typed as hexadecimal text
    Text,   // free text (string descriptors)
};

// How a hex value is shown after a load: IDs as four upper-case digits, single bytes as
// lower-case digits without leading zeros.
enum class HexStyle : std::uint8_t { Word, Byte };

// Where a value lives: `bits` bits starting at bit `lsb` of the byte at `offset`, or a
// 16-bit word (bits == 16, lsb == 0) in the byte order given.
struct Place {
    std::uint16_t offset = 0;
    std::uint8_t lsb = 0;
    std::uint8_t bits = 8;
    bool bigEndian = false;

    std::uint32_t mask() const { return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u; }
};

struct Field {
    std::string_view key;   // stable id: profile key, widget object name
    std::string_view label; // the caption the user sees
    std::string_view group; // the caption of the group box around it ("" for none)
    Kind kind = Kind::Choice;
    std::span<const std::string_view> items = {}; // choices, in list order
    std::string_view defaultText = {};            // an item text, or the hex/free text
    Place place = {};
    // Choices whose stored code is not the item index list the code of each item here.
    std::span<const std::uint8_t> codes = {};
    HexStyle style = HexStyle::Byte;

    int defaultIndex() const; // index of defaultText among items, -1 when not a choice
    int indexOf(std::string_view itemText) const;
};

// Field values as the codec sees them: a choice holds its item index (kNoSelection when
// the list shows nothing), a hex field the number read from its text, a text field its
// text. Keyed by Field::key.
inline constexpr std::int64_t kNoSelection = -1;

struct Values {
    std::map<std::string, std::int64_t, std::less<>> numbers;
    std::map<std::string, std::string, std::less<>> texts;

    std::int64_t number(std::string_view key, std::int64_t fallback = 0) const;
    bool has(std::string_view key) const;
};

// A change a rule made while an image was built: the message the editor shows, then the
// new values of the fields it changed (item index or number, by key).
struct Correction {
    std::string message;
    std::vector<std::pair<std::string, std::int64_t>> updates;
};

// What a decode could not take over: the message the editor shows, and the key of the
// field left as it was.
struct DecodeNote {
    std::string message;
    std::string key;
};

// Reads a hex text the way scanf's "%x" does: leading blanks skipped, an optional 0x
// prefix, then hex digits up to the first other character. Empty or non-hex text reads
// as 0. The number keeps its low 32 bits.
std::uint32_t ScanHex(std::string_view text);

// "%04X" for words, "%x" for bytes.
std::string FormatHex(HexStyle style, std::uint32_t value);

// The raw bits of a place, and storing them (other bits of the bytes are kept).
std::uint32_t GetBits(const CE2promData& image, const Place& place);
void PutBits(CE2promData& image, const Place& place, std::uint32_t value);

// The stored code of a choice index, and the index of a stored code (-1: none matches).
std::uint32_t CodeOfIndex(const Field& field, std::int64_t index);
int IndexOfCode(const Field& field, std::uint32_t code);

const Field* FindField(std::span<const Field> fields, std::string_view key);

// printf-style formatting for the editors' messages ("Invalid value 0x%x" and friends).
std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

} // namespace layout
