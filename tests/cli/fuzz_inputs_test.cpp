// The inputs kept for the fuzz targets (tests/data/fuzz/<target>/): the seeds they start
// from and every input that once found a fault, replayed on each run.

#include "fuzz/entries.h"

#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

namespace fs = std::filesystem;

const fs::path kInputs = fs::path(HUBQUILL_SOURCE_DIR) / "tests/data/fuzz";

TEST(FuzzInputs, EveryKeptInputRunsThroughItsTarget)
{
    const std::vector<std::string_view> targets = fuzzing::TargetNames();
    for (const fs::directory_entry& folder : fs::directory_iterator(kInputs))
        EXPECT_NE(std::find(targets.begin(), targets.end(), folder.path().filename().string()),
                  targets.end()) << folder.path() << " is no fuzz target's";
    for (std::string_view target : targets) {
        const fs::path folder = kInputs / target;
        ASSERT_TRUE(fs::is_directory(folder)) << "no inputs for " << target;
        for (const fs::directory_entry& file : fs::directory_iterator(folder)) {
            const std::string input = cli_testing::ReadFile(file.path());
            EXPECT_NO_THROW(fuzzing::Run(target, {reinterpret_cast<const std::uint8_t*>(input.data()),
                                                  input.size()}))
                << file.path();
        }
    }
}

} // namespace
