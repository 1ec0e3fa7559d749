#include "cli/image_formats.h"

#include "cli/error.h"
#include "image/e2prom_data.h"
#include "layout/field.h"

#include <cctype>

namespace cli {

namespace {

constexpr std::size_t kBytesPerRecord = 16;

bool isText(std::span<const std::uint8_t> content)
{
    for (std::uint8_t byte : content)
        if (!(std::isprint(byte) || byte == '\n' || byte == '\r' || byte == '\t'))
            return false;
    return true;
}

std::string hexByte(std::uint32_t value) { return layout::Format("%02X", value & 0xFFu); }

// One line of a record file, with its number for the messages.
struct Line {
    std::size_t number = 0;
    std::string_view text;
};

std::vector<Line> splitLines(std::span<const std::uint8_t> content)
{
    const std::string_view all(reinterpret_cast<const char*>(content.data()), content.size());
    std::vector<Line> lines;
    std::size_t start = 0;
    for (std::size_t number = 1; start <= all.size(); ++number) {
        std::size_t end = all.find('\n', start);
        if (end == std::string_view::npos)
            end = all.size();
        std::string_view text = all.substr(start, end - start);
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
            text.remove_suffix(1);
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
            text.remove_prefix(1);
        lines.push_back({number, text});
        start = end + 1;
    }
    return lines;
}

[[noreturn]] void refuse(const Line& line, const std::string& what)
{
    throw Error("line " + std::to_string(line.number) + ": " + what);
}

// The bytes a record spells after its one- or two-character start.
std::vector<std::uint8_t> recordBytes(const Line& line, std::size_t start)
{
    const std::string_view digits = line.text.substr(start);
    if (digits.size() % 2 != 0)
        refuse(line, "odd number of hex digits");
    std::vector<std::uint8_t> bytes;
    for (std::size_t at = 0; at < digits.size(); at += 2) {
        const int high = layout::HexDigit(digits[at]);
        const int low = layout::HexDigit(digits[at + 1]);
        if (high < 0 || low < 0)
            refuse(line, "a character that is not a hex digit");
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

// Collects data records into one image and refuses gaps, overlaps and data past the
// image: every record must continue where the previous one ended.
class Assembler {
public:
    void add(const Line& line, std::uint32_t address, std::span<const std::uint8_t> data)
    {
        if (data.empty())
            return;
        if (address + data.size() > CE2promData::kSize)
            refuse(line, "data past the end of the 256-byte image");
        if (address > m_bytes.size())
            refuse(line, "gap: data resumes at address " + layout::Format("0x%X", address) +
                             " but the data before ends at " +
                             layout::Format("0x%zX", m_bytes.size()));
        if (address < m_bytes.size())
            refuse(line, "address " + layout::Format("0x%X", address) +
                             " overlaps data given before");
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
    }

    std::vector<std::uint8_t> finish(const char* format)
    {
        if (m_bytes.empty())
            throw Error(std::string(format) + " file without data records");
        return std::move(m_bytes);
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

std::vector<std::uint8_t> readIntelHex(std::span<const std::uint8_t> content)
{
    Assembler image;
    std::uint32_t base = 0;
    std::size_t endLine = 0; // the line of the end record, once seen
    for (const Line& line : splitLines(content)) {
        if (line.text.empty())
            continue;
        if (endLine)
            refuse(line, "record after the end-of-file record of line " +
                             std::to_string(endLine));
        if (line.text.front() != ':')
            refuse(line, "a record must start with ':'");
        const std::vector<std::uint8_t> bytes = recordBytes(line, 1);
        if (bytes.size() < 5)
            refuse(line, "record too short");
        if (bytes.size() != 5u + bytes[0])
            refuse(line, "record holds " + std::to_string(bytes.size() - 5) +
                             " data bytes but its count says " + std::to_string(bytes[0]));
        unsigned sum = 0;
        for (std::uint8_t byte : bytes)
            sum += byte;
        if ((sum & 0xFFu) != 0) {
            unsigned expected = 0;
            for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
                expected += bytes[i];
            refuse(line, "checksum " + hexByte(bytes.back()) + " is wrong, expected " +
                             hexByte(0x100u - (expected & 0xFFu)));
        }
        const std::uint32_t offset = static_cast<std::uint32_t>(bytes[1] << 8 | bytes[2]);
        const std::span<const std::uint8_t> data(bytes.data() + 4, bytes[0]);
        switch (bytes[3]) {
        case 0x00:
            image.add(line, base + offset, data);
            break;
        case 0x01:
            if (!data.empty())
                refuse(line, "end-of-file record with data");
            endLine = line.number;
            break;
        case 0x02:
        case 0x04:
            if (data.size() != 2)
                refuse(line, "extended address record needs two data bytes");
            base = static_cast<std::uint32_t>(data[0] << 8 | data[1]) << (bytes[3] == 2 ? 4 : 16);
            break;
        case 0x03:
        case 0x05:
            break; // start addresses mean nothing to an EEPROM image
        default:
            refuse(line, "unknown record type " + hexByte(bytes[3]));
        }
    }
    if (!endLine)
        throw Error("Intel HEX file without end-of-file record (the file may be cut short)");
    return image.finish("Intel HEX");
}

std::vector<std::uint8_t> readSRecord(std::span<const std::uint8_t> content)
{
    Assembler image;
    std::size_t dataRecords = 0;
    std::size_t endLine = 0; // the line of the end record, once seen
    for (const Line& line : splitLines(content)) {
        if (line.text.empty())
            continue;
        if (endLine)
            refuse(line, "record after the termination record of line " +
                             std::to_string(endLine));
        if (line.text.size() < 2 || line.text[0] != 'S' || !std::isdigit(static_cast<unsigned char>(line.text[1])))
            refuse(line, "a record must start with 'S' and its type digit");
        const int type = line.text[1] - '0';
        const std::vector<std::uint8_t> bytes = recordBytes(line, 2);
        static constexpr int kAddressSize[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};
        const std::size_t addressSize = static_cast<std::size_t>(kAddressSize[type]);
        if (addressSize == 0)
            refuse(line, "record type S4 is reserved");
        if (bytes.size() < 2 + addressSize)
            refuse(line, "record too short");
        if (bytes.size() != 1u + bytes[0])
            refuse(line, "record holds " + std::to_string(bytes.size() - 1) +
                             " bytes after its count but the count says " +
                             std::to_string(bytes[0]));
        unsigned sum = 0;
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
            sum += bytes[i];
        const unsigned expected = ~sum & 0xFFu;
        if (bytes.back() != expected)
            refuse(line, "checksum " + hexByte(bytes.back()) + " is wrong, expected " +
                             hexByte(expected));
        std::uint32_t address = 0;
        for (std::size_t i = 0; i < addressSize; ++i)
            address = address << 8 | bytes[1 + i];
        const std::span<const std::uint8_t> data(bytes.data() + 1 + addressSize,
                                                 bytes.size() - 2 - addressSize);
        switch (type) {
        case 0:
            break; // header: a name, not image data
        case 1:
        case 2:
        case 3:
            image.add(line, address, data);
            ++dataRecords;
            break;
        case 5:
        case 6:
            if (!data.empty())
                refuse(line, "count record with data");
            if (address != dataRecords)
                refuse(line, "count record says " + std::to_string(address) +
                                 " data records but the file has " +
                                 std::to_string(dataRecords) + " before it");
            break;
        default: // 7, 8, 9: termination with a start address
            endLine = line.number;
            break;
        }
    }
    if (!endLine)
        throw Error("S-record file without termination record (the file may be cut short)");
    return image.finish("S-record");
}

std::string intelHex(std::span<const std::uint8_t> image)
{
    std::string text;
    for (std::size_t at = 0; at < image.size(); at += kBytesPerRecord) {
        const std::size_t count = std::min(kBytesPerRecord, image.size() - at);
        unsigned sum = static_cast<unsigned>(count + (at >> 8) + (at & 0xFF));
        text += ":" + hexByte(static_cast<std::uint32_t>(count)) +
                layout::Format("%04zX", at) + "00";
        for (std::size_t i = 0; i < count; ++i) {
            text += hexByte(image[at + i]);
            sum += image[at + i];
        }
        text += hexByte(0x100u - (sum & 0xFFu)) + "\n";
    }
    return text + ":00000001FF\n";
}

std::string sRecord(int type, std::uint32_t address, std::span<const std::uint8_t> data)
{
    const std::uint32_t count = static_cast<std::uint32_t>(data.size() + 3);
    unsigned sum = count + (address >> 8 & 0xFF) + (address & 0xFF);
    std::string text = "S" + std::to_string(type) + hexByte(count) + layout::Format("%04X", address);
    for (std::uint8_t byte : data) {
        text += hexByte(byte);
        sum += byte;
    }
    return text + hexByte(~sum & 0xFFu) + "\n";
}

std::string sRecords(std::span<const std::uint8_t> image)
{
    static constexpr std::string_view kName = "HUBQUILL";
    std::string text = sRecord(0, 0, {reinterpret_cast<const std::uint8_t*>(kName.data()), kName.size()});
    std::uint32_t records = 0;
    for (std::size_t at = 0; at < image.size(); at += kBytesPerRecord, ++records)
        text += sRecord(1, static_cast<std::uint32_t>(at),
                        image.subspan(at, std::min(kBytesPerRecord, image.size() - at)));
    return text + sRecord(5, records, {}) + sRecord(9, 0, {});
}

} // namespace

std::optional<Format> FormatNamed(std::string_view name)
{
    if (name == "bin")
        return Format::Binary;
    if (name == "ihex")
        return Format::IntelHex;
    if (name == "srec")
        return Format::SRecord;
    return std::nullopt;
}

std::string_view NameOf(Format format)
{
    switch (format) {
    case Format::Binary:
        return "bin";
    case Format::IntelHex:
        return "ihex";
    case Format::SRecord:
        return "srec";
    }
    return {};
}

Format RecogniseFormat(std::span<const std::uint8_t> content)
{
    if (content.empty() || !isText(content))
        return Format::Binary;
    if (content[0] == ':')
        return Format::IntelHex;
    if (content.size() > 1 && content[0] == 'S' && std::isdigit(content[1]))
        return Format::SRecord;
    return Format::Binary;
}

std::vector<std::uint8_t> ImageBytesOf(std::span<const std::uint8_t> content)
{
    switch (RecogniseFormat(content)) {
    case Format::IntelHex:
        return readIntelHex(content);
    case Format::SRecord:
        return readSRecord(content);
    case Format::Binary:
        break;
    }
    return {content.begin(), content.end()};
}

std::string Encoded(std::span<const std::uint8_t> image, Format format)
{
    switch (format) {
    case Format::IntelHex:
        return intelHex(image);
    case Format::SRecord:
        return sRecords(image);
    case Format::Binary:
        break;
    }
    return {image.begin(), image.end()};
}

} // namespace cli
