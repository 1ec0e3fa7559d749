// The built program as a user or a script runs it: arguments, files, standard input and
// output, messages and exit codes. That it builds and reads images as the editors do is
// checked against the editors themselves (editors_agree_ui_test.cpp).

#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace cli_testing;

namespace {

// A 16-byte image with some bytes set.
std::string Image(std::initializer_list<std::pair<int, std::uint8_t>> bytes)
{
    std::string image(16, '\0');
    for (const auto& [offset, value] : bytes)
        image[static_cast<std::size_t>(offset)] = static_cast<char>(value);
    return image;
}

// The corrections' warnings are checked against the editors' messages
// (editors_agree_ui_test.cpp); --strict refuses before writing.
TEST(Commands, StrictWritesNothingWhereACorrectionIsDue)
{
    TempFolder folder;
    folder.write("p.json", R"({"model": "qh404", "fields": {"current_sensing": "Gang",
                               "port1_non_removable": "Non-Removeable"}})");
    folder.write("precious.bin", "precious");
    const Result strict = folder.run("encode p.json --strict -o precious.bin");
    EXPECT_EQ(strict.code, 1);
    EXPECT_EQ(strict.err, "hubquill-cli: Conflict values of port power=0x0 and Current Sense=0x1, "
                          "set to default=0 (--strict: nothing written)\n");
    EXPECT_EQ(folder.run("encode p.json --strict").out, "");
    EXPECT_EQ(folder.read("precious.bin"), "precious");
}

// The answers the editors would be given are checked against them (editors_agree_ui_test.cpp).
TEST(Commands, DecodeAnswersOtherwiseWhenToldTo)
{
    TempFolder folder;
    const struct {
        std::string image, arguments;
        int code;
        std::string model, err;
    } kCases[] = {
        {Image({{2, 0x02}, {3, 0x25}}), "-m qh102 --strict", 1, "",
         "Dev PID 225 is not QH1xx. Click OK to go on, Cancel to abort [Cancel: --strict "
         "refuses an image of another model]\n"},
        {Image({{2, 0x03}, {3, 0x01}}), "-m qh102 --strict", 0, "qh103", // a note is no warning
         "note: the image names the QH103, whose form shows it\n"},
        {Image({{2, 0x09}, {3, 0x01}}), "-m qh102 --keep-model", 0, "qh102",
         "warning: Select QH107 as display template [answered No]\n"},
        {Image({{2, 0xA7}, {8, 0x03}}), "-m qh404 --strict", 1, "",
         "Over-Current Timer:Invalid value 0x3 (--strict: nothing written)\n"},
    };
    for (const auto& row : kCases) {
        folder.write("in.bin", row.image);
        const Result result = folder.run("decode in.bin " + row.arguments);
        EXPECT_EQ(result.code, row.code) << row.arguments;
        EXPECT_EQ(result.err, "hubquill-cli: " + row.err);
        if (row.model.empty())
            EXPECT_EQ(result.out, "");
        else
            EXPECT_EQ(nlohmann::json::parse(result.out)["model"], row.model);
    }
}

