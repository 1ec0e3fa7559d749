#include "image/image_formats.h"

#include "image/e2prom_data.h"
#include "layout/field.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace image {

namespace {

constexpr std::size_t kBytesPerRecord = 16;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr const char* kBlanks = " \t\r\n\v\f";

bool isBlank(char c) { return std::string_view(kBlanks).find(c) != std::string_view::npos; }

// Whether a byte can stand in a text file: anything but control characters other than
// blanks, DEL, and the bytes UTF-8 never uses.
bool isTextByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20)
        return isBlank(c);
    return byte != 0x7F && byte != 0xC0 && byte != 0xC1 && byte < 0xF5;
}

bool allText(std::string_view text) { return std::all_of(text.begin(), text.end(), isTextByte); }

std::string hexByte(std::uint32_t value) { return layout::Format("%02X", value & 0xFFu); }

// Text in UTF-16 with its byte-order mark, as UTF-8; nullopt when it holds a character no
// record file or profile can (anything past U+00FF), or an odd number of bytes, which
// makes it no UTF-16 text at all.
std::optional<std::string> fromUtf16(std::string_view units, bool bigEndian)
{
    if (units.size() % 2 != 0)
        return std::nullopt;
    std::string text;
    for (std::size_t at = 0; at < units.size(); at += 2) {
        const auto high = static_cast<unsigned char>(units[at + (bigEndian ? 0 : 1)]);
        const auto low = static_cast<unsigned char>(units[at + (bigEndian ? 1 : 0)]);
        if (high != 0)
            return std::nullopt;
        if (low < 0x80) {
            text += static_cast<char>(low);
        } else {
            text += static_cast<char>(0xC0 | low >> 6);
            text += static_cast<char>(0x80 | (low & 0x3F));
        }
    }
    return text;
}

// Whether every other byte is NUL and none between is, as in UTF-16 text without its
// byte-order mark; few images look so, and no text in another encoding does.
bool looksUtf16(std::string_view bytes, bool bigEndian)
{
    if (bytes.size() < 2 || bytes.size() % 2 != 0)
        return false;
    for (std::size_t at = 0; at < bytes.size(); at += 2)
        if ((bytes[at + (bigEndian ? 0 : 1)] != '\0') || bytes[at + (bigEndian ? 1 : 0)] == '\0')
            return false;
    return true;
}

// The bytes of a file as UTF-8 text: a byte-order mark set aside, and UTF-16, after its
// mark or plainly so without one, turned into UTF-8. Content that is no UTF-16 after a
// UTF-16 mark is kept as it is.
std::string decodedText(std::span<const std::uint8_t> content)
{
    const std::string_view bytes(reinterpret_cast<const char*>(content.data()), content.size());
    if (bytes.starts_with(kByteOrderMark))
        return std::string(bytes.substr(kByteOrderMark.size()));
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        if (std::optional<std::string> text = fromUtf16(bytes.substr(2), bytes[0] == '\xFE'))
            return *text;
    for (const bool bigEndian : {false, true})
        if (looksUtf16(bytes, bigEndian))
            return *fromUtf16(bytes, bigEndian);
    return std::string(bytes);
}

// The text of a record file without what editors and transfer programs add around it: a
// byte-order mark (decodedText), NUL padding in front and Ctrl-Z (an old end-of-file mark)
// or NUL padding behind.
std::string recordText(std::span<const std::uint8_t> content)
{
    std::string text = decodedText(content);
    while (!text.empty() && (text.back() == '\x1A' || text.back() == '\0'))
        text.pop_back();
    return text.substr(std::min(text.find_first_not_of('\0'), text.size()));
}

// A line of a record file that is not blank, without its leading and trailing blanks.
struct Line {
    std::size_t number = 0;
    std::size_t column = 1; // where `text` starts
    std::string_view text;
};

