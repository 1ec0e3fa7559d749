// A production batch in files per second, beside its floors measured in the same run on the
// same disk: 256-byte files written plainly (no flush) and durably (flushed, renamed, folder
// flushed), as every image of a batch is. Run:
//   cmake -S . -B build-bench -DHUBQUILL_BENCH=ON -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-bench -j2 --target hubquill_batch_bench
//   build-bench/bench/hubquill_batch_bench [COUNT (10000)] [FOLDER (the temporary folder)]

#include "cli/commands.h"
#include "image/safe_write.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kImageSize = 256;

// Runs `work` in a fresh folder; answers the seconds it took.
double SecondsOf(const fs::path& folder, const std::function<void(const fs::path&)>& work)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
    const auto start = Clock::now();
    work(folder);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    fs::remove_all(folder);
    return seconds;
}

std::string NameOf(const fs::path& folder, std::size_t index)
{
    return (folder / ("SN" + std::to_string(100000 + index) + ".bin")).string();
}

void WritePlainly(const fs::path& folder, std::size_t count)
{
    const std::uint8_t bytes[kImageSize] = {};
    for (std::size_t index = 0; index < count; ++index) {
        const int descriptor =
            ::open(NameOf(folder, index).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (descriptor < 0 || ::write(descriptor, bytes, kImageSize) != kImageSize)
            std::abort();
        ::close(descriptor);
    }
}

void WriteDurably(const fs::path& folder, std::size_t count)
{
    const std::uint8_t bytes[kImageSize] = {};
    for (std::size_t index = 0; index < count; ++index)
        if (!image::WriteFileSafely(NameOf(folder, index), bytes, kImageSize,
                                    image::IfExists::Refuse))
            std::abort();
}

// The command a line runs, in this process; `recorded` adds the state file and the manifest.
void Batch(const fs::path& folder, std::size_t count, bool recorded)
{
    const fs::path beside = folder.parent_path();
    std::ofstream(beside / "line.json")
        << R"({"model": "qh204-48", "fields": {"string_enable": "Strings Enabled",
              "mfg_string": "Acme Devices", "product_string": "Four-Port Hub"}})";
    std::vector<std::string> arguments{"batch",   (beside / "line.json").string(),
                                       "--serial", "SN000001",
                                       "--count",  std::to_string(count),
                                       "--out-dir", folder.string()};
    if (recorded)
        arguments.insert(arguments.end(), {"--state", (beside / "line.state").string(),
                                           "--manifest", (beside / "line.csv").string()});
    std::istringstream in;
    std::ostringstream out, err;
    if (cli::Run(arguments, in, out, err) != cli::kExitSuccess) {
        std::fputs(err.str().c_str(), stderr);
        std::abort();
    }
    for (const char* name : {"line.json", "line.state", "line.state.lock", "line.csv"})
        fs::remove(beside / name);
}

} // namespace

int main(int argc, char* argv[])
{
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000;
    const fs::path root = (argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path()) /
                          ("hubquill-batch-bench-" + std::to_string(::getpid()));
    const fs::path folder = root / "files";

    // A shared machine's disk is not steady: the floors are measured before the batches and
    // again after them, and both runs count.
    double plainSeconds = 0;
    double durableSeconds = 0;
    const auto measureFloors = [&] {
        plainSeconds += SecondsOf(folder, [&](const fs::path& f) { WritePlainly(f, count); });
        durableSeconds += SecondsOf(folder, [&](const fs::path& f) { WriteDurably(f, count); });
    };
    const auto rate = [&](double seconds) { return static_cast<double>(count) / seconds; };
    measureFloors();
    const double images = rate(SecondsOf(folder, [&](const fs::path& f) { Batch(f, count, false); }));
    const double recorded = rate(SecondsOf(folder, [&](const fs::path& f) { Batch(f, count, true); }));
    measureFloors();
    const double plain = 2 * rate(plainSeconds);
    const double durable = 2 * rate(durableSeconds);
    fs::remove_all(root);

    std::printf("%zu files of %zu bytes on %s\n", count, kImageSize, root.parent_path().c_str());
    std::printf("%-44s %10s %12s %12s\n", "", "files/s", "x plain", "x durable");
    const auto row = [&](const char* what, double files) {
        std::printf("%-44s %10.0f %12.3f %12.3f\n", what, files, files / plain, files / durable);
    };
    row("floor: plain writes (no flush)", plain);
    row("floor: durable writes", durable);
    row("batch: images", images);
    row("batch: images, --state and --manifest", recorded);
    return 0;
}
