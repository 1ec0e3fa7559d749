// Every model the program is built with, through the built program: its defaults encode to
// the image the editor creates from an opened form, and every image the editor creates
// decodes to a profile that encodes back to it.

#include "cli/actions.h"
#include "cli/profile.h"

#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace cli_testing;

namespace {

// The first bytes of the image an editor creates from its defaults; the rest stay erased.
const std::map<std::string_view, std::vector<std::uint8_t>> kDefaultImages{
    {"qh404", {0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x58, 0x00, 0x05, 0x00, 0x00, 0x80}},
    {"qh102", {0x7A, 0x7A, 0x02, 0x01, 0x00, 0x00, 0x0C, 0x90, 0x00, 0x00, 0x00, 0x01, 0x64, 0x01, 0x64, 0x32}},
    {"qh103", {0x7A, 0x7A, 0x03, 0x01, 0x00, 0x00, 0x1C, 0x90, 0x00, 0x00, 0x00, 0x01, 0x64, 0x01, 0x64, 0x32}},
    {"qh104", {0x7A, 0x7A, 0x04, 0x01, 0x00, 0x00, 0x1C, 0x90, 0x00, 0x00, 0x00, 0x01, 0x64, 0x01, 0x64, 0x32}},
    {"qh107", {0x7A, 0x7A, 0x07, 0x01, 0x00, 0x00, 0x1C, 0x90, 0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x01, 0x32}},
};

std::string erasedImage(std::vector<std::uint8_t> head)
{
    head.resize(256, 0xFF);
    return {head.begin(), head.end()};
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

// Values a user could give the form: any item of each choice, any number of each hex
// field's width or its default (IDs that name another model would send a load to another
// form); texts keep their defaults.
layout::Values randomValues(const layout::Model& model, std::mt19937& generator)
{
    layout::Values values = layout::DefaultValues(model);
    for (const layout::Field& field : model.fields) {
        const std::string key(field.key);
        if (field.kind == layout::Kind::Choice && !field.items.empty())
            values.numbers[key] = static_cast<std::int64_t>(generator() % field.items.size());
        else if (field.kind == layout::Kind::Hex && generator() % 2 == 0)
            values.numbers[key] = generator() & field.place.mask();
    }
    return values;
}

// Whether the model's editor loads the image into its own form without asking.
bool loadsAsItself(const layout::Model& model, const CE2promData& image)
{
    if (model.foreignImageQuestion && model.foreignImageQuestion(image))
        return false;
    return !model.chooseDisplayModel || model.chooseDisplayModel(image, model).model == &model;
}

TEST(EveryModel, DefaultsPipedIntoEncodeAreTheEditorsCreate)
{
    const std::string program = quoted(HUBQUILL_CLI_PATH);
    std::size_t examples = 0;
    for (const layout::Model* model : layout::AllModels()) {
        TempFolder folder;
        const std::string id(model->id);
        const Result result = RunProgram(folder, "defaults " + id + " | " + program + " encode -");
        EXPECT_EQ(result.code, 0) << id;
        EXPECT_EQ(result.err, "") << id;
        EXPECT_EQ(result.out,
                  Text(cli::Create(*model, layout::DefaultValues(*model)).image.bytes()))
            << id;
        if (const auto example = kDefaultImages.find(model->id); example != kDefaultImages.end()) {
            EXPECT_EQ(result.out, erasedImage(example->second)) << id;
            ++examples;
        }
    }
    EXPECT_GT(examples, 0u) << "no model with a known default image is built in";
}

TEST(EveryModel, TheQh404BusPoweredExampleFromAProfile)
{
    TempFolder folder;
    folder.write("bus.json", R"({"model": "qh404", "fields": {"self_bus_power": "Bus-Power",
        "port_indicators": "No-LED", "max_power": "64", "hub_current": "64",
        "port4_disable": "Disable"}})");
    const Result result = RunProgram(folder, "encode bus.json --format srec");
    ASSERT_EQ(result.code, 0) << result.err;
    folder.write("bus.srec", result.out);
    const Result listed = RunProgram(folder, "dump bus.srec");
    EXPECT_EQ(listed.out.substr(0, 52), "00: 7A 7A A7 00 00 00 98 08 05 64 64 80 FF FF FF FF\n");
}

TEST(EveryModel, DecodeThenEncodeGivesBackEveryImageTheEditorCreates)
{
    std::mt19937 generator(404);
    for (const layout::Model* model : layout::AllModels()) {
        const std::string id(model->id);
        TempFolder folder;
        for (int round = 0; round < 12; ++round) {
            layout::Values values = layout::DefaultValues(*model);
            for (int attempt = 0; round > 0 && attempt < 100; ++attempt) {
                values = randomValues(*model, generator);
                if (loadsAsItself(*model, cli::Create(*model, values).image))
                    break;
            }
            const CE2promData image = cli::Create(*model, values).image;
            ASSERT_TRUE(loadsAsItself(*model, image)) << id;
            const std::string created = Text(image.bytes());
            folder.write("created.bin", created);
            const Result decoded = RunProgram(folder, "decode created.bin --model " + id);
            ASSERT_EQ(decoded.code, 0) << id << ": " << decoded.err;
            EXPECT_EQ(decoded.err, "") << id << " round " << round;
            folder.write("decoded.json", decoded.out);
            const Result encoded = RunProgram(folder, "encode decoded.json");
            ASSERT_EQ(encoded.code, 0) << id << ": " << encoded.err;
            EXPECT_EQ(encoded.err, "") << id << " round " << round;
            EXPECT_EQ(encoded.out, created) << id << " round " << round;
        }
    }
}

} // namespace
