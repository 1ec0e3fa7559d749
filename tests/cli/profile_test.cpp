#include "cli/error.h"
#include "cli/profile.h"

#include "tests/cli/cli_support.h"
#include "tests/cli/test_models.h"

#include <gtest/gtest.h>

using namespace cli;
using cli_testing::TempFolder;

namespace {

const Models kModels = test_models::kModels;

class Profiles : public ::testing::Test {
protected:
    Profile read(const std::string& name)
    {
        std::istringstream in(m_stdin);
        return ReadProfile(m_folder.path(name), kModels, in);
    }
    // The message of the refusal, or "" when the profile was accepted.
    std::string refusal(const std::string& name)
    {
        try {
            read(name);
        } catch (const Error& error) {
            return error.what();
        }
        return {};
    }

    TempFolder m_folder;
    std::string m_stdin;
};

TEST_F(Profiles, OmittedFieldsTakeTheDefaultsAndTextsAreReadAsTheFormReadsThem)
{
    m_folder.write("p.json", R"({"model": "tma", "fields": {
        "vid": " 0x1234", "timer": "6ms", "sensing": "Individual", "bus_max_power": "fa",
        "name": "Köln"}})");
    const Profile profile = read("p.json");
    ASSERT_EQ(profile.model, &test_models::kModelA);
    layout::Values expected = layout::DefaultValues(test_models::kModelA);
    expected.numbers["vid"] = 0x1234;
    expected.numbers["timer"] = 2;
    expected.numbers["sensing"] = 1;
    expected.numbers["bus_max_power"] = 0xFA;
    expected.texts["name"] = "K\xF6ln";
    EXPECT_EQ(profile.values.numbers, expected.numbers);
    EXPECT_EQ(profile.values.texts, expected.texts);
    EXPECT_TRUE(profile.warnings.empty());

    // What a profile shows of those values reads back to the same values.
    m_folder.write("shown.json", ProfileOf(test_models::kModelA, profile.values).dump());
    EXPECT_EQ(read("shown.json").values.numbers, expected.numbers);
    EXPECT_EQ(read("shown.json").values.texts, expected.texts);
    EXPECT_EQ(ProfileOf(test_models::kModelA, profile.values)["fields"]["name"], "Köln");
}

TEST_F(Profiles, TheDefaultProfileIsTheOpenedForm)
{
    const auto defaults = DefaultProfile(test_models::kModelB);
    EXPECT_EQ(defaults["model"], "tmb");
    EXPECT_EQ(defaults["fields"]["pid"], "0103");
    EXPECT_EQ(defaults["fields"]["bus_max_power"], "64") << "as the form shows it, not as a load would";
    m_folder.write("d.json", defaults.dump());
    const Profile profile = read("d.json");
    EXPECT_EQ(profile.values.numbers, layout::DefaultValues(test_models::kModelB).numbers);
}

TEST_F(Profiles, ABaseGivesWhatItsExtensionLeavesOut)
{
    m_folder.write("bases/base.json",
                   R"({"model": "tma", "fields": {"vid": "1111", "timer": "4ms"}})");
    m_folder.write("boards/mid.json",
                   R"({"extends": "../bases/base.json", "fields": {"timer": "6ms", "pid": "2"}})");
    m_folder.write("boards/top.json",
                   R"({"model": "tma", "extends": "mid.json", "fields": {"pid": "3"}})");
    const Profile profile = read("boards/top.json");
    EXPECT_EQ(profile.values.number("vid"), 0x1111);
    EXPECT_EQ(profile.values.number("timer"), 2);
    EXPECT_EQ(profile.values.number("pid"), 3);
    EXPECT_EQ(profile.values.number("power"), 0) << "the default where no layer says otherwise";
}

TEST_F(Profiles, CyclesAndModelMismatchesAreRefused)
{
    m_folder.write("self.json", R"({"model": "tma", "extends": "self.json"})");
    EXPECT_NE(refusal("self.json").find("cycle"), std::string::npos);
    m_folder.write("a.json", R"({"model": "tma", "extends": "b.json"})");
    m_folder.write("b.json", R"({"extends": "./a.json"})");
    const std::string cycle = refusal("a.json");
    EXPECT_NE(cycle.find("cycle"), std::string::npos) << cycle;
    EXPECT_NE(cycle.find("b.json"), std::string::npos) << cycle;

    m_folder.write("base.json", R"({"model": "tma"})");
    m_folder.write("other.json", R"({"model": "tmb", "extends": "base.json"})");
    const std::string mismatch = refusal("other.json");
    EXPECT_NE(mismatch.find("is for tmb but its base"), std::string::npos) << mismatch;
    EXPECT_NE(mismatch.find("is for tma"), std::string::npos) << mismatch;

    m_folder.write("orphan.json", R"({"extends": "missing.json"})");
    EXPECT_NE(refusal("orphan.json").find("missing.json: no such file"), std::string::npos);
}

