#include "cli/error.h"
#include "cli/image_formats.h"

#include <gtest/gtest.h>

#include <random>

using namespace cli;

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> randomImage(unsigned seed)
{
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> image(256);
    for (auto& byte : image)
        byte = static_cast<std::uint8_t>(generator());
    return image;
}

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

TEST(ImageFormats, TextFormatsReadBackToTheSameBytes)
{
    for (unsigned seed : {1u, 2u, 3u}) {
        const std::vector<std::uint8_t> image = randomImage(seed);
        for (Format format : {Format::IntelHex, Format::SRecord, Format::Binary}) {
            const std::string text = Encoded(image, format);
            const std::vector<std::uint8_t> content = bytesOf(text);
            EXPECT_EQ(ImageBytesOf(content), image) << NameOf(format) << " seed " << seed;
        }
    }
    const std::vector<std::uint8_t> fresh(256, 0xFF);
    const std::string hex = Encoded(fresh, Format::IntelHex);
    EXPECT_EQ(hex.substr(0, kFreshRecord.size()), kFreshRecord);
    EXPECT_EQ(hex.substr(hex.size() - 12), ":00000001FF\n");
    const std::string srec = Encoded(fresh, Format::SRecord);
    EXPECT_NE(srec.find("\n" + kFreshSRecord), std::string::npos);
    EXPECT_EQ(srec.substr(srec.size() - 22), "S5030010EC\nS9030000FC\n");
}

TEST(ImageFormats, RecognisedByContent)
{
    EXPECT_EQ(RecogniseFormat(bytesOf(kFreshRecord)), Format::IntelHex);
    EXPECT_EQ(RecogniseFormat(bytesOf(kFreshSRecord)), Format::SRecord);
    // A raw image may start with ':' or "S1"; its other bytes are not text.
    std::vector<std::uint8_t> raw = bytesOf(kFreshRecord);
    raw.push_back(0xFF);
    EXPECT_EQ(RecogniseFormat(raw), Format::Binary);
    EXPECT_EQ(ImageBytesOf(raw), raw);
    EXPECT_EQ(RecogniseFormat(bytesOf("Sx")), Format::Binary);
}

TEST(ImageFormats, IntelHexRecordsOfOtherToolsAreRead)
{
    // A record from another writer (lower-case digits, CR LF), the 16 bytes before it,
    // an extended address of 0 and a start address, which mean nothing here.
    const std::string text = ":020000040000FA\r\n" + kFreshRecord +
                             ":0b0010006164647265737320676170a7\r\n"
                             ":0400000300003800C1\r\n:00000001FF\r\n";
    const std::vector<std::uint8_t> bytes = ImageBytesOf(bytesOf(text));
    ASSERT_EQ(bytes.size(), 27u);
    EXPECT_EQ(std::string(bytes.begin() + 16, bytes.end()), "address gap");
}

TEST(ImageFormats, MalformedIntelHexIsRefusedWithItsLine)
{
    const std::string ok = kFreshRecord;
    const std::string eof = ":00000001FF\n";
    EXPECT_EQ(refusal(ok + ":0B0010006164647265737320676170A6\n" + eof),
              "line 2: checksum A6 is wrong, expected A7");
    EXPECT_EQ(refusal(ok + ":0000\n" + eof), "line 2: record too short");
    EXPECT_EQ(refusal(ok + ":0C0010006164647265737320676170A6\n" + eof),
              "line 2: record holds 11 data bytes but its count says 12");
    EXPECT_EQ(refusal(ok + "\n:0B002000616464726573732067617097\n" + eof).substr(0, 28),
              "line 3: gap: data resumes at");
    EXPECT_EQ(refusal(ok + ok + eof), "line 2: address 0x0 overlaps data given before");
    EXPECT_EQ(refusal(ok + ":10001000" + std::string(31, 'F') + "G00\n" + eof),
              "line 2: a character that is not a hex digit");
    EXPECT_EQ(refusal(ok + eof + ok), "line 3: record after the end-of-file record of line 2");
    EXPECT_EQ(refusal(ok + "10000000\n" + eof), "line 2: a record must start with ':'");
    EXPECT_EQ(refusal(ok + ":01010006FFF9\n" + eof), "line 2: unknown record type 06");
    EXPECT_NE(refusal(ok).find("without end-of-file record"), std::string::npos)
        << "a file cut short is not an image";
    EXPECT_NE(refusal(":020000040001F9\n" + ok + eof).find("past the end"), std::string::npos)
        << "an extended address moves the data beyond the image";
}

TEST(ImageFormats, MalformedSRecordsAreRefusedWithTheirLine)
{
    const std::string header = "S00600004844521B\n";
    const std::string end = "S9030000FC\n";
    EXPECT_EQ(ImageBytesOf(bytesOf(header + kFreshSRecord + "S5030001FB\n" + end)).size(), 16u);
    EXPECT_EQ(refusal(header + "S1130000" + std::string(32, 'F') + "FD\n" + end),
              "line 2: checksum FD is wrong, expected FC");
    EXPECT_EQ(refusal(header + "S1030000\n" + end), "line 2: record too short");
    EXPECT_EQ(refusal(header + "S1140000" + std::string(32, 'F') + "FC\n" + end),
              "line 2: record holds 19 bytes after its count but the count says 20");
    EXPECT_EQ(refusal(header + kFreshSRecord + "S5030002FA\n" + end),
              "line 3: count record says 2 data records but the file has 1 before it");
    EXPECT_EQ(refusal(kFreshSRecord + "S1130020" + std::string(32, 'F') + "DC\n" + end)
                  .substr(0, 28),
              "line 2: gap: data resumes at");
    EXPECT_EQ(refusal(header + "S4030000FC\n" + end), "line 2: record type S4 is reserved");
    EXPECT_NE(refusal(header + kFreshSRecord).find("without termination record"),
              std::string::npos);
}

} // namespace