std::vector<Line> recordLines(std::string_view all)
{
    std::vector<Line> lines;
    std::size_t start = 0;
    for (std::size_t number = 1; start < all.size(); ++number) {
        const std::size_t end = std::min(all.find('\n', start), all.size());
        std::string_view text = all.substr(start, end - start);
        const std::size_t first = text.find_first_not_of(kBlanks);
        if (first != std::string_view::npos) {
            text = text.substr(first, text.find_last_not_of(kBlanks) + 1 - first);
            lines.push_back({number, first + 1, text});
        }
        start = end + 1;
    }
    return lines;
}

// A reader's refusal: what went wrong, at which line. Empty while all is well.
using Failure = std::string;

Failure refuse(std::size_t line, const std::string& what)
{
    return "line " + std::to_string(line) + ": " + what;
}

Failure refuse(const Line& line, const std::string& what) { return refuse(line.number, what); }

std::string characterShown(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x7F ? "'" + std::string(1, c) + "'"
                                       : layout::Format("the byte 0x%02X", byte);
}

// The bytes a record spells after its one- or two-character start.
Failure recordBytes(const Line& line, std::size_t start, std::vector<std::uint8_t>& bytes)
{
    const std::string_view digits = line.text.substr(start);
    for (std::size_t at = 0; at < digits.size(); ++at)
        if (layout::HexDigit(digits[at]) < 0)
            return "line " + std::to_string(line.number) + ", column " +
                   std::to_string(line.column + start + at) + ": " + characterShown(digits[at]) +
                   " is not a hex digit";
    if (digits.size() % 2 != 0)
        return refuse(line, "odd number of hex digits");
    bytes.clear();
    for (std::size_t at = 0; at < digits.size(); at += 2)
        bytes.push_back(static_cast<std::uint8_t>(layout::HexDigit(digits[at]) << 4 |
                                                  layout::HexDigit(digits[at + 1])));
    return {};
}

std::string addresses(std::uint64_t first, std::uint64_t last)
{
    return layout::Format("0x%02llX-0x%02llX", static_cast<unsigned long long>(first),
                          static_cast<unsigned long long>(last));
}

// Collects the data records into one image, in whatever order they come, and refuses
// data past the image, a byte given twice, and a gap before the last byte given.
class Assembler {
public:
    Failure add(const Line& line, std::uint64_t address, std::span<const std::uint8_t> data)
    {
        if (data.empty())
            return {};
        if (address + data.size() > CE2promData::kSize)
            return refuse(line, "data for " + addresses(address, address + data.size() - 1) +
                             " is past the end of the 256-byte image");
        for (std::size_t i = 0; i < data.size(); ++i) {
            const std::size_t at = static_cast<std::size_t>(address) + i;
            if (m_lineOf[at] != 0)
                return refuse(line, layout::Format("address 0x%02zX is given on line %zu already", at,
                                            m_lineOf[at]));
            m_lineOf[at] = line.number;
            m_bytes[at] = data[i];
        }
        return {};
    }

    ImageRead finish() const
    {
        std::size_t end = CE2promData::kSize;
        while (end > 0 && m_lineOf[end - 1] == 0)
            --end;
        if (end == 0)
            return {{}, "it holds no data records"};
        for (std::size_t at = 0; at < end; ++at) {
            if (m_lineOf[at] != 0)
                continue;
            std::size_t resume = at;
            while (m_lineOf[resume] == 0)
                ++resume;
            return {{}, refuse(m_lineOf[resume], "no data for " + addresses(at, resume - 1) +
                                                     " (a gap before this record)")};
        }
        return {{m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(end)}, {}};
    }

private:
    std::array<std::uint8_t, CE2promData::kSize> m_bytes{};
    std::array<std::size_t, CE2promData::kSize> m_lineOf{}; // 0: no record gave the byte
};

Failure checkCount(const Line& line, std::size_t counted, std::size_t stated, const char* what)
{
    if (counted == stated)
        return {};
    return refuse(line, "record holds " + std::to_string(counted) + " " + what +
                         " but its count says " + std::to_string(stated));
}

Failure checkChecksum(const Line& line, std::uint8_t given, unsigned expected)
{
    if (given == (expected & 0xFFu))
        return {};
    return refuse(line, "checksum " + hexByte(given) + " is wrong, expected " + hexByte(expected));
}