TEST_F(Profiles, ErrorsNameTheKeyAndWhatIsAllowed)
{
    auto refusalOf = [&](const std::string& fields) {
        m_folder.write("bad.json", R"({"model": "tma", "fields": )" + fields + "}");
        return refusal("bad.json");
    };
    EXPECT_EQ(refusalOf(R"({"timer": "8ms"})"),
              R"(key "timer": "8ms" is not one of its items; allowed: "2ms", "4ms", "6ms")");
    EXPECT_EQ(refusalOf(R"({"port1": "Non-Removable"})"),
              R"(key "port1": "Non-Removable" is not one of its items; allowed: "Removeable", "Non-Removeable")")
        << "item texts count exactly, odd spellings included";
    EXPECT_EQ(refusalOf(R"({"vid": "zz"})"),
              R"(key "vid": "zz" is not a hex number; allowed: hex digits, optionally after 0x, at most 7 characters, such as "7A7A")");
    EXPECT_NE(refusalOf(R"({"vid": "12zz"})").find("is not a hex number"), std::string::npos);
    EXPECT_NE(refusalOf(R"({"vid": ""})").find("is not a hex number"), std::string::npos);
    EXPECT_NE(refusalOf(R"({"vid": "00001234"})").find("longer than the form's box takes"),
              std::string::npos);
    EXPECT_NE(refusalOf(R"({"vid": 4660})").find("4660 is not a text"), std::string::npos);
    EXPECT_NE(refusalOf(R"({"name": "€"})").find("cannot store"), std::string::npos);
    const std::string unknownKey = refusalOf(R"({"Vid": "1"})");
    EXPECT_NE(unknownKey.find(R"(unknown key "Vid" for tma; allowed: vid, pid, power, )"),
              std::string::npos)
        << unknownKey;

    m_folder.write("model.json", R"({"model": "qh999"})");
    EXPECT_EQ(refusal("model.json"), R"(unknown model "qh999"; allowed: tma, tmb, tmx)");
    m_folder.write("entry.json", R"({"model": "tma", "field": {}})");
    EXPECT_NE(refusal("entry.json").find(R"(unknown entry "field")"), std::string::npos);
    m_folder.write("nomodel.json", R"({"fields": {}})");
    EXPECT_NE(refusal("nomodel.json").find("no \"model\""), std::string::npos);
    m_folder.write("broken.json", R"({"model": "tma",)");
    EXPECT_NE(refusal("broken.json").find("not valid JSON"), std::string::npos);
}

TEST_F(Profiles, WideHexIsCutAsTheFormCutsItWithAWarning)
{
    m_folder.write("wide.json", R"({"model": "tma", "fields": {"bus_max_power": "1FF"}})");
    const Profile profile = read("wide.json");
    EXPECT_EQ(profile.values.number("bus_max_power"), 0x1FF) << "the codec keeps the low bits";
    ASSERT_EQ(profile.warnings.size(), 1u);
    EXPECT_EQ(profile.warnings[0],
              R"(key "bus_max_power": "1FF" is wider than 8 bits; the image keeps FF)");
}

TEST_F(Profiles, NullLeavesAChoiceWithoutSelection)
{
    m_folder.write("none.json", R"({"model": "tma", "fields": {"timer": null}})");
    const Profile profile = read("none.json");
    EXPECT_EQ(profile.values.number("timer"), layout::kNoSelection);
    EXPECT_TRUE(ProfileOf(test_models::kModelA, profile.values)["fields"]["timer"].is_null());
}

TEST_F(Profiles, AProfileOnStandardInputMayExtendAFile)
{
    m_folder.write("base.json", R"({"model": "tmb", "fields": {"vid": "42"}})");
    const std::string base = m_folder.path("base.json");
    std::istringstream in(R"({"extends": ")" + base + R"(", "fields": {"pid": "7"}})");
    const Profile profile = ReadProfile("-", kModels, in);
    EXPECT_EQ(profile.model, &test_models::kModelB);
    EXPECT_EQ(profile.values.number("vid"), 0x42);
    EXPECT_EQ(profile.values.number("pid"), 7);
}

TEST(DisplayNames, SameLabelsAreToldApartByTheirGroup)
{
    const auto& model = test_models::kModelA;
    EXPECT_EQ(DisplayName(model, *layout::FindField(model.fields, "bus_max_power")),
              "Bus Power: Max Power (Hex)");
    EXPECT_EQ(DisplayName(model, *layout::FindField(model.fields, "timer")), "Over-Current Timer");
}

} // namespace
