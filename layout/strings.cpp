#include "layout/strings.h"

#include <algorithm>

namespace layout {

void PutString(ImageBytes& bytes, const Place& area, std::string_view text)
{
    const std::size_t first = std::min<std::size_t>(area.offset, bytes.size());
    const std::size_t end = std::min<std::size_t>(first + area.bytes, bytes.size());
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(first),
              bytes.begin() + static_cast<std::ptrdiff_t>(end), std::uint8_t{0});
    const std::size_t fits = std::min<std::size_t>(text.size(), area.bytes / 2u);
    for (std::size_t i = 0; i < fits && first + 2 * i < end; ++i)
        bytes[first + 2 * i] = static_cast<std::uint8_t>(text[i]);
}

std::string GetString(const ImageBytes& bytes, const Place& area, unsigned count,
                      StringUnits units)
{
    std::string text;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned at = area.offset + 2u * i;
        if (units == StringUnits::Words && at + 1 >= bytes.size())
            break;
        const std::uint16_t unit = units == StringUnits::Words
                                       ? static_cast<std::uint16_t>(bytes[at + 1] << 8 | bytes[at])
                                       : ByteAt(bytes, at); // 0xFF past the end
        if (unit == 0)
            break;
        if (unit > 0xFF)
            return {};
        text += static_cast<char>(unit);
    }
    return text;
}

} // namespace layout
