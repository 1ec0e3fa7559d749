// Image files in the text formats, as the tools of a production line make and read them
// (objcopy from binutils, srec_cat from srecord) and as they look once an editor or a
// transfer program has been over them.

#include "cli/error.h"
#include "cli/image_formats.h"

#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

using namespace cli;
using namespace cli_testing;

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

std::string randomImage(unsigned seed)
{
    std::mt19937 generator(seed);
    std::string image(256, '\0');
    for (char& byte : image)
        byte = static_cast<char>(generator());
    return image;
}

int shell(const TempFolder& folder, const std::string& command)
{
    return std::system(("cd '" + folder.path().string() + "' && " + command + " 2>/dev/null").c_str());
}

// The data records of a file in the opposite order; the others stay where they are.
std::string dataRecordsReversed(const std::string& text)
{
    std::vector<std::string> lines = LinesOf(text);
    auto isData = [](const std::string& line) {
        return line.starts_with("S1") || line.starts_with("S2") || line.starts_with("S3") ||
               (line[0] == ':' && line.substr(7, 2) == "00");
    };
    std::vector<std::size_t> data;
    for (std::size_t at = 0; at < lines.size(); ++at)
        if (isData(lines[at]))
            data.push_back(at);
    for (std::size_t i = 0; i < data.size() / 2; ++i)
        std::swap(lines[data[i]], lines[data[data.size() - 1 - i]]);
    std::string reversed;
    for (const std::string& line : lines)
        reversed += line + "\n";
    return reversed;
}

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return text;
}

std::string withCrLf(const std::string& text)
{
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return crlf;
}

TEST(ImageFormats, FilesOfObjcopyAndSrecCatReadAsTheImageTheyWereMadeFrom)
{
    TempFolder folder;
    const std::string image = randomImage(7);
    folder.write("image.bin", image);
    const std::string kTools[] = {
        "objcopy -I binary -O ihex image.bin out",
        "objcopy -I binary -O srec image.bin out",
        "objcopy -I binary -O srec --srec-forceS3 image.bin out",
        "srec_cat image.bin -binary -o out", // a count record and no termination
        "srec_cat image.bin -binary -o out -address-length=3",
        "srec_cat image.bin -binary -o out -address-length=4 -line-length=40",
        "srec_cat image.bin -binary -o out -intel",
    };
    // What editors and transfer programs do to a file on its way.
    const std::pair<const char*, std::function<std::string(const std::string&)>> kWays[] = {
        {"as made", [](const std::string& text) { return text; }},
        {"byte-order mark", [](const std::string& text) { return "\xEF\xBB\xBF" + text; }},
        {"Ctrl-Z", [](const std::string& text) { return text + "\x1A"; }},
        {"NUL padding", [](const std::string& text) { return text + std::string(5, '\0'); }},
        {"blank lines and spaces", [](const std::string& text) { return "\n \r\n  \t" + text + "\n\n"; }},
        {"lower case", lowerCase},
        {"CR LF", withCrLf},
        {"records out of order", dataRecordsReversed},
    };
    for (const std::string& tool : kTools) {
        ASSERT_EQ(shell(folder, tool), 0) << tool;
        const std::string made = folder.read("out");
        for (const auto& [way, change] : kWays)
            EXPECT_EQ(ImageBytesOf(bytesOf(change(made))), bytesOf(image)) << tool << ", " << way;
    }
}

TEST(ImageFormats, TheToolsReadOurFilesAsTheImage)
{
    TempFolder folder;
    const std::string image = randomImage(8);
    for (const Format format : {Format::IntelHex, Format::SRecord}) {
        const std::string text = Encoded(bytesOf(image), format);
        EXPECT_EQ(ImageBytesOf(bytesOf(text)), bytesOf(image));
        folder.write("ours", text);
        const std::string input = format == Format::IntelHex ? "ihex" : "srec";
        ASSERT_EQ(shell(folder, "objcopy -I " + input + " -O binary ours back.bin"), 0);
        EXPECT_EQ(folder.read("back.bin"), image) << NameOf(format);
        const std::string kind = format == Format::IntelHex ? " -intel" : "";
        ASSERT_EQ(shell(folder, "srec_info ours" + kind + " >info 2>&1"), 0);
        EXPECT_EQ(folder.read("info").find("warning"), std::string::npos) << folder.read("info");
    }
}

// A file is raw only when it is not text, or when it is exactly one image long and no text
// format claims it; text no format claims is refused.
TEST(ImageFormats, RawOnlyWhatNoTextFormatClaims)
{
    const std::string record = ":10000000" + std::string(32, 'F') + "00\n";
    std::string image = record + randomImage(9).substr(record.size());
    EXPECT_EQ(ImageBytesOf(bytesOf(image)), bytesOf(image));
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
