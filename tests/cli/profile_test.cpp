// Profiles as the program reads them: bases, and refusals that name what is wrong and what
// is allowed. That a profile's texts are read as the forms read them is checked against
// the editors themselves (editors_agree_ui_test.cpp).

#include "cli/actions.h"
#include "cli/error.h"
#include "cli/profile.h"

#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>

using namespace cli_testing;

namespace {

TEST(Profiles, BasesGiveWhatTheirExtensionsLeaveOut)
{
    TempFolder folder;
    folder.write("bases/base.json",
                 R"({"model": "qh404", "fields": {"vid": "1111", "over_current_timer": "4ms"}})");
    folder.write("boards/mid.json",
                 R"({"extends": "../bases/base.json", "fields": {"over_current_timer": "6ms", "pid": "2"}})");
    folder.write("boards/top.json", R"({"model": "qh404", "extends": "mid.json", "fields": {"pid": "3"}})");
    const Result top = folder.run("encode boards/top.json");
    ASSERT_EQ(top.code, 0) << top.err;
    EXPECT_EQ(top.out.substr(0, 9), std::string("\x11\x11\x00\x03\x00\x00\x58\x00\x0F", 9))
        << "VID of the base, timer of the middle, PID of the top, the rest defaults";
    EXPECT_EQ(folder.run("encode -", R"({"extends": "boards/top.json"})").out, top.out)
        << "a profile on standard input extends a file named from the current folder";
}

TEST(Profiles, RefusalsNameTheKeyOrFileAndWhatIsAllowed)
{
    TempFolder folder;
    folder.write("base.json", R"({"model": "qh404"})");
    folder.write("self.json", R"({"extends": "self.json"})");
    folder.write("a.json", R"({"extends": "b.json"})");
    folder.write("b.json", R"({"extends": "./a.json"})");
    auto fields = [](const std::string& entries) {
        return R"({"model": "qh404", "fields": {)" + entries + "}}";
    };
    const std::pair<std::string, std::string> kCases[] = {
        {fields(R"("over_current_timer": "8ms")"),
         R"(key "over_current_timer": "8ms" is not one of its items; allowed: "2ms", "4ms", "6ms")"},
        {fields(R"("port1_non_removable": "Non-Removable")"), // the odd spelling is the item
         R"("Non-Removable" is not one of its items; allowed: "Removeable", "Non-Removeable")"},
        {fields(R"("vid": "zz")"), R"(key "vid": "zz" is not a hex number; allowed: hex digits, )"
                                   R"(optionally after 0x, at most 7 characters, such as "7A7A")"},
        {fields(R"("vid": "12zz")"), R"("12zz" is not a hex number)"},
        {fields(R"("vid": "")"), R"("" is not a hex number)"},
        {fields(R"("vid": "00001234")"), "is longer than the form's box takes"},
        {fields(R"("vid": 4660)"), R"(4660 is not a text; allowed: hex digits, optionally)"},
        {fields(R"("Vid": "1")"), R"(unknown key "Vid" for qh404; allowed: vid, pid, did, )"},
        {R"({"model": "qh999"})", R"(unknown model "qh999"; allowed: qh404, qh102, qh103, )"},
        {R"({"model": "qh404", "field": {}})", R"(unknown entry "field")"},
        {R"({"fields": {}})", R"(no "model")"},
        {R"({"model": "qh404",)", "not valid JSON"},
        {R"({"extends": "self.json"})", "self.json -> "},
        {R"({"extends": "a.json"})", "b.json -> "},
        {R"({"model": "qh102", "extends": "base.json"})",
         "p.json is for qh102 but its base base.json is for qh404"},
        {R"({"extends": "missing.json"})", "missing.json: no such file"},
    };
    for (const auto& [profile, message] : kCases) {
        folder.write("p.json", profile);
        const Result result = folder.run("encode p.json -o out.bin");
        EXPECT_EQ(result.code, 1) << profile;
        EXPECT_EQ(LinesOf(result.err).size(), 1u) << result.err;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_EQ(folder.read("out.bin"), "") << "nothing written";
    }
}

// A model of whole images with a string, its length following it.
constexpr std::array<layout::Field, 2> kNameField{{
    {.key = "length", .label = "Length", .kind = layout::Kind::Decimal, .defaultText = "03",
     .place = {9}, .limit = 2, .show = layout::Show::Decimal2},
    {.key = "name", .label = "Name", .kind = layout::Kind::Text, .defaultText = "hub",
     .place = {10, 0, 8, false, 62}, .limit = 31, .countAt = 9},
}};
const layout::Model kWhole{.id = "tmx", .name = "TMX", .description = "whole images",
                           .fields = kNameField, .loadSize = 256, .exactLoadSize = true};
const layout::Model* const kWholeModels[] = {&kWhole};

TEST(Profiles, TextsAreOneBytePerCharacterInTheFormAndUtf8InTheProfile)
{
    auto read = [](const std::string& fields) {
        std::istringstream in(R"({"model": "tmx", "fields": )" + fields + "}");
        return cli::ReadProfile("-", kWholeModels, in);
    };
    const cli::Profile profile = read(R"({"name": "Köln"})");
    EXPECT_EQ(profile.values.text(1), "K\xF6ln");
    EXPECT_EQ(cli::ProfileOf(kWhole, profile.values)["fields"]["name"], "Köln");
    EXPECT_THROW(read(R"({"name": "€"})"), cli::Error);
}

TEST(Load, AWholeImageModelTakesExactly256BytesAndKeepsThemAll)
{
    const std::vector<std::uint8_t> bytes(257, 0x5A);
    EXPECT_THROW(cli::LoadedHolder(kWhole, bytes), cli::Error);
    EXPECT_THROW(cli::LoadedHolder(kWhole, std::span(bytes).first(255)), cli::Error);
    EXPECT_EQ(cli::LoadedHolder(kWhole, std::span(bytes).first(256)).GetByte(255), 0x5A);
}

} // namespace
