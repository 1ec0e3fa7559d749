#include "layout/field.h"

#include "image/e2prom_data.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>

namespace layout {

int Field::indexOf(std::string_view itemText) const
{
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == itemText)
            return static_cast<int>(i);
    return -1;
}

int Field::defaultIndex() const { return kind == Kind::Choice ? indexOf(defaultText) : -1; }

std::int64_t Values::number(std::string_view key, std::int64_t fallback) const
{
    const auto found = numbers.find(key);
    return found == numbers.end() ? fallback : found->second;
}

bool Values::has(std::string_view key) const
{
    return numbers.find(key) != numbers.end() || texts.find(key) != texts.end();
}

std::uint32_t ScanHex(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    if (at + 1 < text.size() && text[at] == '0' &&
        (text[at + 1] == 'x' || text[at + 1] == 'X'))
        at += 2;
    std::uint32_t value = 0;
    for (; at < text.size() && std::isxdigit(static_cast<unsigned char>(text[at])); ++at) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[at])));
        value = value << 4 | static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
    }
    return value;
}

std::string FormatHex(HexStyle style, std::uint32_t value)
{
    return style == HexStyle::Word ? Format("%04X", value) : Format("%x", value);
}

std::uint32_t GetBits(const CE2promData& image, const Place& place)
{
    if (place.bits == 16)
        return image.GetWord(place.offset, place.bigEndian);
    return (static_cast<std::uint32_t>(image.GetByte(place.offset)) >> place.lsb) & place.mask();
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

std::uint32_t CodeOfIndex(const Field& field, std::int64_t index)
{
    if (field.codes.empty())
        return static_cast<std::uint32_t>(index);
    if (index < 0 || static_cast<std::size_t>(index) >= field.codes.size())
        return 0;
    return field.codes[static_cast<std::size_t>(index)];
}

int IndexOfCode(const Field& field, std::uint32_t code)
{
    if (field.codes.empty())
        return code < field.items.size() ? static_cast<int>(code) : -1;
    for (std::size_t i = 0; i < field.codes.size(); ++i)
        if (field.codes[i] == code)
            return static_cast<int>(i);
    return -1;
}

const Field* FindField(std::span<const Field> fields, std::string_view key)
{
    for (const Field& field : fields)
        if (field.key == key)
            return &field;
    return nullptr;
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
