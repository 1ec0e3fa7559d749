// Runs every benchmark and prints one table: each figure, its floor measured in the same
// run, their ratio and the target, with the machine it ran on. `cmake --build build
// --target bench` builds and runs it; docs/performance.md tells how to read the table.
// One part alone: hubquill_bench codec|processes|windows.
#include "bench/benchmarks.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    const std::string only = argc > 1 ? argv[1] : "";
    bench::Table table;
    try {
        if (only.empty() || only == "codec")
            bench::AddCodecRows(table);
        if (only.empty() || only == "processes")
            bench::AddProcessRows(table, HUBQUILL_CLI_PATH);
        if (only.empty() || only == "windows")
            bench::AddWindowRows(table, HUBQUILL_PROBE_PATH);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "hubquill_bench: %s\n", failure.what());
        return 1;
    }
    table.print(bench::MachineLine() + "; build " + HUBQUILL_BUILD_TYPE);
    return 0;
}