TEST(Commands, AnswerWithTheirExitCodeAndOneClearLine)
{
    TempFolder folder;
    folder.write("p.json", R"({"model": "qh404"})");
    folder.write("good.hex", ":020000001234B8\n:00000001FF\n");
    folder.write("brace.bin", "{\xFF\x01"); // an image may start with a brace
    folder.write("big.bin", std::string(300, '\xEE') + '\0');
    folder.write("empty.bin", "");
    folder.write("short.bin", std::string(15, '\x01'));
    folder.write("a.bin", Image({}));
    const struct {
        std::string arguments;
        int code;
        std::string out, err; // the first line of the error, after the program's name
    } kCases[] = {
        {"dump good.hex", 0, "00: 12 34 FF FF FF FF FF FF FF FF FF FF FF FF FF FF\n10: FF ", ""},
        {"dump brace.bin", 0, "00: 7B FF 01 FF ", ""},
        {"dump big.bin", 0, "00: EE ", "warning: big.bin holds 301 bytes; the first 256 are listed"},
        {"dump -", 1, "", "standard input: looks like Intel HEX, but line 1: checksum B9 is wrong, expected B8"},
        {"dump nothing.bin", 1, "", "nothing.bin: no such file"},
        {"dump empty.bin", 1, "", "empty.bin: empty file"},
        {"dump p.json", 1, "", "p.json: looks like a profile (JSON), not an image"},
        {"encode p.json --base short.bin", 1, "", "the file holds 15 bytes; a QH404 image file holds at least 16"},
        {"encode - --base -", 1, "", "only one of PROFILE and --base can be standard input"},
        {"defaults qh404 -o -", 0, "{\n  \"model\": \"qh404\",", ""},
        // diff answers as cmp does: trouble of any kind is 2.
        {"diff a.bin a.bin", 2, "", "diff needs --model MODEL when neither side is a profile"},
        {"diff p.json a.bin -m qh102", 2, "", "p.json is a profile for qh404, not for qh102"},
        {"diff p.json nothing.bin", 2, "", "nothing.bin: no such file"},
        {"diff p.json", 2, "", "B is required"},
        {"frobnicate", 2, "", "unknown command \"frobnicate\"; commands: models, defaults, encode, "
                              "batch, serials, decode, dump, diff, describe, keys"},
        {"encode p.json -o ''", 2, "", "--output: an empty name names no file; give - for standard output"},
        {"", 2, "", ""}, {"encode", 2, "", ""}, {"decode a.bin", 2, "", ""}, {"defaults qh999", 2, "", ""},
        {"encode p.json --format hex", 2, "", ""}, {"models extra", 2, "", ""},
    };
    for (const auto& row : kCases) {
        const Result result = folder.run(row.arguments, ":020000001234B9\n:00000001FF\n");
        EXPECT_EQ(result.code, row.code) << row.arguments;
        EXPECT_EQ(result.out.substr(0, row.code == 0 ? row.out.size() : std::string::npos), row.out);
        // One line, and for a usage error a second that says where to look.
        std::vector<std::string> lines = LinesOf(result.err);
        if (lines.size() == 2) {
            EXPECT_EQ(lines.back(), "Run 'hubquill-cli --help' for the commands and their options.");
            lines.pop_back();
        }
        EXPECT_EQ(lines.size(), row.code == 0 && row.err.empty() ? 0u : 1u) << row.arguments;
        if (!row.err.empty() && !lines.empty()) {
            EXPECT_EQ(lines[0], "hubquill-cli: " + row.err);
        }
    }
    const Result help = folder.run("--help");
    EXPECT_EQ(help.code, 0);
    for (const char* command : {"models", "defaults", "encode", "decode", "dump", "diff", "describe"})
        EXPECT_NE(help.out.find(std::string("\n  ") + command + " "), std::string::npos) << command;
}

