#include "cli/error.h"
#include "cli/image_formats.h"

#include <gtest/gtest.h>

#include <random>

using namespace cli;

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

// The message of the refusal, or "" when the content was accepted.
std::string refusal(std::string_view text)
{
    try {
        ImageBytesOf(bytesOf(text));
    } catch (const Error& error) {
        return error.what();
    }
    return {};
}

const std::string kFreshRecord = ":10000000" + std::string(32, 'F') + "00\n";
const std::string kFreshSRecord = "S1130000" + std::string(32, 'F') + "FC\n";

TEST(ImageFormats, WrittenImagesReadBackToTheSameBytes)
{
    std::mt19937 generator(1);
    for (int round = 0; round < 3; ++round) {
        std::vector<std::uint8_t> image(256);
        for (auto& byte : image)
            byte = static_cast<std::uint8_t>(generator());
        for (Format format : {Format::IntelHex, Format::SRecord, Format::Binary})
            EXPECT_EQ(ImageBytesOf(bytesOf(Encoded(image, format))), image) << NameOf(format);
    }
}

// Records written by hand, as other tools write them, keep the writer and the reader from
// agreeing on a wrong checksum.
TEST(ImageFormats, RecognisedByContentAndReadFromOtherTools)
{
    // A raw image may start with ':' or "S1"; its other bytes are not text.
    std::vector<std::uint8_t> raw = bytesOf(kFreshRecord);
    raw.push_back(0xFF);
    EXPECT_EQ(ImageBytesOf(raw), raw);
    EXPECT_EQ(RecogniseFormat(bytesOf("Sx")), Format::Binary);
    // Lower-case digits, CR LF, an extended address of 0 and a start address.
    const std::string text = ":020000040000FA\r\n" + kFreshRecord +
                             ":0b0010006164647265737320676170a7\r\n"
                             ":0400000300003800C1\r\n:00000001FF\r\n";
    const std::vector<std::uint8_t> bytes = ImageBytesOf(bytesOf(text));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string(16, '\xFF') + "address gap");
    const std::string records = "S00600004844521B\n" + kFreshSRecord + "S5030001FB\nS9030000FC\n";
    EXPECT_EQ(ImageBytesOf(bytesOf(records)), std::vector<std::uint8_t>(16, 0xFF));
}

TEST(ImageFormats, MalformedRecordsAreRefusedWithTheirLine)
{
    const std::string ok = kFreshRecord;
    const std::string eof = ":00000001FF\n";
    const std::string header = "S00600004844521B\n";
    const std::string end = "S9030000FC\n";
    const std::pair<std::string, std::string> kCases[] = {
        {ok + ":0B0010006164647265737320676170A6\n" + eof, "line 2: checksum A6 is wrong, expected A7"},
        {ok + ":0000\n" + eof, "line 2: record too short"},
        {ok + ":0C0010006164647265737320676170A6\n" + eof,
         "line 2: record holds 11 data bytes but its count says 12"},
        {ok + "\n:0B002000616464726573732067617097\n" + eof,
         "line 3: gap: data resumes at address 0x20 but the data before ends at 0x10"},
        {ok + ok + eof, "line 2: address 0x0 overlaps data given before"},
        {ok + ":10001000" + std::string(31, 'F') + "G00\n" + eof,
         "line 2: a character that is not a hex digit"},
        {ok + eof + ok, "line 3: record after the end-of-file record of line 2"},
        {ok + "10000000\n" + eof, "line 2: a record must start with ':'"},
        {ok + ":01010006FFF9\n" + eof, "line 2: unknown record type 06"},
        {":020000040001F9\n" + ok + eof, "line 2: data past the end of the 256-byte image"},
        {ok, "Intel HEX file without end-of-file record (the file may be cut short)"},
        {header + "S1130000" + std::string(32, 'F') + "FD\n" + end,
         "line 2: checksum FD is wrong, expected FC"},
        {header + "S1030000\n" + end, "line 2: record too short"},
        {header + "S1140000" + std::string(32, 'F') + "FC\n" + end,
         "line 2: record holds 19 bytes after its count but the count says 20"},
        {header + kFreshSRecord + "S5030002FA\n" + end,
         "line 3: count record says 2 data records but the file has 1 before it"},
        {kFreshSRecord + "S1130020" + std::string(32, 'F') + "DC\n" + end,
         "line 2: gap: data resumes at address 0x20 but the data before ends at 0x10"},
        {header + "S4030000FC\n" + end, "line 2: record type S4 is reserved"},
        {header + kFreshSRecord,
         "S-record file without termination record (the file may be cut short)"},
    };
    for (const auto& [content, message] : kCases)
        EXPECT_EQ(refusal(content), message) << content;
}

} // namespace
