// hubquill-cli as a process against cp, and writing images against plain and durable
// writes of 256-byte files.
#include "bench/benchmarks.h"
#include "bench/measure.h"
#include "tests/cli/postgres_server.h"

#include "image/file_manager.h"

#include <array>
#include <cstdint>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace bench {

namespace {

constexpr int kProcessRuns = 21;
constexpr int kBatchImages = 10000;
constexpr int kBatchRounds = 3;
constexpr std::array<std::uint8_t, 256> kImage{};

// Writes the 256 bytes to an open file, flushed to the disk when asked, and closes it.
void WriteOut(int file, const std::string& name, bool flush = false)
{
    const bool written = file >= 0 &&
                         write(file, kImage.data(), kImage.size()) ==
                             static_cast<ssize_t>(kImage.size()) &&
                         (!flush || fsync(file) == 0);
    if (file < 0 || close(file) != 0 || !written)
        throw std::runtime_error("cannot write " + name);
}

// What any program does to put 256 bytes in a file.
void PlainWrite(const std::string& name)
{
    WriteOut(open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), name);
}

// A replacement that survives a power cut: a new file flushed to the disk, renamed over the
// old one, the folder flushed after the rename.
void DurableWrite(const std::string& folder, const std::string& name)
{
    const std::string temporary = name + ".new";
    WriteOut(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), temporary, true);
    if (rename(temporary.c_str(), name.c_str()) != 0)
        throw std::runtime_error("cannot rename " + temporary);
    const int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    fsync(directory);
    close(directory);
}

std::string CpPath() { return access("/bin/cp", X_OK) == 0 ? "/bin/cp" : "/usr/bin/cp"; }

void AddCliRow(Table& table, const std::string& cli, const TempFolder& folder)
{
    const std::string profile = folder.file("board.json");
    const std::string copied = folder.file("copied.bin");
    if (Run({cli, "defaults", "qh404", "-o", profile}).exitCode != 0) {
        table.skip("hubquill-cli encode of one profile (process)", "hubquill-cli defaults failed");
        return;
    }
    PlainWrite(folder.file("image.bin"));
    std::vector<double> encodes;
    std::vector<double> copies;
    for (int run = 0; run < kProcessRuns; ++run) {
        encodes.push_back(Run({cli, "encode", profile, "-o", folder.file("nv.bin")}).wallMs());
        copies.push_back(Run({CpPath(), folder.file("image.bin"), copied}).wallMs());
    }
    table.add({.figure = "hubquill-cli encode of one profile (process, median of 21)",
               .measured = {Median(encodes), "ms"},
               .floor = "cp of a 256-byte file (process)",
               .floorMeasured = {Median(copies), "ms"},
               .target = "<= 1.5"});
}

void AddSaveRows(Table& table, const TempFolder& folder)
{
    CFileManager files;
    files.SetFileName(folder.file("saved.bin"));
    const std::string plain = folder.file("plain.bin");
    const std::string durable = folder.file("durable.bin");
    const std::vector<double> ns = NsPerCall(
        {[&] { KeepAlive(files.Write(kImage.data(), static_cast<int>(kImage.size()))); },
         [&] { PlainWrite(plain); }, [&] { DurableWrite(folder.path(), durable); }},
        Clock::Wall, 15);
    const Amount save{ns[0] / 1e3, "µs"};
    table.add({.figure = "save an image (CFileManager::Write, 256 bytes)",
               .measured = save,
               .floor = "durable 256-byte write (fsync, rename)",
               .floorMeasured = {ns[2] / 1e3, "µs"},
               .target = "~1: durable"});
    table.add({.figure = "save an image (CFileManager::Write, 256 bytes)",
               .measured = save,
               .floor = "plain 256-byte write",
               .floorMeasured = {ns[1] / 1e3, "µs"}});
}

