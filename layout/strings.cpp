#include "layout/strings.h"

#include "image/e2prom_data.h"

#include <algorithm>

namespace layout {

void PutString(CE2promData& image, const Place& area, std::string_view text)
{
    for (unsigned at = 0; at < area.bytes; ++at)
        image.SetByte(0, area.offset + at);
    const std::size_t fits = std::min<std::size_t>(text.size(), area.bytes / 2u);
    for (std::size_t i = 0; i < fits; ++i)
        image.SetByte(static_cast<std::uint8_t>(text[i]),
                      static_cast<std::uint32_t>(area.offset + 2 * i));
}

std::string GetString(const CE2promData& image, const Place& area, unsigned count,
                      StringUnits units)
{
    std::string text;
    for (unsigned i = 0; i < count; ++i) {
        const std::uint32_t at = area.offset + 2u * i;
        if (units == StringUnits::Words && at + 1 >= CE2promData::kSize)
            break;
        const std::uint16_t unit = units == StringUnits::Words
                                       ? image.GetWord(at, false)
                                       : image.GetByte(at); // 0xFF past the end
        if (unit == 0)
            break;
        if (unit > 0xFF)
            return {};
        text += static_cast<char>(unit);
    }
    return text;
}

} // namespace layout