// A file that is text is read as the format it is or refused, never taken for raw bytes;
// a profile too deep to walk and a loop of links are refused; nothing stops the program.
TEST(Commands, InputsAreReadAsWhatTheyAreOrRefusedWithoutStopping)
{
    TempFolder folder;
    const std::string hex = ":020000001234B8\n:00000001FF\n";
    auto utf16 = [&](bool bigEndian, bool mark = true) {
        std::string units = !mark ? "" : bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char c : hex)
            units += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        return units;
    };
    folder.write("le.hex", utf16(false));
    folder.write("be.hex", utf16(true));
    folder.write("unmarked.hex", utf16(false, false));
    folder.write("nul.hex", '\0' + hex);
    folder.write("comment.hex", "; made by hand\n" + hex);
    folder.write("notes.txt", "VID 1234\n");
    folder.write("p.json", R"({"model": "qh207", "fields": {"string_enable": "Strings Enabled"}})");
    folder.write("deep.json", R"({"model": "qh404", "fields": {"vid": )" + std::string(100000, '[') +
                                  std::string(100000, ']') + "}}");
    std::filesystem::create_symlink("loop.json", folder.path() / "loop.json");
    const std::string listed = "00: 12 34 FF FF ";
    const struct {
        std::string arguments;
        int code;
        std::string out, err; // the start of the output; the last line of the error
    } kCases[] = {
        {"dump le.hex", 0, listed, ""},
        {"dump be.hex", 0, listed, ""},
        {"dump unmarked.hex", 0, listed, ""},
        {"dump nul.hex", 0, listed, ""},
        {"dump comment.hex", 1, "", "comment.hex: looks like Intel HEX, but line 1: a record must start with ':'"},
        {"dump notes.txt", 1, "", "notes.txt: looks like text, but no line of it is an Intel HEX or S-record record"},
        {"dump notes.txt --format bin", 0, "00: 56 49 44 20 31 32 33 34 0A FF ", ""},
        {"encode deep.json", 1, "", "deep.json: line 1, column 100: values nested more than 64 deep"},
        {"encode loop.json", 1, "", "loop.json: too many links"},
        {"diff loop.json p.json", 2, "", "loop.json: too many links"},
        {"batch p.json --serial A001 --count 1 --out-dir . --state loop.json", 1, "", "loop.json: too many links"},
    };
    for (const auto& row : kCases) {
        const Result result = folder.run(row.arguments);
        EXPECT_EQ(result.code, row.code) << row.arguments;
        EXPECT_EQ(result.out.substr(0, row.code == 0 ? row.out.size() : std::string::npos), row.out)
            << row.arguments;
        const std::vector<std::string> lines = LinesOf(result.err);
        EXPECT_EQ(lines.empty() ? "" : lines.back(), row.err.empty() ? "" : "hubquill-cli: " + row.err)
            << row.arguments;
    }
}

// A script that sends the output to a full disk learns that it is not there.
TEST(Commands, EveryCommandFailsWhenStandardOutputCannotBeWritten)
{
    TempFolder folder;
    folder.write("p.json", R"({"model": "qh404"})");
    folder.write("a.bin", Image({{2, 0xA7}}));
    for (const std::string command : {"models", "defaults qh404", "encode p.json", "decode a.bin -m qh404",
                                      "dump a.bin", "describe qh404", "keys", "--help", "--version",
                                      "diff p.json a.bin"}) {
        const Result result = folder.run(command + " >/dev/full");
        EXPECT_EQ(result.code, command.starts_with("diff") ? 2 : 1) << command;
        EXPECT_EQ(result.err, "hubquill-cli: writing to standard output failed\n") << command;
    }
}

