// Profiles as the program reads them: bases, and refusals that name what is wrong and what
// is allowed. That a profile's texts are read as the forms read them is checked against
// the editors themselves (editors_agree_ui_test.cpp).

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
    folder.write("bad.json", R"({"model": "qh404", "fields": {"vid": "zz"}})");
    auto fields = [](const std::string& entries) {
        return R"({"model": "qh404", "fields": {)" + entries + "}}";
    };
    const std::pair<std::string, std::string> kCases[] = {
        {fields(R"("over_current_timer": "8ms")"),
         R"(key "over_current_timer": "8ms" is not one of its items; allowed: "2ms", "4ms", "6ms")"},
        {fields(R"("port1_non_removable": "Non-Removable")"), // the odd spelling is the item
         R"("Non-Removable" is not one of its items; allowed: "Removeable", "Non-Removeable")"},
        {fields(R"("vid": "zz")"), R"(p.json: key "vid": "zz" is not a hex number; allowed: hex )"
                                   R"(digits, optionally after 0x, at most 7 characters, such as "7A7A")"},
        {R"({"extends": "bad.json", "fields": {"pid": "1"}})", R"(bad.json: key "vid": "zz" is not)"},
        {fields(R"("over_current_timer": null)"), R"("over_current_timer": null is not one of its items)"},
        {fields(R"("vid": null)"), R"(key "vid": null is not a text)"},
        {fields(R"("vid": "1", "pid": "2", "vid": "3")"), R"(p.json: key "vid" is given twice in one object)"},
        {fields(R"("vid": "12zz")"), R"("12zz" is not a hex number)"},
        {fields(R"("vid": "")"), R"("" is not a hex number)"},
        {fields(R"("vid": "00001234")"), "is longer than the form's box takes"},
        {fields(R"("vid": 4660)"), R"(4660 is not a text; allowed: hex digits, optionally)"},
        {fields(R"("Vid": "1")"), R"(unknown key "Vid" for qh404; allowed: vid, pid, did, )"},
        {fields(R"("power_on_timer": "1", "power_on_time": "2")"),
         R"(p.json: keys "power_on_timer" and "power_on_time" name the same field)"},
        {fields(R"("prod_string": "x")"), R"(unknown key "prod_string" for qh404; allowed: vid,)"},
        {R"({"model": "qh999"})", R"(p.json: unknown model "qh999"; allowed: qh404, qh102, )"},
        {R"({"model": "qh404", "field": {}})", R"(unknown entry "field")"},
        {R"({"fields": {}})", R"(no "model")"},
        {"{\n  \"model\": \"qh404\",\n}", "p.json: not valid JSON: line 3, column 1: syntax error "},
        {R"({"extends": "self.json"})", "self.json -> "},
        {R"({"extends": "a.json"})", "b.json -> "},
        {R"({"model": "qh102", "extends": "base.json"})",
         "p.json is for qh102 but its base base.json is for qh404"},
        {R"({"extends": "missing.json"})", "p.json: its base missing.json: no such file"},
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

TEST(Profiles, StringsAreOneBytePerCharacterAndTheirLengthsFollowThem)
{
    TempFolder folder;
    auto encode = [&](const std::string& fields) {
        folder.write("p.json", R"({"model": "qh207", "fields": {)" + fields + "}}");
        return folder.run("encode p.json");
    };
    const Result following = encode(R"("mfg_string": "Köln")");
    ASSERT_EQ(following.code, 0) << following.err;
    EXPECT_EQ(following.out.substr(0x13, 1), "\x04") << "the length the form's refresh shows";
    EXPECT_EQ(following.out.substr(0x16, 8), std::string("K\0\xF6\0l\0n\0", 8));
    EXPECT_EQ(following.err, "");

    // A length given is kept, so an image whose lengths disagree with its strings decodes
    // and encodes back as it was; the disagreement is pointed out.
    const Result given = encode(R"("mfg_string": "abc", "mfg_length": "05")");
    ASSERT_EQ(given.code, 0) << given.err;
    EXPECT_EQ(given.out.substr(0x13, 1), "\x05");
    EXPECT_EQ(given.err, "hubquill-cli: warning: key \"mfg_length\": \"05\" kept as given; the form "
                         "shows \"03\" once \"mfg_string\" is typed (the image differs at byte 0x13)\n");
    EXPECT_EQ(folder.run("decode p.json -m qh207").code, 1) << "a profile is not an image";
    folder.write("image.bin", given.out);
    EXPECT_EQ(folder.run("decode image.bin -m qh207" + Pipe("encode -")).out, given.out);

    for (const std::string& refused : {std::string(R"("mfg_string": "€")"),
                                       std::string(R"("mfg_length": "1a")"),
                                       R"("mfg_string": ")" + std::string(256, 'x') + "\""}) {
        const Result result = encode(refused);
        EXPECT_EQ(result.code, 1) << refused;
        EXPECT_NE(result.err.find("key \"mfg_"), std::string::npos) << result.err;
    }
}

