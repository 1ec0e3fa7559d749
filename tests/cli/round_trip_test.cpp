// Random images of every model through the tool's text round trip, as a script takes them:
// decode to a profile's text, encode that text over the image (--base), decode again. The
// profile a decode prints is always one encode takes; the image settles after one encode;
// and no value changes between the two decodes unless a warning or a rule's message told
// of it. HUBQUILL_ROUND_TRIPS sets the images per model (the soak run sets a million).

#include "cli/actions.h"
#include "cli/profile.h"
#include "editors/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>

namespace {

using nlohmann::json;

long RoundsPerModel()
{
#if defined(__SANITIZE_ADDRESS__)
    constexpr long kRounds = 300; // the sanitizers' run is ten times slower
#else
    constexpr long kRounds = 3000;
#endif
    const char* given = std::getenv("HUBQUILL_ROUND_TRIPS");
    return given ? std::atol(given) : kRounds;
}

// Random bytes; in every other image the strings agree with their lengths, so a model that
// checks them builds as well as refuses.
std::vector<std::uint8_t> RandomImage(const layout::Model& model, std::mt19937& random, long round)
{
    std::vector<std::uint8_t> bytes(CE2promData::kSize);
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    if (round % 2 == 0)
        return bytes;
    for (const layout::Field& field : model.fields) {
        if (field.kind != layout::Kind::Text)
            continue;
        const unsigned length = bytes[field.countAt] % (layout::kStringUnits + 1);
        bytes[field.countAt] = static_cast<std::uint8_t>(length);
        for (unsigned i = 0; i < length; ++i) {
            bytes[field.place.offset + 2 * i] |= 1; // no character ends the string early
            bytes[field.place.offset + 2 * i + 1] = 0;
        }
    }
    return bytes;
}

struct Decoded {
    const layout::Model* model;
    std::string text; // the profile decode prints
};

Decoded DecodeText(const layout::Model& model, std::span<const std::uint8_t> bytes)
{
    const cli::Loaded loaded = cli::Load(model, bytes, {});
    return {loaded.model, cli::ProfileOf(*loaded.model, loaded.values).dump()};
}

cli::Profile ReadText(const std::string& text)
{
    std::istringstream nothing;
    return cli::ReadProfile("-", std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                            editors::AllModels(), nothing);
}

// The fields a warning says the image does not hold as given, or a rule's correction changed.
std::vector<bool> Told(const layout::Model& model, const cli::Profile& profile,
                       const cli::Created& created)
{
    std::vector<bool> told(model.fields.size(), false);
    for (std::size_t at = 0; at < model.fields.size(); ++at) {
        const std::string key = "key \"" + std::string(model.fields[at].key) + "\"";
        for (const std::string& warning : profile.warnings)
            told[at] = told[at] || (warning.starts_with(key) &&
                                    warning.find(" kept as given") == std::string::npos);
        for (const layout::Correction& correction : created.corrections)
            told[at] = told[at] || correction.changes.has(at);
    }
    return told;
}

class RandomImages : public testing::TestWithParam<const layout::Model*> {};

TEST_P(RandomImages, SettleAfterOneTextRoundTripAndChangeNothingUntold)
{
    const layout::Model& model = *GetParam();
    std::mt19937 random(static_cast<unsigned>(std::hash<std::string_view>()(model.id)));
    long built = 0;
    const long rounds = RoundsPerModel();
    for (long round = 0; round < rounds; ++round) {
        const std::vector<std::uint8_t> bytes = RandomImage(model, random, round);
        const Decoded first = DecodeText(model, bytes);
        const cli::Profile profile = ReadText(first.text); // throws if decode printed what encode refuses
        if (layout::RefuseCreate(*first.model, profile.values))
            continue;
        ++built;
        const cli::Created created =
            cli::Create(*first.model, profile.values, cli::LoadedHolder(model, bytes));
        const auto& image = created.image.bytes();
        const Decoded second = DecodeText(*first.model, image);
        ASSERT_EQ(second.model, first.model) << "round " << round;
        ASSERT_EQ(cli::Create(*first.model, ReadText(second.text).values, created.image).image.bytes(),
                  image) << "round " << round << ": the image did not settle";

        const std::vector<bool> told = Told(*first.model, profile, created);
        const json before = json::parse(first.text)["fields"];
        const json after = json::parse(second.text)["fields"];
        for (std::size_t at = 0; at < first.model->fields.size(); ++at) {
            const std::string key(first.model->fields[at].key);
            ASSERT_TRUE(told[at] || before[key] == after[key])
                << "round " << round << ": " << key << " went from " << before[key] << " to "
                << after[key] << " untold";
        }
    }
    EXPECT_GT(built, rounds / 4) << "too few images built to say much";
}

INSTANTIATE_TEST_SUITE_P(EveryModel, RandomImages, testing::ValuesIn(editors::AllModels()),
                         [](const testing::TestParamInfo<const layout::Model*>& info) {
                             std::string name(info.param->id);
                             for (char& c : name)
                                 c = c == '-' ? '_' : c;
                             return name;
                         });

} // namespace
