#include "image/e2prom_data.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr std::uint32_t kVidOffset = 0;
constexpr std::uint32_t kPidOffset = 2;
constexpr std::uint32_t kDidOffset = 4;
} // namespace

CE2promData::CE2promData() { Clear(); }

void CE2promData::Clear() { m_image.fill(0xFF); }

std::uint8_t CE2promData::GetByte(std::uint32_t index) const
{
    return index < kSize ? m_image[index] : 0xFF;
}

bool CE2promData::SetByte(std::uint8_t value, std::uint32_t index)
{
    if (index >= kSize)
        return false;
    m_image[index] = value;
    return true;
}

std::uint16_t CE2promData::GetWord(std::uint32_t offset, bool bigEndian) const
{
    const std::uint8_t first = GetByte(offset);
    const std::uint8_t second = GetByte(offset + 1);
    return bigEndian ? static_cast<std::uint16_t>(first << 8 | second)
                     : static_cast<std::uint16_t>(second << 8 | first);
}

bool CE2promData::SetWord(std::uint16_t value, std::uint32_t offset, bool bigEndian)
{
    if (offset + 1 >= kSize)
        return false;
    const auto high = static_cast<std::uint8_t>(value >> 8);
    const auto low = static_cast<std::uint8_t>(value & 0xFF);
    m_image[offset] = bigEndian ? high : low;
    m_image[offset + 1] = bigEndian ? low : high;
    return true;
}

std::string Hex4(std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
    return text;
}

namespace {
std::uint16_t wordWithText(const CE2promData& data, std::uint32_t offset, std::string* hexText,
                           bool bigEndian)
{
    const std::uint16_t value = data.GetWord(offset, bigEndian);
    if (hexText)
        *hexText = Hex4(value);
    return value;
}
} // namespace

std::uint16_t CE2promData::GetVID(std::string* hexText, bool bigEndian) const
{
    return wordWithText(*this, kVidOffset, hexText, bigEndian);
}
std::uint16_t CE2promData::GetPID(std::string* hexText, bool bigEndian) const
{
    return wordWithText(*this, kPidOffset, hexText, bigEndian);
}
std::uint16_t CE2promData::GetDID(std::string* hexText, bool bigEndian) const
{
    return wordWithText(*this, kDidOffset, hexText, bigEndian);
}
bool CE2promData::SetVID(std::uint16_t value, bool bigEndian) { return SetWord(value, kVidOffset, bigEndian); }
bool CE2promData::SetPID(std::uint16_t value, bool bigEndian) { return SetWord(value, kPidOffset, bigEndian); }
bool CE2promData::SetDID(std::uint16_t value, bool bigEndian) { return SetWord(value, kDidOffset, bigEndian); }

int CE2promData::CopyOut(std::uint8_t* buffer) const
{
    std::copy(m_image.begin(), m_image.end(), buffer);
    return static_cast<int>(kSize);
}

int CE2promData::CopyIn(const std::uint8_t* buffer, int count)
{
    if (count < 1 || buffer == nullptr)
        return 0;
    const int copied = std::min(count, static_cast<int>(kSize));
    std::copy(buffer, buffer + copied, m_image.begin());
    return copied;
}

int CE2promData::FormatLine(std::string& text, int line) const
{
    if (line < 0 || line >= kLines)
        return 0;
    char piece[8];
    std::snprintf(piece, sizeof piece, "%02X:", static_cast<unsigned>(line * kBytesPerLine));
    text = piece;
    for (int column = 0; column < kBytesPerLine; ++column) {
        std::snprintf(piece, sizeof piece, " %02X",
                      static_cast<unsigned>(m_image[line * kBytesPerLine + column]));
        text += piece;
    }
    return kBytesPerLine;
}

std::array<std::string, CE2promData::kLines> ListingLines(const CE2promData& data)
{
    std::array<std::string, CE2promData::kLines> lines;
    for (int line = 0; line < CE2promData::kLines; ++line)
        data.FormatLine(lines[line], line);
    return lines;
}