// Files a second for `count` files written one after the other into a folder of their own.
template <typename Writer>
double FilesPerSecond(const Writer& writeOne, int count)
{
    const std::int64_t start = NowNs();
    for (int i = 0; i < count; ++i)
        writeOne(i);
    return count / (static_cast<double>(NowNs() - start) / 1e9);
}

// A production line's run: the images alone, then with a serial store and a manifest,
// which keep serials from being issued twice (one commit an image, the manifest at the end).
ProcessRun RunBatch(const std::string& cli, const std::string& profile, const TempFolder& out,
                    const std::string& store)
{
    std::vector<std::string> arguments{cli, "batch", profile, "--serial", "SN00000", "--count",
                                       std::to_string(kBatchImages), "--out-dir", out.path()};
    if (!store.empty())
        arguments.insert(arguments.end(), {"--state", store, "--manifest", out.file("line.csv")});
    return Run(arguments);
}

// Files a second of the plain and durable floors and of each batch, in rounds that take
// turns, so that a disk whose flushes grow slower or faster meanwhile weighs on all alike.
void AddBatchRows(Table& table, const std::string& cli, const TempFolder& folder)
{
    const std::string profile = folder.file("serials.json");
    Run({cli, "defaults", "qh207", "-o", profile});
    const TempFolder storeFolder;
    cli_testing::PostgresServer server(true);
    struct Batch {
        std::string what;
        std::string store;
        std::vector<double> rates;
        int failedWith = 0;
    };
    std::vector<Batch> batches{
        {"", ""},
        {", SQLite store and manifest", storeFolder.file("line.db")},
        {", PostgreSQL store (local server) and manifest", server.ready() ? server.uri() : ""},
    };
    std::vector<double> plain, durable;
    for (int round = 0; round < kBatchRounds; ++round) {
        const TempFolder plainOut, durableOut;
        plain.push_back(FilesPerSecond(
            [&](int i) { PlainWrite(plainOut.file(std::to_string(i) + ".bin")); }, kBatchImages));
        durable.push_back(FilesPerSecond(
            [&](int i) { DurableWrite(durableOut.path(), durableOut.file(std::to_string(i) + ".bin")); },
            kBatchImages));
        for (Batch& batch : batches) {
            if (batch.failedWith != 0 || (!batch.what.empty() && batch.store.empty()))
                continue;
            const TempFolder out;
            const ProcessRun run = RunBatch(cli, profile, out, batch.store);
            if (run.exitCode != 0)
                batch.failedWith = run.exitCode;
            batch.rates.push_back(kBatchImages / (run.wallMs() / 1e3));
        }
    }
    for (const Batch& batch : batches) {
        const std::string figure = "production batch of " + std::to_string(kBatchImages) +
                                   " images" + batch.what + ", median of " +
                                   std::to_string(kBatchRounds);
        if (batch.failedWith != 0) {
            table.skip(figure, "the batch failed (exit " + std::to_string(batch.failedWith) + ")");
            continue;
        }
        if (batch.rates.empty()) {
            table.skip(figure, "no PostgreSQL server to start here");
            continue;
        }
        const Amount rate{Median(batch.rates), "files/s"};
        if (batch.store.empty())
            table.add({.figure = figure, .measured = rate, .floor = "plain 256-byte writes",
                       .floorMeasured = {Median(plain), "files/s"}, .higherIsBetter = true});
        table.add({.figure = figure, .measured = rate, .floor = "durable 256-byte writes",
                   .floorMeasured = {Median(durable), "files/s"},
                   .target = batch.store.empty() ? "" : "<= 2", .higherIsBetter = true});
    }
}

} // namespace

void AddProcessRows(Table& table, const std::string& cli)
{
    const TempFolder folder;
    AddSaveRows(table, folder);
    if (cli.empty()) {
        table.skip("hubquill-cli encode of one profile (process)", "no hubquill-cli in this build");
        return;
    }
    AddCliRow(table, cli, folder);
    AddBatchRows(table, cli, folder);
}

} // namespace bench