// A profile written with the key a family once named its bits by builds the image the
// current key builds, from a file and from --set alike; one that names no other model's
// bits would be ignored, so each case changes the image from the defaults.
TEST(Profiles, OldKeysGiveTheFieldsTheirBitsHaveNow)
{
    TempFolder folder;
    const struct {
        const char* model;
        const char* old;
        const char* current;
    } kCases[] = {
        {"qh404", R"("power_on_timer": "12")", R"("power_on_time": "12")"},
        {"qh107", R"("power_on_timer": "12")", R"("power_on_time": "12")"},
        {"qh404", R"("port_power_enabling": "Gang", "current_sensing": "Gang")",
         R"("port_power": "Gang", "current_sensing": "Gang")"},
        {"qh103", R"("port_power_enabling": "Individual")", R"("port_power": "Individual")"},
        {"qh304", R"("string_enable": "Enable String Support", "prod_length": "3", "prod_string": "Hub")",
         R"("string_enable": "Enable String Support", "product_length": "3", "product_string": "Hub")"},
    };
    for (const auto& row : kCases) {
        auto encode = [&](const std::string& fields) {
            folder.write("p.json", R"({"model": ")" + std::string(row.model) + R"(", "fields": {)" +
                                       fields + "}}");
            return folder.run("encode p.json");
        };
        const Result old = encode(row.old);
        ASSERT_EQ(old.code, 0) << row.old << old.err;
        EXPECT_EQ(old.out, encode(row.current).out) << row.old;
        EXPECT_NE(old.out, encode("").out) << row.old << " was ignored";
    }
    ASSERT_EQ(folder.run("defaults qh404 -o defaults.json").code, 0);
    EXPECT_EQ(folder.run("encode defaults.json --set power_on_timer=12").out,
              folder.run("encode defaults.json --set power_on_time=12").out);
}

// --set gives a field as a profile extending the given one would.
TEST(Profiles, SettingsAreReadAsAnExtendingProfileIsRead)
{
    TempFolder folder;
    folder.write("base.json", R"({"model": "qh207", "fields": {"vid": "1111", "mfg_string": "Old"}})");
    folder.write("over.json", R"({"extends": "base.json", "fields": {"vid": "2", "mfg_string": "A=B"}})");
    const Result set = folder.run("encode base.json --set vid=2 --set mfg_string=A=B");
    ASSERT_EQ(set.code, 0) << set.err;
    EXPECT_EQ(set.out, folder.run("encode over.json").out);
    EXPECT_EQ(set.out.substr(0, 2), std::string("\x00\x20", 2)) << "0x2000: read by digit position";
    EXPECT_EQ(set.out[0x13], '\x03') << "the length follows the string";
    for (const char* refused : {"--set vid", "--set =1", "--set 'vid=zz'", "--set nokey=1"})
        EXPECT_EQ(folder.run("encode base.json " + std::string(refused)).code, 1) << refused;
}

// --set acts as typing does: a string set makes its length follow, over the profile's,
// unless the run sets the length too. A length kept as given is warned of only where the
// image differs from the one the form builds, saying where.
TEST(Profiles, SettingAStringIsTypingItAndOnlyADifferentImageIsWarnedOf)
{
    TempFolder folder;
    ASSERT_EQ(folder.run("defaults qh207 -o defaults.json").code, 0);
    folder.write("given.json", R"({"model": "qh207", "fields": {"mfg_string": "abc", "mfg_length": "05"}})");
    folder.write("same.json", R"({"model": "qh207", "fields": {"mfg_string": "abc", "mfg_length": "3"}})");
    const std::string kept = "hubquill-cli: warning: key \"mfg_length\": \"05\" kept as given; the form shows "
                             "\"03\" once \"mfg_string\" is typed (the image differs at byte 0x13)\n";
    const struct {
        std::string arguments;
        char length; // byte 0x13
        std::string err;
    } kCases[] = {
        {"defaults.json --set mfg_string=abc", 3, ""},
        {"defaults.json --set mfg_string=abc --set mfg_length=05", 5, kept},
        {"given.json --set mfg_string=xy", 2, ""},
        {"given.json --set mfg_length=04", 4,
         "hubquill-cli: warning: key \"mfg_length\": \"04\" kept as given; the form shows \"03\" once "
         "\"mfg_string\" is typed (the image differs at byte 0x13)\n"},
        {"given.json", 5, kept},
        {"same.json", 3, ""}, // "3" builds what "03" builds
    };
    for (const auto& row : kCases) {
        const Result result = folder.run("encode " + row.arguments);
        ASSERT_EQ(result.code, 0) << row.arguments << result.err;
        EXPECT_EQ(result.out[0x13], row.length) << row.arguments;
        EXPECT_EQ(result.err, row.err) << row.arguments;
    }
}

// The texts are read as the form holds them once left, and the same checks refuse them.
TEST(Profiles, TheQh304TakesTextsAsItsFormLeavesThemAndRefusesWhatItRefuses)
{
    TempFolder folder;
    auto encode = [&](const std::string& fields) {
        folder.write("p.json", R"({"model": "qh304", "fields": {)" + fields + "}}");
        return folder.run("encode p.json -o out.bin");
    };
    const Result taken = encode(R"("vid": "7a7a", "pid": "7", "power_on_time": "")");
    ASSERT_EQ(taken.code, 0) << taken.err;
    EXPECT_EQ(folder.read("out.bin").substr(0, 4), std::string("\x7A\x7A\x07\x00", 4));
    EXPECT_EQ(folder.read("out.bin")[0x10], '\0');

    const std::pair<const char*, const char*> kRefused[] = {
        {R"("mfg_length": "32")",
         "Enter a valid value for the field 'Mfg Len' (decimal number in range 0 through 31) "
         "(key \"mfg_length\"; nothing written)"},
        {R"("mfg_length": "05", "mfg_string": "abc")",
         "The Mfg string length (3) does not match the value in field 'Mfg Len' (5). Enter the "
         "correct string and its length (key \"mfg_string\"; nothing written)"},
        {R"("product_length": "02")", "(key \"product_string\"; nothing written)"},
        {R"("did": "12G4")", "Enter a valid value for the field 'DID' (4 digit HEX number)"},
    };
    for (const auto& [fields, message] : kRefused) {
        std::filesystem::remove(folder.path() / "out.bin");
        const Result refused = encode(fields);
        EXPECT_EQ(refused.code, 1) << fields;
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "out.bin"));
    }
}

} // namespace
