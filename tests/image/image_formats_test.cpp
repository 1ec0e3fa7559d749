// The readers and writers of the image file formats as the core answers: a refusal is a
// message and no bytes, never an exception.

#include "image/image_formats.h"
#include "tests/support/random_image.h"

#include <gtest/gtest.h>

#include <random>

using namespace image;

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

// The message of the refusal, or "" when the content was accepted.
std::string refusal(std::string_view text)
{
    const ImageRead read = ImageBytesOf(bytesOf(text));
    if (!read.ok()) {
        EXPECT_TRUE(read.bytes.empty()) << text;
    }
    return read.error;
}

TEST(ImageFormats, OurFilesReadBackAsTheImage)
{
    const std::vector<std::uint8_t> image = bytesOf(testing_support::RandomImage(8));
    for (const Format format : {Format::Binary, Format::IntelHex, Format::SRecord}) {
        const std::string text = Encoded(image, format);
        const ImageRead read = ImageBytesOf(bytesOf(text));
        EXPECT_TRUE(read.ok()) << read.error;
        EXPECT_EQ(read.bytes, image) << NameOf(format);
        EXPECT_EQ(FormatNamed(NameOf(format)), format);
    }
    // The first and last records, worked by hand.
    const std::string hex = Encoded(std::vector<std::uint8_t>(16, 0x11), Format::IntelHex);
    EXPECT_EQ(hex, ":1000000011111111111111111111111111111111E0\n:00000001FF\n");
}

// A file is raw only when it is not text, or when it is exactly one image long and no text
// format claims it; text no format claims is refused.
TEST(ImageFormats, RawOnlyWhatNoTextFormatClaims)
{
    const std::string record = ":10000000" + std::string(32, 'F') + "00\n";
    std::string image = record + testing_support::RandomImage(9).substr(record.size());
    EXPECT_EQ(ImageBytesOf(bytesOf(image)).bytes, bytesOf(image));
    EXPECT_EQ(refusal(record + "\xFF"),
              "looks like Intel HEX, but line 2: a record must start with ':'");
    EXPECT_EQ(refusal("{\"model\": \"qh404\",}"), "looks like a profile (JSON), not an image");
    const std::pair<std::string, Claim> kClaims[] = {
        {"{\xFF\x01", Claim::Nothing},
        {":\xFF", Claim::Nothing},
        {std::string("\0\0A\0", 4), Claim::Nothing}, // a few bytes among NULs are no text
        {"\xFF\xFE\xFF\xFF", Claim::Nothing},         // no UTF-16 a text file holds
        {"Sx", Claim::Nothing},                       // no line without a line end
        {"hello\n", Claim::Text},
        {" \n", Claim::Text},
        {std::string(256, 'x'), Claim::Nothing},      // one image long
        {"; made by hand\n:00000001FF\n", Claim::IntelHex},
    };
    for (const auto& [content, claim] : kClaims)
        EXPECT_EQ(ClaimOf(bytesOf(content)), claim) << content;
}

TEST(ImageFormats, MalformedRecordsAreRefusedWithTheirLine)
{
    const std::string ok = ":10000000" + std::string(32, 'F') + "00\n";
    const std::string eof = ":00000001FF\n";
    const std::string header = "S00600004844521B\n";
    const std::string data = "S1130000" + std::string(32, 'F') + "FC\n";
    const std::string end = "S9030000FC\n";
    const std::pair<std::string, std::string> kCases[] = {
        {ok + ":0B0010006164647265737320676170A6\n" + eof, "line 2: checksum A6 is wrong, expected A7"},
        {ok + ":0000\n" + eof, "line 2: record too short"},
        {ok + ":0C0010006164647265737320676170A6\n" + eof,
         "line 2: record holds 11 data bytes but its count says 12"},
        {ok + "\n:0B002000616464726573732067617097\n" + eof,
         "line 3: no data for 0x10-0x1F (a gap before this record)"},
        {ok + ok + eof, "line 2: address 0x00 is given on line 1 already"},
        {ok + "  :10001000" + std::string(31, 'F') + "G00\n" + eof,
         "line 2, column 43: 'G' is not a hex digit"},
        {ok + eof + ok, "line 3: a record after the end-of-file record of line 2"},
        {ok + ":01010006FFF9\n" + eof, "line 2: unknown record type 06"},
        {":020000040001F9\n" + ok + eof, "line 2: data for 0x10000-0x1000F is past the end of the 256-byte image"},
        {ok, "it has no end-of-file record (the file may be cut short)"},
        {":020000040000FA\n" + eof, "it holds no data records"},
        {header + "S1130000" + std::string(32, 'F') + "FD\n" + end, "line 2: checksum FD is wrong, expected FC"},
        {header + "S1030000\n" + end, "line 2: record too short"},
        {header + "S1140000" + std::string(32, 'F') + "FC\n" + end,
         "line 2: record holds 19 bytes after its count but its count says 20"},
        {header + data + "S5030002FA\n" + end,
         "line 3: count record says 2 data records but the file has 1 before it"},
        {header + "S4030000FC\n" + end, "line 2: record type S4 is reserved"},
        {header + data + "S5030001FB\n" + data, "line 4: address 0x00 is given on line 2 already"},
        {header + data, "it has neither a termination record nor a count record at its end (the "
                        "file may be cut short)"},
    };
    for (const auto& [content, message] : kCases) {
        const std::string look = content[0] == ':' ? "Intel HEX" : "an S-record file";
        EXPECT_EQ(refusal(content), "looks like " + look + ", but " + message) << content;
    }
}

} // namespace
