// Batches as a production line runs them: the built program, its files, its manifest and
// its state file, with stations running at once, a batch killed half-way and a full disk.
// They run in a RAM folder where there is one: a flush to the disk then costs nothing, so
// a thousand images take a moment (what a flush costs is the benchmark's matter).

#include "cli/actions.h"
#include "cli/image_formats.h"
#include "cli/profile.h"
#include "cli/serial.h"
#include "cli/sha256.h"
#include "editors/registry.h"

#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <random>
#include <regex>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace cli_testing;

namespace {

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
            files[entry.path().string()] =
                fs::is_regular_file(entry.symlink_status()) ? entry.file_size() : 0;
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
    folder.write("text.txt", "hello\n");
    folder.write("ro.csv", "serial,file,sha256,utc\n");
    fs::permissions(folder.path() / "ro.csv", fs::perms::owner_read);
    folder.write("ro.db", "");
    fs::permissions(folder.path() / "ro.db", fs::perms::owner_read);
    folder.write("two.db", "");
    fs::create_hard_link(folder.path() / "two.db", folder.path() / "two-link.db");
    fs::create_directory(folder.path() / "folder.db");
    fs::create_symlink("nothing", folder.path() / "dangling");
    ::mkfifo((folder.path() / "fifo").c_str(), 0666);
    fs::create_directories(folder.path() / "planted");
    fs::create_symlink("../../elsewhere.bin", folder.path() / "planted/SN0002.bin");
    ::mkfifo((folder.path() / "planted/SN0003.bin").c_str(), 0666);
    fs::create_directories(folder.path() / "dangling-name");
    fs::create_symlink("nothing", folder.path() / "dangling-name/SN0003.bin");
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
    const std::string one = "batch p.json --out-dir out --count 1 --serial SN0001 ";
    const std::pair<std::string, std::string> kStoreAndManifestCases[] = {
        {batch + "--serial 'SN\xC2\x85" "1'", "serial \"SN\u00851\": it holds a control character"},
        {one + "--manifest p.json", "p.json: is the profile; the manifest needs a file of its own"},
        {one + "--state s.db --manifest s.db", "s.db: is the serial store; the manifest needs a file"},
        {one + "--manifest fifo", "fifo: not a regular file; a manifest is a file (- prints it)"},
        {one + "--manifest text.txt", "text.txt: not a manifest of batches (its first line is not"},
        {one + "--manifest dangling", "dangling: a link to a file that does not exist"},
        {one + "--manifest nowhere/m.csv", "nowhere/m.csv: no such folder"},
        {one + "--state text.txt", "text.txt: not a serial store (neither a SQLite database nor a state file)"},
        {one + "--state folder.db", "folder.db: is a folder, not a serial store"},
        {one + "--state fifo", "fifo: not a regular file; a serial store is one"},
        {one + "--state dangling", "dangling: a link to a file that does not exist"},
        {one + "--state two-link.db", "two-link.db: the store has 2 names (hard links)"},
        {"batch p.json --out-dir dangling-name --count 3 --serial SN0001",
         "dangling-name/SN0003.bin exists already (--force replaces it)"},
        {"batch p.json --out-dir planted --count 3 --serial SN0001 --force",
         "planted/SN0002.bin is a link; --force replaces only regular files"},
        {"batch p.json --out-dir planted --count 1 --serial SN0003 --force",
         "planted/SN0003.bin is a FIFO; --force replaces only regular files"},
    };
    // Root may write anything; a file made read-only is refused all the same.
    const std::pair<std::string, std::string> kReadOnlyCases[] = {
        {one + "--manifest ro.csv", "ro.csv: read-only; the manifest cannot be added to"},
        {one + "--state ro.db", "ro.db: read-only; a serial store must be writable"},
    };
    const auto before = Snapshot(folder.path());
    auto refused = [&](const std::string& arguments, const std::string& message) {
        const Result result = folder.run(arguments);
        EXPECT_EQ(result.code, 1) << arguments;
        EXPECT_NE(result.err.find(message), std::string::npos) << arguments << "\n" << result.err;
        EXPECT_EQ(Snapshot(folder.path()), before) << arguments;
    };
    for (const auto& [arguments, message] : kCases)
        refused(arguments, message);
    for (const auto& [arguments, message] : kStoreAndManifestCases)
        refused(arguments, message);
    for (const auto& [arguments, message] : kReadOnlyCases)
        refused(arguments, message);
}

// A store's audit, `serials --csv`, by serial: state, file, hash.
struct Audited {
    std::string state, file, sha256, why;
};
std::map<std::string, Audited> Audit(const TempFolder& folder, const std::string& store)
{
    const Result listed = folder.run("serials " + store + " --csv");
    EXPECT_EQ(listed.code, 0) << listed.err;
    const std::vector<std::string> lines = LinesOf(listed.out);
    EXPECT_EQ(lines.at(0), "serial,state,file,format,sha256,station,reserved_utc,why");
    std::map<std::string, Audited> audit;
    for (std::size_t at = 1; at < lines.size(); ++at) {
        std::vector<std::string> cells;
        std::istringstream line(lines[at]);
        for (std::string cell; std::getline(line, cell, ',');)
            cells.push_back(cell);
        cells.resize(8);
        EXPECT_TRUE(audit.emplace(cells[0], Audited{cells[1], cells[2], cells[4], cells[7]}).second)
            << "listed twice: " << cells[0];
    }
    return audit;
}

std::string Sha256Of(const fs::path& file)
{
    const std::string content = ReadFile(file);
    return cli::Sha256Hex({reinterpret_cast<const std::uint8_t*>(content.data()), content.size()});
}