// What a name is, is what it leads to: standard output however it is named is written as
// it is open, and a plain file however it is reached is replaced whole or refused.
TEST(Commands, SavesGoWhereTheNameLeadsAndLoseNothing)
{
    TempFolder folder;
    folder.write("p.json", R"({"model": "qh404"})");
    const std::string image = folder.run("encode p.json").out;
    ASSERT_EQ(image.size(), 256u);
    const std::string here = folder.path().string();
    const std::string program = "'" + std::string(HUBQUILL_CLI_PATH) + "' ";
    const std::string refused = ": cannot be written: permission denied (an existing file is left as it was)\n";
    auto readOnly = [&](const std::string& name) {
        folder.write(name, "precious");
        ::chmod((folder.path() / name).c_str(), 0444);
    };
    // A folder on a read-only file system, where the machine lets the test mount one.
    std::filesystem::create_directory(folder.path() / "ro");
    const bool mounted = ::mount("tmpfs", (folder.path() / "ro").c_str(), "tmpfs", 0, "size=16k") == 0;
    if (mounted) {
        folder.write("ro/nv.bin", "precious");
        ::mount(nullptr, (folder.path() / "ro").c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
    }
    const std::string longPath = "long/" + std::string(200, 'd') + "/" + std::string(250, 'n');
    std::filesystem::create_directories(folder.path() / "long" / std::string(200, 'd'));
    const struct {
        const char* what;
        std::function<void()> prepare;
        std::string arguments;
        int code;
        std::string err;
        std::string file, content; // what the file holds afterwards
    } kCases[] = {
        {"/dev/stdout appended to a log", [&] { folder.write("log", "log\n"); },
         "encode p.json -o /dev/stdout >>log", 0, "", "log", "log\n" + image},
        {"/dev/stderr appended to a log", [&] { folder.write("log", "log\n"); },
         "encode p.json -o /dev/stderr 2>>log", 0, "", "log", "log\n" + image},
        {"/dev/fd/1 between other output", [] {},
         "encode p.json -o /dev/fd/1 --format srec; echo middle; " + program +
             "encode p.json -o /proc/self/fd/1 --format ihex; echo end",
         0, "", ".stdout",
         folder.run("encode p.json --format srec").out + "middle\n" +
             folder.run("encode p.json --format ihex").out + "end\n"},
        {"a read-only file by way of /dev/..", [&] { readOnly("ro.bin"); },
         "encode p.json -o /dev/.." + here + "/ro.bin", 1, "/dev/.." + here + "/ro.bin" + refused,
         "ro.bin", "precious"},
        {"a read-only file by way of /proc/self/cwd", [&] { readOnly("ro.bin"); },
         "encode p.json -o /proc/self/cwd/ro.bin", 1, "/proc/self/cwd/ro.bin" + refused, "ro.bin", "precious"},
        {"a link to it", [&] {
             readOnly("ro.bin");
             std::filesystem::create_symlink("/proc/self/cwd/ro.bin", folder.path() / "link.bin");
         },
         "encode p.json -o link.bin", 1, "link.bin" + refused, "ro.bin", "precious"},
        {"a new file by way of /proc/self/cwd", [] {}, "encode p.json -o /proc/self/cwd/new.bin", 0, "",
         "new.bin", image},
        {"a file on a read-only file system", [] {}, "encode p.json -o ro/nv.bin", 1,
         "ro/nv.bin: cannot be written: read-only file system (an existing file is left as it was)\n",
         "ro/nv.bin", "precious"},
        {"a path of 456 characters", [] {}, "encode p.json -o " + longPath, 0, "", longPath, image},
        {"a part of 256 characters", [] {}, "encode p.json -o " + std::string(256, 'n'), 1,
         std::string(256, 'n') + ": cannot be written: name too long (an existing file is left as it was)\n",
         "", ""},
    };
    for (const auto& row : kCases) {
        if (!mounted && row.file.starts_with("ro/"))
            continue; // no read-only file system to be had
        std::filesystem::remove(folder.path() / "link.bin");
        std::filesystem::remove(folder.path() / "ro.bin");
        row.prepare();
        const Result result = folder.run(row.arguments);
        EXPECT_EQ(result.code, row.code) << row.what;
        EXPECT_EQ(result.err, row.err.empty() ? "" : "hubquill-cli: " + row.err) << row.what;
        if (!row.file.empty()) {
            EXPECT_EQ(row.file == ".stdout" ? result.out : folder.read(row.file), row.content)
                << row.what;
        }
    }
    if (mounted)
        ::umount((folder.path() / "ro").c_str());
}

// Owner and group stay those of the replaced file, where the process may set them.
TEST(Commands, AReplacedFileKeepsItsOwner)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "not run as root, which alone gives a file to another user";
    TempFolder folder;
    folder.write("p.json", R"({"model": "qh404"})");
    const std::string image = folder.run("encode p.json").out;
    folder.write("owned.bin", "precious");
    const std::string owned = (folder.path() / "owned.bin").string();
    ASSERT_EQ(::chown(owned.c_str(), 65534, 65534), 0);
    ::chmod(owned.c_str(), 0640);
    ASSERT_EQ(folder.run("encode p.json -o owned.bin").code, 0);
    struct stat status {};
    ASSERT_EQ(::stat(owned.c_str(), &status), 0);
    EXPECT_EQ(folder.read("owned.bin"), image);
    EXPECT_EQ(status.st_uid, 65534u);
    EXPECT_EQ(status.st_gid, 65534u);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(Commands, DiffNamesTheFieldsThenEveryOtherByteThatDiffers)
{
    TempFolder folder;
    folder.write("a.json", R"({"model": "qh404"})");
    folder.write("c.json", R"({"extends": "a.json"})"); // the model may come from a base
    folder.write("b.json", R"({"model": "qh404", "fields": {"vid": "1234", "on_the_go": "Enable OTG"}})");
    std::string b = folder.run("encode b.json").out;
    folder.write("b.bin", b);
    const std::string fields = "VID (hex) [0x00-0x01 high byte first]: A \"7A7A\", B \"1234\"\n"
                               "On-The_Go [0x08 bit 6]: A \"Disable OTG\", B \"Enable OTG\"\n";
    const Result result = folder.run("diff c.json b.bin");
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.out, fields);
    b[8] ^= 0x10; // a spare bit
    folder.write("b.bin", b);
    EXPECT_EQ(folder.run("diff c.json b.bin").out,
              fields + "byte 0x08 (no field shows the difference): A 05, B 55\n");
    const std::string a = folder.run("encode a.json").out;
    folder.write("a.bin", a);
    const Result equal = folder.run("diff a.bin a.json -m qh404");
    EXPECT_EQ(equal.code, 0);
    EXPECT_EQ(equal.out, "");

    // Bytes past what a QH404 load reads differ too; --base does not keep them, as the
    // editor's load does not, and says so.
    std::string c = a;
    c[0x80] = 0x00;
    folder.write("c.bin", c);
    folder.write("short.bin", a.substr(0, 16));
    EXPECT_EQ(folder.run("diff a.bin c.bin -m qh404").out, "byte 0x80 (not used by this model): A FF, B 00\n");
    EXPECT_EQ(folder.run("diff short.bin a.json").out, "size: A 16 bytes, B 256 bytes\n");
    const Result based = folder.run("encode a.json --base c.bin");
    EXPECT_EQ(based.out, a);
    EXPECT_EQ(based.err, "hubquill-cli: warning: --base c.bin: byte 0x80 is not kept (the QH404 "
                         "editor's load reads only the first 16 bytes of a file)\n");
}

