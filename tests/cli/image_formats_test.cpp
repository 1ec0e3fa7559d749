// Image files in the text formats, as the tools of a production line make and read them
// (objcopy from binutils, srec_cat from srecord) and as they look once an editor or a
// transfer program has been over them.

#include "cli/error.h"
#include "cli/image_formats.h"

#include "tests/cli/cli_support.h"
#include "tests/support/random_image.h"

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
    const std::string image = testing_support::RandomImage(7);
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
    const std::string image = testing_support::RandomImage(8);
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

// The command line stops with the core's own words.
TEST(ImageFormats, ARefusalThrowsTheCoresMessage)
{
    EXPECT_EQ(refusal("hello\n"),
              "looks like text, but no line of it is an Intel HEX or S-record record");
    EXPECT_THROW(ReadSRecord(bytesOf("S9030000FC\n")), Error);
    EXPECT_EQ(ReadIntelHex(bytesOf(":0100000042BD\n:00000001FF\n")), bytesOf("\x42"));
}

} // namespace