unsigned sumOf(std::span<const std::uint8_t> bytes)
{
    unsigned sum = 0;
    for (std::uint8_t byte : bytes)
        sum += byte;
    return sum;
}

// A reader's refusal, saying first what the file looked like.
ImageRead withLook(const char* look, ImageRead (*read)(std::span<const std::uint8_t>),
                   std::span<const std::uint8_t> content)
{
    ImageRead result = read(content);
    if (!result.ok())
        result.error = std::string("looks like ") + look + ", but " + result.error;
    return result;
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

Claim ClaimOf(std::span<const std::uint8_t> content)
{
    const std::string text = recordText(content);
    // A raw image may start like a line of text; one of the image's size is taken for what
    // it is unless it is text throughout.
    if (content.size() == CE2promData::kSize && !allText(text))
        return Claim::Nothing;
    // The first line that looks like a record or a profile claims the file, whatever text
    // comes before it (a comment is still refused by the reader, naming its line); a line
    // that is not text ends the search.
    for (const Line& line : recordLines(text)) {
        const std::string_view start = line.text;
        if (!allText(start))
            break;
        const bool digitFollows = start.size() > 1 && std::isdigit(static_cast<unsigned char>(start[1]));
        if (start[0] == '{')
            return Claim::Profile;
        if (start[0] == ':' && start.size() > 1 && layout::HexDigit(start[1]) >= 0)
            return Claim::IntelHex;
        if ((start[0] == 'S' || start[0] == 's') && digitFollows)
            return Claim::SRecord;
    }
    // Text is lines of text bytes. Padding says nothing about a file that no line claims (an
    // image of a few bytes among NULs is no text), and nor do a few bytes that happen to be
    // letters but end no line.
    std::string whole = decodedText(content);
    while (!whole.empty() && whole.back() == '\x1A')
        whole.pop_back();
    const bool lines = allText(whole) && whole.find_first_of("\r\n") != std::string::npos;
    return content.size() != CE2promData::kSize && lines ? Claim::Text : Claim::Nothing;
}

ImageRead ReadIntelHex(std::span<const std::uint8_t> content)
{
    Assembler image;
    std::uint64_t base = 0;
    std::size_t endLine = 0; // the line of the end record, once seen
    const std::string text = recordText(content);
    std::vector<std::uint8_t> bytes;
    for (const Line& line : recordLines(text)) {
        if (endLine)
            return {{}, refuse(line, "a record after the end-of-file record of line " +
                                         std::to_string(endLine))};
        if (line.text.front() != ':')
            return {{}, refuse(line, "a record must start with ':'")};
        if (Failure failure = recordBytes(line, 1, bytes); !failure.empty())
            return {{}, failure};
        if (bytes.size() < 5)
            return {{}, refuse(line, "record too short")};
        Failure failure = checkCount(line, bytes.size() - 5, bytes[0], "data bytes");
        if (failure.empty())
            failure = checkChecksum(line, bytes.back(),
                                    0x100u - (sumOf(std::span(bytes).first(bytes.size() - 1)) & 0xFFu));
        if (!failure.empty())
            return {{}, failure};
        const std::span<const std::uint8_t> data(bytes.data() + 4, bytes[0]);
        const std::uint32_t word = data.size() == 2 ? static_cast<std::uint32_t>(data[0] << 8 | data[1]) : 0;
        switch (bytes[3]) {
        case 0x00:
            failure = image.add(line, base + static_cast<std::uint32_t>(bytes[1] << 8 | bytes[2]), data);
            break;
        case 0x01:
            if (!data.empty())
                failure = refuse(line, "end-of-file record with data");
            endLine = line.number;
            break;
        case 0x02:
        case 0x04:
            if (data.size() != 2)
                failure = refuse(line, "extended address record needs two data bytes");
            base = bytes[3] == 0x02 ? std::uint64_t{word} << 4 : std::uint64_t{word} << 16;
            break;
        case 0x03:
        case 0x05:
            break; // start addresses mean nothing to an EEPROM image
        default:
            failure = refuse(line, "unknown record type " + hexByte(bytes[3]));
        }
        if (!failure.empty())
            return {{}, failure};
    }
    if (!endLine)
        return {{}, "it has no end-of-file record (the file may be cut short)"};
    return image.finish();
}

ImageRead ReadSRecord(std::span<const std::uint8_t> content)
{
    // Address bytes of each record type; S4 is reserved.
    static constexpr std::size_t kAddressSize[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};
    Assembler image;
    std::size_t dataRecords = 0;
    std::size_t endLine = 0;   // the line of the termination record, once seen
    bool countsLast = false;   // the last record so far is a count record
    const std::string text = recordText(content);
    std::vector<std::uint8_t> bytes;
    for (const Line& line : recordLines(text)) {
        if (endLine)
            return {{}, refuse(line, "a record after the termination record of line " +
                                         std::to_string(endLine))};
        if (line.text.size() < 2 || std::toupper(static_cast<unsigned char>(line.text[0])) != 'S' ||
            !std::isdigit(static_cast<unsigned char>(line.text[1])))
            return {{}, refuse(line, "a record must start with 'S' and its type digit")};
        const int type = line.text[1] - '0';
        const std::size_t addressSize = kAddressSize[type];
        if (addressSize == 0)
            return {{}, refuse(line, "record type S4 is reserved")};
        if (Failure failure = recordBytes(line, 2, bytes); !failure.empty())
            return {{}, failure};
        if (bytes.size() < 2 + addressSize)
            return {{}, refuse(line, "record too short")};
        Failure failure = checkCount(line, bytes.size() - 1, bytes[0], "bytes after its count");
        if (failure.empty())
            failure = checkChecksum(line, bytes.back(), ~sumOf(std::span(bytes).first(bytes.size() - 1)));
        if (!failure.empty())
            return {{}, failure};
        std::uint64_t address = 0;
        for (std::size_t i = 0; i < addressSize; ++i)
            address = address << 8 | bytes[1 + i];
        const std::span<const std::uint8_t> data(bytes.data() + 1 + addressSize,
                                                 bytes.size() - 2 - addressSize);
        countsLast = false;
        switch (type) {
        case 0:
            break; // header: a name, not image data
        case 1:
        case 2:
        case 3:
            failure = image.add(line, address, data);
            ++dataRecords;
            break;
        case 5:
        case 6:
            if (!data.empty())
                failure = refuse(line, "count record with data");
            else if (address != dataRecords)
                failure = refuse(line, "count record says " + std::to_string(address) +
                                           " data records but the file has " +
                                           std::to_string(dataRecords) + " before it");
            countsLast = true;
            break;
        default: // 7, 8, 9: termination with a start address
            endLine = line.number;
            break;
        }
        if (!failure.empty())
            return {{}, failure};
    }
    // Without a termination record, a count record at the end says the file is whole.
    if (!endLine && !countsLast)
        return {{}, "it has neither a termination record nor a count record at its end (the "
                    "file may be cut short)"};
    return image.finish();
}

ImageRead ImageBytesOf(std::span<const std::uint8_t> content, std::optional<Format> format)
{
    if (format == Format::Binary)
        return {{content.begin(), content.end()}, {}};
    if (format == Format::IntelHex)
        return withLook("Intel HEX", ReadIntelHex, content);
    if (format == Format::SRecord)
        return withLook("an S-record file", ReadSRecord, content);
    switch (ClaimOf(content)) {
    case Claim::Nothing:
        return {{content.begin(), content.end()}, {}};
    case Claim::IntelHex:
        return withLook("Intel HEX", ReadIntelHex, content);
    case Claim::SRecord:
        return withLook("an S-record file", ReadSRecord, content);
    case Claim::Profile:
        return {{}, "looks like a profile (JSON), not an image"};
    case Claim::Text:
        break;
    }
    return {{}, "looks like text, but no line of it is an Intel HEX or S-record record"};
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

} // namespace image