TEST(Batch, AStoreNeverIssuesASerialTwiceThroughStationsAtOnceKillsAndReruns)
{
    TempFolder folder(RamOrTemp());
    folder.write("p.json", Profile("qh204-36", kStrings));
    // A station named otherwise than its machine: its stopped batches are still told.
    const std::string batch = "'" + std::string(HUBQUILL_CLI_PATH) +
                              "' batch p.json --state s.db --manifest m.csv --serial SN000001 "
                              "--station line-1 ";
    // Two stations at once, then kills at random moments, each followed by a rerun into a
    // new folder in another format, and by one into the killed batch's own folder.
    std::string script = "cd '" + folder.path().string() + "' && mkdir a b && { " + batch +
                         "--count 300 --out-dir a & " + batch + "--count 300 --out-dir b; wait; }";
    std::mt19937 random(19);
    constexpr int kTrials = 50;
    const char* kFormats[] = {"ihex", "srec"};
    for (int trial = 0; trial < kTrials; ++trial) {
        const std::string killed = "k" + std::to_string(trial);
        const std::string rerun = "r" + std::to_string(trial);
        // Killed once it has written some number of images, none to a few hundred, and then
        // a moment more (up to a few images' time), so kills fall anywhere in an image's
        // cycle, its write too, not only right after the file that was counted.
        const std::string written = std::to_string(random() % 400);
        const std::string moment = "0.00" + std::to_string(random() % 10);
        script += "; mkdir " + killed + " " + rerun + "; " + batch + "--count 1000 --out-dir " +
                  killed + " & while [ $(ls " + killed + " | wc -l) -lt " + written +
                  " ] && kill -0 $! 2>/dev/null; do sleep 0.001; done; sleep " + moment +
                  "; kill -9 $!; wait; " + batch +
                  "--count 2 --out-dir " + rerun + " --format " + kFormats[trial % 2] + "; " +
                  batch + "--count 1 --out-dir " + killed;
    }
    std::system(("{ " + script + "; } 2>/dev/null").c_str());

    const std::map<std::string, Audited> audit = Audit(folder, "s.db");
    std::map<std::string, std::string> files; // serial: file
    for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
        const std::string name = entry.path().filename().string();
        if (entry.path().parent_path() == folder.path())
            continue;
        EXPECT_FALSE(name.starts_with(".hq"))
            << "a rerun leaves no temporary of the killed batch in its folder: " << entry.path();
        const std::string serial = entry.path().stem().string();
        EXPECT_TRUE(files.emplace(serial, entry.path().string()).second) << "written twice: " << serial;
        EXPECT_EQ(Decoded(entry.path(), "qh204-36")["serial_string"], serial) << entry.path();
        ASSERT_TRUE(audit.contains(serial)) << entry.path();
        EXPECT_EQ(audit.at(serial).state, "issued") << entry.path();
        EXPECT_EQ(audit.at(serial).file, entry.path().string());
        EXPECT_EQ(audit.at(serial).sha256, Sha256Of(entry.path())) << entry.path();
    }
    std::size_t issued = 0, voided = 0;
    for (const auto& [serial, record] : audit) {
        EXPECT_NE(record.state, "reserved") << serial << ": every stopped batch is settled";
        if (record.state == "void") {
            ++voided;
            EXPECT_FALSE(files.contains(serial)) << "a void serial has no image: " << serial;
            EXPECT_EQ(record.why, "its batch was stopped before the image was written; never "
                                  "given out");
        }
        issued += record.state == "issued";
    }
    EXPECT_EQ(issued, files.size());
    EXPECT_LE(voided, static_cast<std::size_t>(kTrials)) << "at most one void serial a kill";
    EXPECT_GT(voided, 0u) << "no kill came while a batch was writing";
    EXPECT_GE(issued, 600u + 3 * kTrials);

    // The manifest lists every issued serial once, a killed batch's too, with its hash.
    const auto manifest = ManifestOf(folder.read("m.csv"));
    EXPECT_EQ(manifest.size(), issued);
    for (const auto& [serial, line] : manifest)
        EXPECT_EQ(line.second, audit.at(serial).sha256) << serial;
}

TEST(Batch, AFailedWriteMakesItsSerialVoidAndTheNextBatchGoesOn)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    TempFolder folder;
    folder.write("p.json", Profile("qh204-36", kStrings));
    const fs::path small = folder.path() / "small";
    fs::create_directory(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=40k") != 0)
        GTEST_SKIP() << "this machine does not let root mount a file system";
    const Result result = folder.run("batch p.json --serial SN01 --count 50 --out-dir small --state s.db");
    const std::vector<std::string> written = FileNames(small);
    ::umount(small.c_str());
    ASSERT_GT(written.size(), 0u);
    const std::string failed = SerialNumber(static_cast<int>(written.size()) + 1, 2);
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, "hubquill-cli: small/" + failed +
                              ".bin: cannot be written: disk full; the batch stopped after " +
                              std::to_string(written.size()) + " of 50 images (SN01 to " +
                              written.back().substr(0, 4) + "); " + failed +
                              " is void (never given out)\n");
    EXPECT_EQ(Audit(folder, "s.db").at(failed).why, "its image could not be written: disk full");
    const Result next = folder.run("batch p.json --count 1 --out-dir small --state s.db");
    EXPECT_EQ(next.code, 0) << next.err;
    EXPECT_EQ(FileNames(small).back(), SerialNumber(static_cast<int>(written.size()) + 2, 2) + ".bin");
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
