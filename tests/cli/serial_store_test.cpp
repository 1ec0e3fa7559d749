// The serial store as stations use it: links to one store, a state file of the older kind,
// an image written but not recorded, the manifest made from the store, and a line of
// stations on a PostgreSQL server that goes away mid-batch.

#include "tests/cli/cli_support.h"
#include "tests/cli/postgres_server.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <set>
#include <sys/file.h>
#include <thread>

using namespace cli_testing;

namespace {

const std::string kProfile =
    R"({"model": "qh204-36", "fields": {"string_enable": "Strings Enabled"}})";

std::string Cli() { return "'" + std::string(HUBQUILL_CLI_PATH) + "'"; }

// Serial: state, from `serials --csv`.
std::map<std::string, std::string> States(const TempFolder& folder, const std::string& store)
{
    const Result listed = folder.run("serials '" + store + "' --csv");
    EXPECT_EQ(listed.code, 0) << listed.err;
    std::map<std::string, std::string> states;
    for (const std::string& line : LinesOf(listed.out)) {
        const auto comma = line.find(',');
        states[line.substr(0, comma)] = line.substr(comma + 1, line.find(',', comma + 1) - comma - 1);
    }
    states.erase("serial");
    return states;
}

// The image files below a folder, by name (serial and extension), each once.
std::multiset<std::string> ImagesIn(const fs::path& root)
{
    std::multiset<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && entry.path().stem().string().starts_with("SN"))
            names.insert(entry.path().stem().string());
    return names;
}

void ExpectEachOnce(const std::multiset<std::string>& serials)
{
    for (const std::string& serial : serials)
        EXPECT_EQ(serials.count(serial), 1u) << serial << " given out twice";
}

TEST(SerialStore, OneStoreThroughALinkAndItsNameAtOnceGivesEachSerialOnce)
{
    TempFolder folder(RamOrTemp());
    folder.write("p.json", kProfile);
    fs::create_directory(folder.path() / "links");
    fs::create_symlink("../s.db", folder.path() / "links/s.db");
    fs::create_directory(folder.path() / "first");
    ASSERT_EQ(folder.run("batch p.json --serial SN00001 --count 1 --out-dir first --state s.db").code, 0);
    const std::string batch = Cli() + " batch p.json --count 300 ";
    std::system(("cd '" + folder.path().string() + "' && mkdir a b && { " + batch +
                 "--state s.db --out-dir a & " + batch + "--state links/s.db --out-dir b; wait; } "
                 "2>/dev/null")
                    .c_str());
    const std::multiset<std::string> images = ImagesIn(folder.path());
    EXPECT_EQ(images.size(), 601u);
    ExpectEachOnce(images);
    EXPECT_EQ(States(folder, "links/s.db").size(), 601u);
}

TEST(SerialStore, TakesUpAStateFileOfTheOlderKindKeepingItsNextSerial)
{
    TempFolder folder(RamOrTemp());
    folder.write("p.json", kProfile);
    folder.write("line.state", R"({"next_serial": "SN0100"})");
    folder.write("ended.state", R"({"used_up_after": "SN99"})");
    const std::string batch = Cli() + " batch p.json --count 100 --state line.state ";
    std::system(("cd '" + folder.path().string() + "' && mkdir a b && { " + batch +
                 "--out-dir a 2>a.err & " + batch + "--out-dir b 2>b.err; wait; }")
                    .c_str());
    const std::multiset<std::string> images = ImagesIn(folder.path());
    EXPECT_EQ(images.size(), 200u);
    ExpectEachOnce(images);
    EXPECT_EQ(*images.begin(), "SN0100");
    EXPECT_EQ(*images.rbegin(), "SN0299");
    EXPECT_EQ(folder.read("a.err") + folder.read("b.err"),
              "hubquill-cli: note: line.state: the state file is now a SQLite serial store, its "
              "next serial SN0100 kept; older versions of hubquill-cli do not read it\n");

    const Result ended = folder.run("batch p.json --count 1 --state ended.state --out-dir a");
    EXPECT_EQ(ended.code, 1);
    EXPECT_EQ(ended.err, "hubquill-cli: ended.state: the series ended with SN99; every serial of "
                         "its width is issued (start a new series in a new store)\n");
}

// Marks a serial reserved by a batch that has gone, as a kill between the write of its image
// and its record leaves it.
void LeaveReservedByAStoppedBatch(const fs::path& store, const std::string& serial)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(::sqlite3_open(store.c_str(), &db), SQLITE_OK);
    const std::string sql = "UPDATE serials SET state = 'reserved', settled_by = NULL WHERE serial "
                            "= '" + serial + "'; UPDATE batches SET holder = 'gone:999999999:0', "
                            "listed = 0 WHERE id = (SELECT batch FROM serials WHERE serial = '" +
                            serial + "')";
    EXPECT_EQ(::sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    ::sqlite3_close(db);
}

