#include "layout/field.h"

#include "image/e2prom_data.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <type_traits>

namespace layout {

namespace {

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// `digits` hex digits of `value`, most significant first.
std::string hexText(std::uint32_t value, int digits, bool upper)
{
    const char* alphabet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int at = digits - 1; at >= 0; --at, value >>= 4)
        text[static_cast<std::size_t>(at)] = alphabet[value & 0xFu];
    return text;
}

// The decimal digits of `value`, at least `digits` of them ("%02u").
std::string decimalText(std::uint32_t value, std::size_t digits)
{
    std::string text = std::to_string(value);
    if (text.size() < digits)
        text.insert(0, digits - text.size(), '0');
    return text;
}

// The digits a value needs: "%x" shows 0 as "0".
int hexDigitsOf(std::uint32_t value)
{
    int digits = 1;
    while (value >>= 4)
        ++digits;
    return digits;
}

} // namespace

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::uint8_t Place::bitsIn(unsigned at) const
{
    if (at < firstByte() || at > lastByte())
        return 0;
    if (isArea() || bits == 16)
        return 0xFF;
    return static_cast<std::uint8_t>(mask() << lsb);
}

int Field::indexOf(std::string_view itemText) const
{
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == itemText)
            return static_cast<int>(i);
    return -1;
}

int Field::defaultIndex() const { return kind == Kind::Choice ? indexOf(defaultText) : -1; }

std::uint32_t ScanHex(std::string_view text, std::size_t digits)
{
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    text = text.substr(at, digits);
    at = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
        HexDigit(text[2]) >= 0)
        at = 2;
    std::uint32_t value = 0;
    for (; at < text.size() && HexDigit(text[at]) >= 0; ++at)
        value = value << 4 | static_cast<std::uint32_t>(HexDigit(text[at]));
    return value;
}

std::uint32_t DigitHex(std::string_view text, std::size_t digits)
{
    std::uint32_t value = 0;
    for (std::size_t at = 0; at < digits; ++at) {
        const int digit = at < text.size() ? HexDigit(text[at]) : -1;
        value = value << 4 | static_cast<std::uint32_t>(digit < 0 ? 0 : digit);
    }
    return value;
}

std::int64_t ScanDecimal(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        ++at;
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        if (value < 0x7FFFFFFF)
            value = value * 10 + (text[at] - '0');
    return negative ? -value : value;
}

std::string ShowNumber(Show show, std::uint32_t value)
{
    switch (show) {
    case Show::HexUpper4: return hexText(value, 4, true);
    case Show::HexLower4: return hexText(value, 4, false);
    case Show::HexLower2: return hexText(value, std::max(2, hexDigitsOf(value)), false);
    case Show::HexLower: return hexText(value, hexDigitsOf(value), false);
    case Show::HexUpper: return hexText(value, hexDigitsOf(value), true);
    case Show::Decimal2: return decimalText(value, 2);
    case Show::Decimal: return std::to_string(value);
    }
    return {};
}

static_assert(std::is_same_v<ImageBytes, CE2promData::Bytes>);

std::uint32_t GetBits(const CE2promData& image, const Place& place)
{
    return GetBits(image.bytes(), place);
}

void PutBits(CE2promData& image, const Place& place, std::uint32_t value)
{
    if (place.bits == 16) {
        image.SetWord(static_cast<std::uint16_t>(value), place.offset, place.bigEndian);
        return;
    }
    const std::uint32_t mask = place.mask() << place.lsb;
    const std::uint32_t old = image.GetByte(place.offset);
    image.SetByte(static_cast<std::uint8_t>((old & ~mask) | ((value << place.lsb) & mask)),
                  place.offset);
}

// A code that is not simply an item's index: the item listing it, else the fallback.
int ItemOfMappedCode(const Field& field, std::uint32_t code)
{
    for (std::size_t i = 0; i < field.codes.size(); ++i)
        if (field.codes[i] == code)
            return static_cast<int>(i);
    return field.fallback.empty() ? -1 : field.indexOf(field.fallback);
}

std::string Format(const char* pattern, ...)
{
    char text[512];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(text, sizeof text, pattern, arguments);
    va_end(arguments);
    return text;
}

} // namespace layout