TEST(Commands, ModelsAndDescribeListWhatTheyShouldAndTheDocsListTheKeys)
{
    TempFolder folder;
    const std::vector<std::string> listed = LinesOf(folder.run("models").out);
    ASSERT_EQ(listed.size(), 12u);
    EXPECT_TRUE(listed[0].starts_with("qh404 ")) << listed[0];
    EXPECT_TRUE(listed[11].starts_with("qh207 ")) << listed[11];
    const std::string qh107 = folder.run("describe qh107").out;
    for (const char* line :
         {"\n0x02-0x03 low byte first  PID (Hex) [pid]: hex text of at most 7 characters (16 "
          "bits stored); the form offers \"0103\", \"0104\", \"0105\", \"0106\", \"0107\"; default \"0107\"\n",
          "\n0x07 bits 5-4             Over-Current Timer [over_current_timer]: 0x0 \"0.1ms\", "
          "0x1 \"2ms\", 0x2 \"4ms\", 0x3 \"6ms\"; default \"2ms\"\n",
          "\n0x0B                      Self Power: Max Power (Hex) [self_max_power]: "})
        EXPECT_NE(qh107.find(line), std::string::npos) << line;

    const std::filesystem::path docs =
        std::filesystem::path(HUBQUILL_SOURCE_DIR) / "docs/profiles.md";
    EXPECT_EQ(ReadFile(docs), folder.run("keys").out)
        << "docs/profiles.md is out of date: run `hubquill-cli keys > docs/profiles.md`";
}

} // namespace
