#pragma once

#include <array>
#include <cstdint>
#include <string>

// The 256-byte EEPROM image an editor builds, loads and lists. A fresh holder is erased
// (0xFF everywhere), as a blank EEPROM reads.
class CE2promData {
public:
    static constexpr std::uint32_t kSize = 256;
    static constexpr int kLines = 16;
    static constexpr int kBytesPerLine = 16;
    using Bytes = std::array<std::uint8_t, kSize>;

    CE2promData();
    virtual ~CE2promData() = default;

    void Clear();

    // Offsets past the image are refused: GetByte answers 0xFF, SetByte stores nothing.
    std::uint8_t GetByte(std::uint32_t index) const;
    bool SetByte(std::uint8_t value, std::uint32_t index);

    // The three IDs at offsets 0-1, 2-3 and 4-5. The byte order is the caller's choice
    // because one family stores them high byte first and the others low byte first.
    // The getters also give the value as four upper-case hex digits when asked.
    std::uint16_t GetVID(std::string* hexText, bool bigEndian) const;
    std::uint16_t GetPID(std::string* hexText, bool bigEndian) const;
    std::uint16_t GetDID(std::string* hexText, bool bigEndian) const;
    bool SetVID(std::uint16_t value, bool bigEndian);
    bool SetPID(std::uint16_t value, bool bigEndian);
    bool SetDID(std::uint16_t value, bool bigEndian);

    // Any 16-bit word, for layouts that keep further words (language IDs and the like).
    std::uint16_t GetWord(std::uint32_t offset, bool bigEndian) const;
    bool SetWord(std::uint16_t value, std::uint32_t offset, bool bigEndian);

    // Copies the whole image out and answers its size.
    int CopyOut(std::uint8_t* buffer) const;
    // Copies min(count, 256) bytes to offsets 0 upward; bytes past them keep their values.
    // Answers 0 (and copies nothing) when count < 1, otherwise the number copied.
    int CopyIn(const std::uint8_t* buffer, int count);

    const Bytes& bytes() const { return m_image; }

    // One line of the hex listing: "%02X:" then sixteen " %02X", 51 characters.
    // Answers 16 for lines 0 to 15; any other line leaves text alone and answers 0.
    int FormatLine(std::string& text, int line) const;

private:
    Bytes m_image;
};

// The sixteen lines of the listing that every editor shows.
std::array<std::string, CE2promData::kLines> ListingLines(const CE2promData& data);

// Upper-case hex of a 16-bit value, four digits ("%04X").
std::string Hex4(std::uint16_t value);