TEST(SerialStore, AnImageWrittenButNotRecordedIsIssuedByTheNextBatchAndListed)
{
    TempFolder folder(RamOrTemp());
    folder.write("p.json", kProfile);
    fs::create_directories(folder.path() / "a");
    ASSERT_EQ(folder.run("batch p.json --serial SN01 --count 3 --out-dir a --state s.db").code, 0);
    LeaveReservedByAStoppedBatch(folder.path() / "s.db", "SN03");
    EXPECT_EQ(States(folder, "s.db").at("SN03"), "void") << "shown void while nobody settled it";
    folder.write("a/SN02.bin", "not the image"); // a file that does not hold its image
    LeaveReservedByAStoppedBatch(folder.path() / "s.db", "SN02");

    const Result next = folder.run("batch p.json --count 1 --out-dir a --state s.db --manifest m.csv");
    ASSERT_EQ(next.code, 0) << next.err;
    const std::string a = (folder.path() / "a").string();
    EXPECT_EQ(next.err, "hubquill-cli: note: SN02 (" + a + "/SN02.bin): its batch was stopped "
                        "before the image was written; never given out\nhubquill-cli: note: SN03 (" +
                        a + "/SN03.bin): its batch was stopped after writing the image; issued by a "
                        "later batch\n");
    const std::map<std::string, std::string> states = States(folder, "s.db");
    EXPECT_EQ(states, (std::map<std::string, std::string>{
                          {"SN01", "issued"}, {"SN02", "void"}, {"SN03", "issued"}, {"SN04", "issued"}}));
    const std::vector<std::string> manifest = LinesOf(folder.read("m.csv"));
    ASSERT_EQ(manifest.size(), 3u);
    EXPECT_TRUE(manifest[1].starts_with("SN03,SN03.bin,")) << manifest[1];
    EXPECT_TRUE(manifest[2].starts_with("SN04,SN04.bin,")) << manifest[2];
}

TEST(SerialStore, TheManifestKeepsSpreadsheetFormulasTextAndDropsACutLine)
{
    TempFolder folder(RamOrTemp());
    folder.write("p.json", kProfile);
    fs::create_directories(folder.path() / "a");
    folder.write("m.csv", "serial,file,sha256,utc\nSN0040,SN0040.bin");
    for (const char* first : {"=SUM(A1)1", "+1", "-7", "@A,1"}) {
        const Result result = folder.run(std::string("batch p.json --count 1 --out-dir a "
                                                     "--manifest m.csv --serial '") + first + "'");
        ASSERT_EQ(result.code, 0) << first << result.err;
    }
    const std::vector<std::string> lines = LinesOf(folder.read("m.csv"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(lines[1].starts_with("'=SUM(A1)1,'=SUM(A1)1.bin,")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("'+1,'+1.bin,")) << lines[2];
    EXPECT_TRUE(lines[3].starts_with("'-7,'-7.bin,")) << lines[3];
    EXPECT_TRUE(lines[4].starts_with("\"'@A,1\",\"'@A,1.bin\",")) << lines[4];

    const Result printed = folder.run("batch p.json --count 1 --out-dir a --manifest - --serial X1");
    EXPECT_EQ(LinesOf(printed.out).size(), 2u) << printed.out;
}

TEST(SerialStore, ABatchRemovesTheTemporariesOfStoppedWritesOnly)
{
    TempFolder folder(RamOrTemp());
    folder.write("p.json", kProfile);
    folder.write("a/.hq0badf00d.tmp", "left by a kill");
    folder.write("a/.hq0000beef.tmp", "being written");
    const std::string busy = (folder.path() / "a/.hq0000beef.tmp").string();
    const int held = ::open(busy.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    ASSERT_EQ(folder.run("batch p.json --count 1 --out-dir a --serial SN1").code, 0);
    ::close(held);
    EXPECT_FALSE(fs::exists(folder.path() / "a/.hq0badf00d.tmp"));
    EXPECT_TRUE(fs::exists(busy));
}

TEST(SerialStore, StationsOfALineShareAPoolOnAServerThatMayGoAway)
{
    PostgresServer server;
    if (!server.ready())
        GTEST_SKIP() << "no PostgreSQL server to start here";
    TempFolder folder(RamOrTemp());
    folder.write("p.json", kProfile);
    const std::string batch = Cli() + " batch p.json --state '" + server.uri() + "' --count 150 ";
    std::string stations = "cd '" + folder.path().string() + "' && mkdir a b c d && { ";
    const std::pair<const char*, const char*> kStations[] = {
        {"a", "SN00001"}, {"b", "SN00001"}, {"c", "SN00050"}, {"d", "SN00400"}};
    for (const auto& [out, first] : kStations)
        stations += batch + "--serial " + first + " --out-dir " + out + " --station " + out + " & ";
    std::system((stations + "wait; } 2>/dev/null").c_str());
    std::multiset<std::string> images = ImagesIn(folder.path());
    EXPECT_EQ(images.size(), 600u);
    ExpectEachOnce(images);

    // The server stops mid-batch: the batch says so, and after a restart nothing is given
    // out twice and the serial it held is void.
    fs::create_directories(folder.path() / "e");
    Result stopped;
    std::thread station([&] {
        stopped = folder.run("batch p.json --state '" + server.uri() + "' --count 20000 --out-dir e");
    });
    for (int wait = 0; wait < 30000 && ImagesIn(folder.path() / "e").size() < 20; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    server.stop();
    station.join();
    EXPECT_EQ(stopped.code, 1);
    EXPECT_NE(stopped.err.find(": the server went away: "), std::string::npos) << stopped.err;
    EXPECT_NE(stopped.err.find("; the batch stopped after "), std::string::npos) << stopped.err;
    ASSERT_TRUE(server.start());
    fs::create_directories(folder.path() / "f");
    const Result after = folder.run("batch p.json --state '" + server.uri() + "' --count 5 --out-dir f");
    EXPECT_EQ(after.code, 0) << after.err;
    images = ImagesIn(folder.path());
    ExpectEachOnce(images);
    const std::map<std::string, std::string> states = States(folder, server.uri());
    for (const std::string& serial : images)
        EXPECT_EQ(states.at(serial), "issued") << serial;
    EXPECT_EQ(states.size() - images.size(),
              static_cast<std::size_t>(std::count_if(states.begin(), states.end(),
                                                     [](const auto& s) { return s.second == "void"; })))
        << "every serial without an image is void";
}

} // namespace
