// Batches as a production line runs them: the built program, its files, its manifest and
// its state file, with stations running at once, a batch killed half-way and a full disk.
// They run in a RAM folder where there is one: a flush to the disk then costs nothing, so
// a thousand images take a moment (what a flush costs is the benchmark's matter).

#include "cli/actions.h"
#include "cli/image_formats.h"
#include "cli/profile.h"
#include "cli/serial.h"
#include "editors/registry.h"

#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <regex>
#include <set>
#include <sys/mount.h>
#include <unistd.h>

using namespace cli_testing;

namespace {

fs::path RamOrTemp()
{
    return ::access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm") : fs::temp_directory_path();
}

const std::string kStrings = R"("string_enable": "Strings Enabled")";

std::string Profile(const std::string& model, const std::string& fields)
{
    return R"({"model": ")" + model + R"(", "fields": {)" + fields + "}}";
}

std::vector<std::string> FileNames(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The profile fields of an image file, loaded as the model's editor loads it.
nlohmann::json Decoded(const fs::path& file, const std::string& modelId)
{
    const std::string content = ReadFile(file);
    const auto bytes = cli::ImageBytesOf(std::vector<std::uint8_t>(content.begin(), content.end()));
    const layout::Model& model = cli::ModelNamed(editors::AllModels(), modelId);
    const cli::Loaded loaded = cli::Load(model, bytes, {.followDisplay = false});
    return cli::ProfileOf(model, loaded.values)["fields"];
}

// Manifest lines by serial: file name and hash.
std::map<std::string, std::pair<std::string, std::string>> ManifestOf(const std::string& csv)
{
    const std::regex line(R"(([^,]+),([^,]+),([0-9a-f]{64}),\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
    std::map<std::string, std::pair<std::string, std::string>> entries;
    const std::vector<std::string> lines = LinesOf(csv);
    EXPECT_EQ(lines.at(0), "serial,file,sha256,utc");
    for (std::size_t at = 1; at < lines.size(); ++at) {
        std::smatch match;
        EXPECT_TRUE(std::regex_match(lines[at], match, line)) << lines[at];
        EXPECT_TRUE(entries.emplace(match[1], std::pair(match[2], match[3])).second)
            << "listed twice: " << match[1];
    }
    return entries;
}

std::string SerialNumber(int number, int width = 4)
{
    std::string digits = std::to_string(number);
    return "SN" + std::string(static_cast<std::size_t>(width) - digits.size(), '0') + digits;
}

TEST(Batch, CountsUpItsSerialsWithTheirLengthsAndListsEachImage)
{
    TempFolder folder(RamOrTemp());
    folder.write("p.json", Profile("qh204-48", kStrings + R"(, "vid": "1234", "mfg_string": "Acme")"));
    fs::create_directory(folder.path() / "out");
    const Result result = folder.run("batch p.json --set 'product_string=Hub 7' --serial SN0990 "
                                     "--count 1000 --out-dir out --manifest m.csv");
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.err, "") << "quiet off a terminal";

    const layout::Model& model = cli::ModelNamed(editors::AllModels(), "qh204-48");
    nlohmann::json expected = cli::DefaultProfile(model)["fields"];
    expected.update(nlohmann::json{{"vid", "1234"},         {"mfg_string", "Acme"},
                                   {"mfg_length", "04"},    {"product_string", "Hub 7"},
                                   {"product_length", "05"}, {"serial_length", "06"},
                                   {"string_enable", "Strings Enabled"}});
    std::system(("cd '" + folder.path().string() + "/out' && sha256sum * > ../sums").c_str());
    std::map<std::string, std::string> sums;
    for (const std::string& line : LinesOf(folder.read("sums")))
        sums[line.substr(66)] = line.substr(0, 64);
    const auto manifest = ManifestOf(folder.read("m.csv"));

    std::vector<std::string> names = FileNames(folder.path() / "out");
    ASSERT_EQ(names.size(), 1000u);
    for (int number = 990; number < 1990; ++number) {
        const std::string serial = SerialNumber(number);
        const std::string name = serial + ".bin";
        ASSERT_EQ(names[static_cast<std::size_t>(number - 990)], name);
        expected["serial_string"] = serial;
        EXPECT_EQ(Decoded(folder.path() / "out" / name, "qh204-48"), expected) << name;
        EXPECT_EQ(manifest.at(serial), std::pair(name, sums.at(name)));
    }

    // The QH304 checks its lengths before it builds; the text formats are named for theirs.
    folder.write("q.json", Profile("qh304", R"("string_enable": "Enable String Support")"));
    ASSERT_EQ(folder.run("batch q.json --serial A1-98 --count 2 --format srec --out-dir out").code, 0);
    for (const char* serial : {"A1-98", "A1-99"}) {
        const auto fields = Decoded(folder.path() / "out" / (serial + std::string(".srec")), "qh304");
        EXPECT_EQ(fields["serial_string"], serial);
        EXPECT_EQ(fields["serial_length"], "5");
    }
}

// What a folder holds, but for the program's standard streams: names and sizes.
std::map<std::string, std::uintmax_t> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::uintmax_t> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (!entry.path().filename().string().starts_with(".std"))
            files[entry.path().string()] = entry.is_regular_file() ? entry.file_size() : 0;
    return files;
}

TEST(Batch, RefusalsNameTheProblemAndWriteNothing)
{
    TempFolder folder(RamOrTemp());
    folder.write("p.json", Profile("qh204-36", kStrings));
    folder.write("off.json", Profile("qh207", ""));
    folder.write("qh404.json", Profile("qh404", ""));
    folder.write("qh304.json", Profile("qh304", R"("mfg_length": "3")"));
    folder.write("out/SN0002.bin", "taken");
    folder.write("other.json", R"({"next_serial": "AB01"})");
    folder.write("other.json.lock", ""); // a lock file stays once made
    folder.write("new.json.lock", "");
    const std::string batch = "batch p.json --out-dir out --count 2 --manifest m.csv ";
    const std::pair<std::string, std::string> kCases[] = {
        {"batch qh404.json --out-dir out --count 2 --serial SN1",
         "the QH404 has no serial string; a batch needs a model whose image holds one (qh304, "},
        {batch + "--serial SN" + std::string(30, '0'), "has 32 characters; a serial string holds at most 31"},
        {batch + "--serial 'SN\xE2\x82\xAC" "1'", "holds a character the form's box does not take"},
        {batch + "--serial SN/1", "\"/\" cannot be part of a file name"},
        {batch + "--serial SNA", "serial \"SNA\" does not end in digits to count up"},
        {batch + "--serial SN9", "serials from SN9 count past the 1 digits they have"},
        {batch + "--serial SN0001", "out/SN0002.bin exists already (--force replaces it)"},
        {batch + "--serial SN1 --set nokey=1", "--set: unknown key \"nokey\" for qh204-36"},
        {batch + "--serial SN01 --state other.json", "other.json keeps the series of AB01; SN01 is of another"},
        {batch + "--state new.json", "new.json does not exist yet; give the series' first serial"},
        {"batch qh304.json --out-dir out --count 2 --serial SN1",
         "SN1: The Mfg string length (0) does not match the value in field 'Mfg Len' (3)"},
        {"batch off.json --out-dir out --count 2 --serial SN1 --strict",
         "\"Serial String\" is greyed in the form with these values, so the hub does not report "
         "the serials (--set string_enable=\"Strings Enabled\" puts it in use) (--strict: nothing written)"},
        {"batch p.json --out-dir nowhere --count 2 --serial SN1", "nowhere: no such folder"},
    };
    const auto before = Snapshot(folder.path());
    for (const auto& [arguments, message] : kCases) {
        const Result result = folder.run(arguments);
        EXPECT_EQ(result.code, 1) << arguments;
        EXPECT_NE(result.err.find(message), std::string::npos) << arguments << "\n" << result.err;
        EXPECT_EQ(Snapshot(folder.path()), before) << arguments;
    }
}

// The serials of every image in the folders, each file checked whole and named after the
// serial it holds.
std::multiset<std::string> SerialsIn(const fs::path& root, std::initializer_list<const char*> folders)
{
    std::multiset<std::string> serials;
    for (const char* folder : folders)
        for (const std::string& name : FileNames(root / folder)) {
            if (name.front() == '.')
                continue; // a killed batch's temporary, under no image's name
            EXPECT_EQ(fs::file_size(root / folder / name), 256u) << name;
            const std::string serial = name.substr(0, name.size() - 4);
            EXPECT_EQ(Decoded(root / folder / name, "qh204-36")["serial_string"], serial);
            serials.insert(serial);
        }
    return serials;
}

TEST(Batch, AStateFileNeverIssuesASerialTwiceThroughStationsAtOnceAndAKill)
{
    TempFolder folder(RamOrTemp());
    folder.write("p.json", Profile("qh204-36", kStrings));
    for (const char* out : {"a", "b", "c"})
        fs::create_directory(folder.path() / out);
    const std::string cli = "'" + std::string(HUBQUILL_CLI_PATH) + "'";
    const std::string batch = cli + " batch p.json --state s.json --manifest m.csv --serial SN000001 ";
    const std::string script =
        "cd '" + folder.path().string() + "' && { " + batch + "--count 200 --out-dir a & " + batch +
        "--count 200 --out-dir b; wait; } 2>/dev/null && { " + batch +
        "--count 20000 --out-dir c 2>/dev/null & n=0; while [ $(ls c | wc -l) -lt 20 ] && "
        "[ $n -lt 3000 ]; do sleep 0.01; n=$((n+1)); done; kill -9 $!; wait; }";
    std::system(script.c_str());
    const std::vector<std::string> left = FileNames(folder.path() / "c");
    const auto killedAfter = static_cast<std::size_t>(std::count_if(
        left.begin(), left.end(), [](const std::string& name) { return name.front() != '.'; }));
    ASSERT_LT(killedAfter, 20000u) << "the batch ended before it was killed";

    const Result again = folder.run("batch p.json --state s.json --manifest m.csv --count 5 --out-dir c");
    ASSERT_EQ(again.code, 0) << again.err;
    const std::multiset<std::string> serials = SerialsIn(folder.path(), {"a", "b", "c"});
    std::multiset<std::string> expected;
    for (int number = 1; number <= static_cast<int>(serials.size()); ++number)
        expected.insert(SerialNumber(number, 6));
    EXPECT_EQ(serials, expected) << "one of each serial, none left out";
    EXPECT_GE(serials.size(), 400 + killedAfter + 4) << "the second run starts where the first stopped";
    const std::string next = SerialNumber(static_cast<int>(serials.size()) + 1, 6);
    EXPECT_EQ(folder.read("s.json"), "{\"next_serial\":\"" + next + "\"}\n");
    EXPECT_EQ(ManifestOf(folder.read("m.csv")).size(), serials.size());

    // Killed after its last image but before its state: the image is taken as issued.
    const std::string last = SerialNumber(static_cast<int>(serials.size()), 6);
    folder.write("s.json", "{\"next_serial\": \"" + last + "\"}");
    const Result takenUp = folder.run("batch p.json --state s.json --manifest m.csv --count 1 --out-dir c");
    EXPECT_EQ(takenUp.err, "hubquill-cli: note: c/" + last +
                               ".bin was written by a batch that was stopped; it is taken as issued\n");
    EXPECT_EQ(folder.read("s.json"), "{\"next_serial\":\"" + next + "\"}\n");
    EXPECT_EQ(ManifestOf(folder.read("m.csv")).size(), serials.size());
}

TEST(Batch, AFullDiskStopsTheBatchAndTheFailedSerialStaysFree)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    TempFolder folder;
    folder.write("p.json", Profile("qh204-36", kStrings));
    const fs::path small = folder.path() / "small";
    fs::create_directory(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=40k") != 0)
        GTEST_SKIP() << "this machine does not let root mount a file system";
    const Result result = folder.run("batch p.json --serial SN01 --count 50 --out-dir small --state s.json");
    const std::vector<std::string> written = FileNames(small);
    ::umount(small.c_str());
    ASSERT_GT(written.size(), 0u);
    const std::string failed = SerialNumber(static_cast<int>(written.size()) + 1, 2);
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, "hubquill-cli: small/" + failed +
                              ".bin: cannot be written: disk full; the batch stopped after " +
                              std::to_string(written.size()) + " of 50 images (SN01 to " +
                              written.back().substr(0, 4) + "), and " + failed +
                              " is the next free serial\n");
    EXPECT_EQ(folder.read("s.json"), "{\"next_serial\":\"" + failed + "\"}\n");
}

