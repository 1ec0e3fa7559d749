// docs/profiles.md is generated from the layout descriptions; this keeps it so.

#include "cli/reference.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

TEST(Docs, ProfileKeysMatchTheDescriptions)
{
    const std::filesystem::path file =
        std::filesystem::path(__FILE__).parent_path() / "../../docs/profiles.md";
    std::ifstream stream(file);
    ASSERT_TRUE(stream) << file;
    const std::string written{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    EXPECT_EQ(written, cli::KeysReference(layout::AllModels()))
        << "docs/profiles.md is out of date: run `hubquill-cli keys > docs/profiles.md`";
}

} // namespace
