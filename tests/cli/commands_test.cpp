#include "cli/actions.h"
#include "cli/image_formats.h"

#include "tests/cli/cli_support.h"
#include "tests/cli/test_models.h"

#include <gtest/gtest.h>

#include <random>

using namespace cli_testing;

namespace {

const cli::Models kModels = test_models::kModels;

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

std::string listing(const CE2promData& image)
{
    std::string text;
    for (const std::string& line : ListingLines(image))
        text += line + "\n";
    return text;
}

class Commands : public ::testing::Test {
protected:
    Result run(const std::vector<std::string>& arguments, const std::string& input = {})
    {
        return RunCommand(arguments, kModels, input);
    }
    std::string image(const std::string& name, const CE2promData& holder)
    {
        return folder.write(name, Text(holder.bytes()));
    }

    TempFolder folder;
};

TEST_F(Commands, DefaultsThenEncodeIsTheEditorsCreateOnTheOpenedForm)
{
    const Result defaults = run({"defaults", "tmb"});
    ASSERT_EQ(defaults.code, 0) << defaults.err;
    const std::string expected =
        Text(cli::Create(test_models::kModelB, layout::DefaultValues(test_models::kModelB))
                 .image.bytes());
    ASSERT_EQ(expected.substr(16), std::string(240, '\xFF')) << "untouched bytes stay erased";

    const Result piped = run({"encode", "-"}, defaults.out);
    EXPECT_EQ(piped.code, 0);
    EXPECT_EQ(piped.err, "");
    EXPECT_EQ(piped.out, expected);

    const std::string profile = folder.write("d.json", defaults.out);
    const Result written = run({"encode", profile, "-o", folder.path("nv.bin")});
    EXPECT_EQ(written.code, 0);
    EXPECT_EQ(written.out, "");
    EXPECT_EQ(folder.read("nv.bin"), expected);
}

TEST_F(Commands, EncodeWarnsOfEachCorrectionAndStrictWritesNothing)
{
    const std::string profile = folder.write(
        "p.json", R"({"model": "tma", "fields": {"port1": "Non-Removeable", "timer": null}})");
    const Result result = run({"encode", profile, "-o", folder.path("out.bin")});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(linesOf(result.err),
              (std::vector<std::string>{
                  "hubquill-cli: warning: Compound device field is set to 'No', all of the "
                  "ports will set to Removable",
                  "hubquill-cli: warning: Over-Current Timer:Invalid value 0xffffffff, default "
                  "to 0x0"}));
    EXPECT_EQ(static_cast<std::uint8_t>(folder.read("out.bin")[6]), 0x40)
        << "port 1 removable, timer nibble 0, as the corrected form says (bit 6 is spare)";

    folder.write("keep.bin", std::string("old"));
    const Result strict = run({"encode", profile, "--strict", "-o", folder.path("keep.bin")});
    EXPECT_EQ(strict.code, 1);
    EXPECT_EQ(linesOf(strict.err).size(), 1u) << strict.err;
    EXPECT_NE(strict.err.find("Compound device field"), std::string::npos);
    EXPECT_EQ(folder.read("keep.bin"), "old");
    EXPECT_EQ(run({"encode", profile, "--strict"}).out, "") << "nothing on standard output either";
}

TEST_F(Commands, EncodeWritesEveryFormatReadBackToTheSameImage)
{
    const std::string profile =
        folder.write("p.json", R"({"model": "tma", "fields": {"vid": "BEEF", "name": "ab"}})");
    const std::string binary = run({"encode", profile}).out;
    ASSERT_EQ(binary.size(), 256u);
    for (const char* format : {"ihex", "srec"}) {
        const Result text = run({"encode", profile, "--format", format});
        EXPECT_EQ(text.code, 0);
        EXPECT_EQ(cli::RecogniseFormat(std::vector<std::uint8_t>(text.out.begin(), text.out.end())),
                  *cli::FormatNamed(format));
        const std::string file = folder.write(std::string("image.") + format, text.out);
        EXPECT_EQ(run({"dump", file}).out, run({"dump", folder.write("image.bin", binary)}).out)
            << format;
    }
}

TEST_F(Commands, DecodeShowsTheFormAfterTheEditorsLoad)
{
    layout::Values values = layout::DefaultValues(test_models::kModelA);
    values.numbers["vid"] = 0x12;
    values.numbers["bus_max_power"] = 0xFA;
    values.numbers["timer"] = 1;
    values.texts["name"] = "\xE9t\xE9";
    CE2promData holder = cli::Create(test_models::kModelA, values).image;
    holder.SetByte(0x77, 200); // a load reads 16 bytes; the rest is not this family's
    const Result result = run({"decode", image("a.bin", holder), "--model", "tma"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const auto profile = nlohmann::json::parse(result.out);
    EXPECT_EQ(profile["model"], "tma");
    EXPECT_EQ(profile["fields"]["vid"], "0012");
    EXPECT_EQ(profile["fields"]["bus_max_power"], "fa");
    EXPECT_EQ(profile["fields"]["timer"], "4ms");
    EXPECT_EQ(profile["fields"]["name"], "été");
    EXPECT_EQ(profile["fields"].size(), test_models::kFields.size());
}

TEST_F(Commands, DecodeKeepsTheModelsSizeRule)
{
    const std::string shortFile = folder.write("short.bin", std::string(15, '\x01'));
    const Result tooShort = run({"decode", shortFile, "-m", "tma"});
    EXPECT_EQ(tooShort.code, 1);
    EXPECT_EQ(tooShort.err, "hubquill-cli: the file holds 15 bytes; a TMA image file holds at "
                            "least 16\n");
    const std::string longFile = folder.write("long.bin", std::string(1000, '\x01'));
    EXPECT_EQ(run({"decode", longFile, "-m", "tma"}).code, 0);
    const Result notWhole = run({"decode", longFile, "-m", "tmx"});
    EXPECT_EQ(notWhole.code, 1);
    EXPECT_NE(notWhole.err.find("holds exactly 256"), std::string::npos);
    EXPECT_EQ(run({"decode", folder.write("whole.bin", std::string(256, '\x01')), "-m", "tmx"}).code, 0);
}

TEST_F(Commands, LoadQuestionsAreAnsweredAsDocumentedAndPrintedAsWarnings)
{
    auto imageWith = [&](std::uint8_t modelByte, std::uint8_t familyByte) {
        CE2promData holder = cli::Create(test_models::kModelA,
                                         layout::DefaultValues(test_models::kModelA)).image;
        holder.SetByte(modelByte, 2);
        holder.SetByte(familyByte, 3);
        return image("q.bin", holder);
    };
    auto modelOf = [](const Result& result) {
        return nlohmann::json::parse(result.out)["model"].get<std::string>();
    };

    const Result foreign = run({"decode", imageWith(0x02, 0x25), "-m", "tma"});
    EXPECT_EQ(foreign.code, 0);
    EXPECT_EQ(foreign.err, "hubquill-cli: warning: Dev PID 225 is not TM. Click OK to go on, "
                           "Cancel to abort [answered OK]\n");
    const Result refused = run({"decode", imageWith(0x02, 0x25), "-m", "tma", "--strict"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.out, "");

    const Result named = run({"decode", imageWith(0x03, 0x01), "-m", "tma"});
    EXPECT_EQ(modelOf(named), "tmb") << "the family editor shows the model the image names";
    EXPECT_EQ(named.err, "hubquill-cli: note: the image names the TMB, whose form shows it\n");
    EXPECT_EQ(run({"decode", imageWith(0x03, 0x01), "-m", "tma", "--strict"}).code, 0)
        << "a note is no warning";

    const Result asked = run({"decode", imageWith(0x09, 0x01), "-m", "tma"});
    EXPECT_EQ(modelOf(asked), "tmb");
    EXPECT_EQ(asked.err,
              "hubquill-cli: warning: Select TMB as display template [answered Yes]\n");
    const Result kept = run({"decode", imageWith(0x09, 0x01), "-m", "tma", "--keep-model"});
    EXPECT_EQ(modelOf(kept), "tma");
    EXPECT_NE(kept.err.find("[answered No]"), std::string::npos);
}

TEST_F(Commands, AValueTheDecodeCannotShowKeepsTheOpenedFormsValue)
{
    CE2promData holder;
    holder.SetByte(0x01, 3);
    holder.SetByte(0x02, 2);
    holder.SetByte(0x03, 6); // timer code 3 is no item
    const Result result = run({"decode", image("t.bin", holder), "-m", "tma"});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.err, "hubquill-cli: warning: Over-Current Timer:Invalid value 0x3\n");
    EXPECT_EQ(nlohmann::json::parse(result.out)["fields"]["timer"], "2ms");
    EXPECT_EQ(run({"decode", image("t.bin", holder), "-m", "tma", "--strict"}).code, 1);
}

TEST_F(Commands, EncodeOverABaseKeepsWhatTheModelDoesNotWriteAsLoaded)
{
    CE2promData base;
    for (std::uint32_t offset = 0; offset < CE2promData::kSize; ++offset)
        base.SetByte(0x00, offset);
    const std::string file = image("base.bin", base);
    const std::string profile = folder.write("p.json", std::string(R"({"model": "tmx"})"));
    const layout::Values defaults = layout::DefaultValues(test_models::kModelX);

    const Result over = run({"encode", profile, "--base", file});
    EXPECT_EQ(over.code, 0) << over.err;
    EXPECT_EQ(over.out, Text(cli::Create(test_models::kModelX, defaults, base).image.bytes()));
    EXPECT_EQ(over.out[7], '\x80') << "spare bits of an owned byte stay as loaded";
    EXPECT_EQ(over.out[200], '\x00') << "a whole-image load keeps every unused byte";
    const std::string fresh = run({"encode", profile}).out;
    EXPECT_EQ(fresh[7], '\xBF');
    EXPECT_EQ(fresh[200], '\xFF');

    // A 16-byte load leaves the rest of the holder erased, whatever the file holds.
    const std::string partial =
        run({"encode", folder.write("a.json", std::string(R"({"model": "tma"})")), "--base", file}).out;
    EXPECT_EQ(partial[7], '\x80');
    EXPECT_EQ(partial[200], '\xFF');

    EXPECT_EQ(run({"encode", profile, "--base", folder.write("s.bin", std::string(9, 'x'))}).code, 1)
        << "the model's size rule holds for the base";
    EXPECT_EQ(run({"encode", "-", "--base", "-"}, R"({"model": "tmx"})").code, 1);
}

TEST_F(Commands, DumpListsAsTheEditorsList)
{
    std::vector<std::uint8_t> bytes(256);
    std::mt19937 generator(9);
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(generator());
    CE2promData holder;
    holder.CopyIn(bytes.data(), 256);
    const std::string hex = folder.write("r.hex", cli::Encoded(bytes, cli::Format::IntelHex));
    const Result result = run({"dump", hex});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, listing(holder));

    CE2promData loaded; // what the 16-byte editor holds after loading the same file
    loaded.CopyIn(bytes.data(), 16);
    EXPECT_EQ(run({"dump", hex, "--model", "tma"}).out, listing(loaded));

    const Result longer = run({"dump", folder.write("big.bin", std::string(300, 'x'))});
    EXPECT_EQ(longer.code, 0);
    EXPECT_NE(longer.err.find("the first 256 are listed"), std::string::npos);
    EXPECT_EQ(run({"dump", folder.write("empty.bin", std::string())}).code, 1);
    EXPECT_EQ(run({"dump", folder.write("brace.bin", std::string("{\xFF\x01"))}).out.substr(0, 13),
              "00: 7B FF 01 ") << "an image may start with a brace";
    EXPECT_EQ(run({"dump", folder.write("p.json", std::string(R"({"model":"tma"})"))}).err,
              "hubquill-cli: " + folder.path("p.json") + ": this is a profile, not an image\n");
}

TEST_F(Commands, DiffNamesTheFieldsThenTheBytesNoFieldShows)
{
    const std::string a = folder.write("a.json", std::string(R"({"model": "tma"})"));
    layout::Values values = layout::DefaultValues(test_models::kModelA);
    values.numbers["vid"] = 0x1234;
    values.numbers["timer"] = 1;
    CE2promData holder = cli::Create(test_models::kModelA, values).image;
    holder.SetByte(holder.GetByte(7) ^ 0x01, 7); // a spare bit
    const std::string b = image("b.bin", holder);

    const Result result = run({"diff", a, b});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(linesOf(result.out),
              (std::vector<std::string>{
                  R"(VID (Hex) [0x00-0x01 low byte first]: A "7A7A", B "1234")",
                  R"(Over-Current Timer [0x06 bits 3-0]: A "2ms", B "4ms")",
                  "byte 0x07 (no field shows the difference): A BF, B BE"}));

    const std::string same = image("same.bin", cli::Create(test_models::kModelA,
                                                           layout::DefaultValues(test_models::kModelA)).image);
    const Result equal = run({"diff", a, same});
    EXPECT_EQ(equal.code, 0);
    EXPECT_EQ(equal.out, "");
    EXPECT_EQ(run({"diff", same, b, "-m", "tma"}).code, 1);

    const std::string inherits = folder.write("c.json", std::string(R"({"extends": "a.json"})"));
    EXPECT_EQ(run({"diff", inherits, b}).out, result.out) << "the model may come from a base";

    const Result noModel = run({"diff", same, b});
    EXPECT_EQ(noModel.code, 1);
    EXPECT_NE(noModel.err.find("needs --model"), std::string::npos);
    const Result otherModel = run({"diff", a, b, "-m", "tmb"});
    EXPECT_EQ(otherModel.code, 1);
    EXPECT_NE(otherModel.err.find("is a profile for tma, not for tmb"), std::string::npos);
}

TEST_F(Commands, DescribeIsTheByteMapOfTheDescription)
{
    const Result result = run({"describe", "tma"});
    EXPECT_EQ(result.code, 0);
    const std::vector<std::string> lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 1 + test_models::kFields.size() + 1);
    EXPECT_EQ(lines[0], "TMA (tma): test model A, two ports");
    EXPECT_EQ(lines[1], "0x00-0x01 low byte first  VID (Hex) [vid]: hex text of at most 7 "
                        "characters (16 bits stored); default \"7A7A\"");
    EXPECT_EQ(lines[3], "0x06 bit 7                Self-/Bus-Power [power]: 0 \"Bus-Power\", "
                        "1 \"Self-Power\"; default \"Bus-Power\"");
    EXPECT_EQ(lines[6], "0x06 bits 3-0             Over-Current Timer [timer]: 0x5 \"2ms\", "
                        "0xA \"4ms\", 0xF \"6ms\"; default \"2ms\"");
    EXPECT_EQ(lines[7].substr(0, 41), "0x07 bits 7-6             Current Sensing");
    EXPECT_EQ(lines.back(), "0x10-0xFF                 unused: not used by the test family");
}

TEST_F(Commands, UsageErrorsExitWithTwoAndInputErrorsWithOne)
{
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"encode"},
                                               {"decode", "x.bin"},
                                               {"defaults", "qh999"},
                                               {"encode", "p.json", "--format", "hex"},
                                               {"models", "extra"}}) {
        const Result result = run(arguments);
        EXPECT_EQ(result.code, 2) << ::testing::PrintToString(arguments);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("--help"), std::string::npos);
    }
    const Result missing = run({"encode", folder.path("missing.json")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, "hubquill-cli: " + folder.path("missing.json") + ": no such file\n");
    EXPECT_EQ(run({"decode", folder.root().string(), "-m", "tma"}).code, 1);
    EXPECT_EQ(run({"--help"}).code, 0);
}

// Writes go to a temporary file renamed over the target; a failed write leaves the file
// that was there as it was.
TEST_F(Commands, AFailedWriteLeavesTheExistingFileIntact)
{
    // The temporary file's name is the target's with a dot and a suffix; for a name near
    // the file system's limit it cannot be created, so the write fails even for root.
    const std::string name(250, 'n');
    folder.write(name, std::string("precious"));
    const std::string profile = folder.write("p.json", std::string(R"({"model": "tma"})"));
    const fs::path previous = fs::current_path();
    fs::current_path(folder.root());
    const Result result = run({"encode", profile, "-o", name});
    fs::current_path(previous);
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, "hubquill-cli: " + name + ": cannot be written (an existing file is left as it was)\n");
    EXPECT_EQ(folder.read(name), "precious");

    const Result bad = run({"encode", folder.write("bad.json", std::string("{")), "-o",
                            folder.path(name)});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(folder.read(name), "precious");
}

} // namespace
