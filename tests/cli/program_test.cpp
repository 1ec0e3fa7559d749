// The built program as a user or a script runs it: arguments, standard input and output,
// exit codes. Only what the in-process tests cannot see is checked here.

#include "layout/model.h"

#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>

using namespace cli_testing;

namespace {

TEST(Program, ListsEveryModelItIsBuiltWith)
{
    TempFolder folder;
    const Result result = RunProgram(folder, "models");
    EXPECT_EQ(result.code, 0);
    std::string expected;
    for (const layout::Model* model : layout::AllModels())
        expected += std::string(model->id);
    std::string ids;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);)
        ids += line.substr(0, line.find(' '));
    EXPECT_EQ(ids, expected);
}

TEST(Program, ReadsStandardInputAndAnswersWithExitCodes)
{
    TempFolder folder;
    const Result listed = RunProgram(folder, "dump -", ":020000001234B8\n:00000001FF\n");
    EXPECT_EQ(listed.code, 0);
    EXPECT_EQ(listed.out.substr(0, 52), "00: 12 34 FF FF FF FF FF FF FF FF FF FF FF FF FF FF\n");

    const Result broken = RunProgram(folder, "dump -", ":020000001234B9\n:00000001FF\n");
    EXPECT_EQ(broken.code, 1);
    EXPECT_EQ(broken.out, "");
    EXPECT_EQ(broken.err, "hubquill-cli: standard input, line 1: checksum B9 is wrong, expected B8\n");

    const Result missing = RunProgram(folder, "dump nothing.bin");
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, "hubquill-cli: nothing.bin: no such file\n");

    EXPECT_EQ(RunProgram(folder, "").code, 2);
    EXPECT_EQ(RunProgram(folder, "dump").code, 2);
    const Result help = RunProgram(folder, "--help");
    EXPECT_EQ(help.code, 0);
    for (const char* command : {"models", "defaults", "encode", "decode", "dump", "diff", "describe"})
        EXPECT_NE(help.out.find(std::string("\n  ") + command + " "), std::string::npos) << command;
}

} // namespace
