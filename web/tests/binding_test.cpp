// The page script's calls into the core: what crosses the JSON edge arrives whole (texts
// in UTF-8 on the page, single bytes in the image), and the answers carry the core's words.

#include "web/binding.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using json = nlohmann::json;

namespace {

json modelNamed(const std::string& id) { return json::parse(web::Model(id)); }

int fieldNamed(const json& model, const std::string& key)
{
    for (std::size_t at = 0; at < model["fields"].size(); ++at)
        if (model["fields"][at]["key"] == key)
            return static_cast<int>(at);
    ADD_FAILURE() << "no field " << key;
    return -1;
}

const std::string kErased = json(std::vector<int>(256, 0xFF)).dump();

TEST(Binding, ALatinOneCharacterIsOneByteOfTheImageAndComesBackAsTyped)
{
    const json model = modelNamed("qh304");
    json values = model["defaults"];
    values[fieldNamed(model, "string_enable")] = 1;
    values[fieldNamed(model, "mfg_string")] = "Caf\u00e9";
    values[fieldNamed(model, "mfg_length")] = "4";
    const json created = json::parse(web::Create("qh304", values.dump(), kErased));
    ASSERT_TRUE(created.contains("image")) << created.dump();
    // The string area holds its characters as 16-bit units, low byte first, so 'é' is the
    // unit 0x00E9.
    const std::vector<int> image = created["image"];
    const std::vector<int> cafe = {'C', 0, 'a', 0, 'f', 0, 0xE9, 0};
    EXPECT_NE(std::search(image.begin(), image.end(), cafe.begin(), cafe.end()), image.end());

    const json file = {{"size", 256}, {"head", image}};
    const json loaded = json::parse(web::Load("qh304", file.dump(), kErased, "{}"));
    ASSERT_EQ(loaded["outcome"], "taken") << loaded.dump();
    EXPECT_EQ(loaded["values"][fieldNamed(model, "mfg_string")], "Caf\u00e9");
}

TEST(Binding, TypingTakesWhatTheBoxTakes)
{
    const json model = modelNamed("qh304");
    const int text = fieldNamed(model, "mfg_string");
    const int length = fieldNamed(model, "mfg_length");
    const struct {
        int field;
        std::string typed;
        bool taken;
    } kCases[] = {
        {text, "Hub \u00e9", true},
        {text, "\u20ac", false}, // past U+00FF: no single byte holds it
        {length, "12", true},
        {length, "1a", false},
    };
    for (const auto& [field, typed, taken] : kCases)
        EXPECT_EQ(web::Takes("qh304", field, typed), taken) << typed;
    EXPECT_EQ(web::AsLeft("qh304", fieldNamed(model, "vid"), "7a"), "007A");
}

TEST(Binding, ARefusedCreateNamesItsFieldAndAProfileItsFault)
{
    const json model = modelNamed("qh304");
    json values = model["defaults"];
    values[fieldNamed(model, "vid")] = "";
    const json refused = json::parse(web::Create("qh304", values.dump(), kErased));
    ASSERT_TRUE(refused.contains("refusal")) << refused.dump();
    EXPECT_EQ(refused["refusal"]["field"], fieldNamed(model, "vid"));
    EXPECT_FALSE(refused["refusal"]["message"].get<std::string>().empty());

    const json bad = json::parse(web::ReadProfile("p.json", R"({"model": "qh999"})"));
    EXPECT_NE(bad["error"].get<std::string>().find("unknown model \"qh999\""), std::string::npos);
}

TEST(Binding, AProfileOfTheFormOpensAsTheSameForm)
{
    const json all = json::parse(web::Models());
    for (const json& entry : all["models"]) {
        const std::string id = entry["id"];
        const json model = modelNamed(id);
        const json opened = json::parse(web::ReadProfile("p.json", web::ProfileOf(id, model["defaults"].dump())));
        ASSERT_FALSE(opened.contains("error")) << opened.dump();
        EXPECT_EQ(opened["model"], id);
        EXPECT_EQ(opened["values"], model["defaults"]) << id;
    }
}

} // namespace

namespace {

// The rows of every group of a model's pages, as the page script renders them.
void collectRows(const json& node, std::vector<json>& rows)
{
    if (node["part"] == "group")
        for (const json& row : node["fields"])
            rows.push_back(row);
    for (const json& part : node["parts"])
        collectRows(part, rows);
}

TEST(Binding, AFamilyWindowShowsTheFieldsItsModelLacksByCaption)
{
    const auto absent = [](const std::string& id) {
        std::vector<json> rows;
        const json model = modelNamed(id);
        for (const json& page : model["pages"])
            collectRows(page["root"], rows);
        std::vector<std::string> labels;
        for (const json& row : rows)
            if (row.is_object())
                labels.push_back(row["label"]);
        return labels;
    };
    const std::vector<std::string> qh102 = absent("qh102");
    EXPECT_NE(std::find(qh102.begin(), qh102.end(), "Port Indicators"), qh102.end());
    EXPECT_NE(std::find(qh102.begin(), qh102.end(), "Port 7 Non-Removable"), qh102.end());
    EXPECT_TRUE(absent("qh107").empty());
    EXPECT_TRUE(absent("qh304").empty());
}

} // namespace
