// Throughput of the work behind every Create and Load: building an image from a form's
// values, decoding it back, listing it, and writing it to disk. Run:
//   cmake -S . -B build-bench -DHUBQUILL_BENCH=ON -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-bench -j2 && build-bench/bench/hubquill_core_bench

#include "image/e2prom_data.h"
#include "image/file_manager.h"
#include "editors/registry.h"
#include "layout/model.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

void EncodeDefaults(benchmark::State& state, const layout::Model* model)
{
    const layout::Values values = layout::DefaultValues(*model);
    for (auto _ : state) {
        CE2promData image;
        benchmark::DoNotOptimize(layout::Create(*model, values, image));
        benchmark::DoNotOptimize(image.bytes());
    }
}

void DecodeDefaults(benchmark::State& state, const layout::Model* model)
{
    CE2promData image;
    layout::Create(*model, layout::DefaultValues(*model), image);
    for (auto _ : state)
        benchmark::DoNotOptimize(model->decode(*model, image));
}

void Listing(benchmark::State& state)
{
    CE2promData image;
    for (auto _ : state)
        benchmark::DoNotOptimize(ListingLines(image));
}
BENCHMARK(Listing);

void WriteImageFile(benchmark::State& state)
{
    const auto path = std::filesystem::temp_directory_path() / "hubquill-bench.bin";
    CFileManager files;
    files.SetFileName(path.string());
    CE2promData image;
    for (auto _ : state)
        benchmark::DoNotOptimize(files.Write(image.bytes().data(), CE2promData::kSize));
    std::filesystem::remove(path);
}
BENCHMARK(WriteImageFile);

const bool registered = [] {
    for (const layout::Model* model : editors::AllModels()) {
        benchmark::RegisterBenchmark(("Encode/" + std::string(model->id)).c_str(), EncodeDefaults,
                                     model);
        benchmark::RegisterBenchmark(("Decode/" + std::string(model->id)).c_str(), DecodeDefaults,
                                     model);
    }
    return true;
}();

} // namespace