TEST(Batch, ShowsItsProgressOnATerminal)
{
    if (std::system("command -v script >/dev/null") != 0)
        GTEST_SKIP() << "no `script` to run the program on a terminal";
    TempFolder folder(RamOrTemp());
    folder.write("p.json", Profile("qh204-36", kStrings));
    std::system(("cd '" + folder.path().string() + "' && script -qec \"'" + HUBQUILL_CLI_PATH +
                 "' batch p.json --serial SN01 --count 20 --out-dir .\" /dev/null >terminal")
                    .c_str());
    const std::string shown = folder.read("terminal");
    EXPECT_NE(shown.find("\rhubquill-cli: 20/20 images (SN20), "), std::string::npos) << shown;
    EXPECT_NE(shown.find(" per second, 0 s left"), std::string::npos) << shown;
}

TEST(Serials, CountUpInTheirTrailingDigitsAndKeepTheirWidth)
{
    const struct {
        const char* first;
        std::uint64_t steps;
        const char* after; // "" when the digits overflow
    } kCases[] = {
        {"SN0099", 1, "SN0100"}, {"A1-0009", 991, "A1-1000"}, {"7", 0, "7"}, {"SN9999", 1, ""},
        {"X0000000000000000000000", 18446744073709551615u, "X0018446744073709551615"},
    };
    for (const auto& row : kCases) {
        const std::optional<cli::Serial> after = cli::Advanced(cli::SerialOf(row.first), row.steps);
        EXPECT_EQ(after ? after->text() : "", row.after) << row.first;
    }
}

} // namespace
