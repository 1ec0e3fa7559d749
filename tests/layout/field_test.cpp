#include "editors/registry.h"
#include "image/e2prom_data.h"
#include "layout/model.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

using namespace layout;

namespace {

TEST(HexReaders, ScannedOrByDigitPosition)
{
    EXPECT_EQ(ScanHex("7A7A", 7), 0x7A7Au);
    EXPECT_EQ(ScanHex("  0x1fF", 7), 0x1FFu);
    EXPECT_EQ(ScanHex("12g4", 7), 0x12u);
    EXPECT_EQ(ScanHex("", 4), 0u);
    EXPECT_EQ(ScanHex("0x", 4), 0u);
    EXPECT_EQ(ScanHex(" 12345", 4), 0x1234u) << "the width counts after the blanks";
    EXPECT_EQ(ScanHex("0x123", 4), 0x12u) << "and includes the prefix";
    EXPECT_EQ(ScanHex("5", 2), 0x05u);

    EXPECT_EQ(DigitHex("12", 4), 0x1200u);
    EXPECT_EQ(DigitHex("5", 2), 0x50u);
    EXPECT_EQ(DigitHex("G1", 2), 0x01u);
    EXPECT_EQ(DigitHex("zz", 2), 0x00u);
    EXPECT_EQ(DigitHex("0203", 4), 0x0203u);
}

TEST(Numbers, DecimalReadingAndEveryShowFormat)
{
    EXPECT_EQ(ScanDecimal("05"), 5);
    EXPECT_EQ(ScanDecimal(" 31x"), 31);
    EXPECT_EQ(ScanDecimal("-7"), -7);
    EXPECT_EQ(ScanDecimal("ab"), 0);

    EXPECT_EQ(ShowNumber(Show::HexUpper4, 0x8001), "8001");
    EXPECT_EQ(ShowNumber(Show::HexUpper4, 0xA7), "00A7");
    EXPECT_EQ(ShowNumber(Show::HexLower4, 0x040A), "040a");
    EXPECT_EQ(ShowNumber(Show::HexLower2, 0x01), "01");
    EXPECT_EQ(ShowNumber(Show::HexLower, 0x00), "0");
    EXPECT_EQ(ShowNumber(Show::HexLower, 0xFA), "fa");
    EXPECT_EQ(ShowNumber(Show::HexUpper, 0x05), "5");
    EXPECT_EQ(ShowNumber(Show::Decimal2, 7), "07");
    EXPECT_EQ(ShowNumber(Show::Decimal2, 200), "200");
    EXPECT_EQ(ShowNumber(Show::Decimal, 0), "0");
}

TEST(Bits, PutKeepsTheNeighbours)
{
    CE2promData image;
    image.SetByte(0x00, 8);
    PutBits(image, {8, 4, 2}, 0b11);
    PutBits(image, {8, 0, 4}, 0xA);
    EXPECT_EQ(image.GetByte(8), 0x3A);
    PutBits(image, {8, 4, 2}, 0b111); // too wide: cut to the place
    EXPECT_EQ(image.GetByte(8), 0x3A);
    EXPECT_EQ(GetBits(image, {8, 4, 2}), 0b11u);
    PutBits(image, {0, 0, 16, true}, 0x1234);
    EXPECT_EQ(image.GetByte(0), 0x12);
    EXPECT_EQ(GetBits(image, {0, 0, 16, true}), 0x1234u);
}

constexpr std::array<std::string_view, 3> kTimerItems{"2ms", "4ms", "6ms"};
constexpr std::array<std::uint8_t, 3> kTimerCodes{0x5, 0xA, 0xF};
constexpr std::array<std::string_view, 2> kNoYes{"No", "Yes"};
constexpr std::array<std::string_view, 3> kSensing{"Gang", "Individual", "None"};

TEST(Choices, MappedCodesAndFallbacks)
{
    const Field timer{.key = "timer", .label = "Timer", .items = kTimerItems,
                      .defaultText = "2ms", .place = {8, 0, 4}, .codes = kTimerCodes};
    EXPECT_EQ(CodeOfIndex(timer, 1), 0xAu);
    EXPECT_EQ(CodeOfIndex(timer, kNoSelection), 0x5u) << "no selection stores the first item";
    EXPECT_EQ(ItemOfCode(timer, 0xF), 2);
    EXPECT_EQ(ItemOfCode(timer, 0x3), -1);

    const Field sensing{.key = "s", .label = "S", .items = kSensing, .defaultText = "Gang",
                        .place = {6, 1, 2}, .fallback = "None"};
    EXPECT_EQ(ItemOfCode(sensing, 1), 1);
    EXPECT_EQ(ItemOfCode(sensing, 3), 2) << "bits 11 read as the fallback";
}

// A model of one byte field, one two-digit box, one length and one string, to follow a
// form's texts through the generic codec.
constexpr std::array<Field, 4> kSmallFields{{
    {.key = "flag", .label = "Flag", .items = kNoYes, .defaultText = "No", .place = {0, 7, 1}},
    {.key = "byte", .label = "Byte", .kind = Kind::Hex, .defaultText = "32", .place = {1},
     .limit = 2, .show = Show::HexLower2},
    {.key = "len", .label = "Len", .kind = Kind::Decimal, .defaultText = "00", .place = {2},
     .limit = 2, .show = Show::Decimal2},
    {.key = "text", .label = "Text", .kind = Kind::Text, .place = {4, 0, 8, false, 62},
     .limit = 31, .countAt = 2},
}};
constexpr std::array<UnusedBytes, 2> kSmallUnused{{{3, 3, "spare"}, {66, 255, "spare"}}};
constexpr Page kSmallPages[]{{"", Rows()}};

Model SmallModel(CreateStart start)
{
    return {.id = "small", .name = "Small", .fields = kSmallFields, .unused = kSmallUnused,
            .readHex = HexReading::ByDigitPosition,
            .typing = {.capitals = true, .padOnLeave = true},
            .start = start, .pages = kSmallPages};
}

TEST(GenericCodec, TextsInBytesOutAndBack)
{
    const Model model = SmallModel(CreateStart::Zeros);
    ASSERT_EQ(CheckModel(model), std::vector<std::string>{});
    Values values = DefaultValues(model);
    values.setIndex(0, 1);
    values.setText(1, "5");
    values.setText(2, "03");
    values.setText(3, "abc");
    CE2promData image;
    Create(model, values, image);
    EXPECT_EQ(ListingLines(image)[0], "00: 80 50 03 00 61 00 62 00 63 00 00 00 00 00 00 00");
    EXPECT_EQ(image.GetByte(255), 0x00) << "a model starting from zeros";

    const DecodeResult decoded = model.decode(model, image);
    EXPECT_EQ(decoded.values.index(0), 1);
    EXPECT_EQ(decoded.values.text(1), "50");
    EXPECT_EQ(decoded.values.text(2), "03");
    EXPECT_EQ(decoded.values.text(3), "abc");
    EXPECT_EQ(LengthFieldOf(model, 3), 2u);
}

TEST(GenericCodec, WhereCreateStarts)
{
    const Values values = DefaultValues(SmallModel(CreateStart::KeepHolder));
    for (CreateStart start : {CreateStart::KeepHolder, CreateStart::Zeros, CreateStart::Erased}) {
        CE2promData holder;
        holder.SetByte(0x7F, 0); // a loaded byte 0: bit 7 is the flag's, the rest no field's
        Create(SmallModel(start), values, holder);
        const bool kept = start == CreateStart::KeepHolder;
        EXPECT_EQ(holder.GetByte(0), 0x00) << "the bits no field owns are written 0";
        EXPECT_EQ(holder.GetByte(3), kept ? 0xFF : 0x00);
        EXPECT_EQ(holder.GetByte(200), kept ? 0xFF : 0x00);
    }
}

TEST(FormText, AsTheBoxHoldsItOnceLeft)
{
    const Model padding = SmallModel(CreateStart::Zeros);
    const Field& byte = padding.fields[1];
    const Field& length = padding.fields[2];
    const Field& text = padding.fields[3];
    const Field word{.key = "w", .label = "W", .kind = Kind::Hex, .limit = 4};
    EXPECT_EQ(AsLeft(padding, word, "7"), "0007");
    EXPECT_EQ(AsLeft(padding, word, "12345"), "1234");
    EXPECT_EQ(AsLeft(padding, word, "ab"), "00AB");
    EXPECT_EQ(AsLeft(padding, byte, ""), "0");
    EXPECT_EQ(AsLeft(padding, byte, "f"), "0F");
    EXPECT_EQ(AsLeft(padding, length, "123"), "12");
    EXPECT_EQ(AsLeft(padding, text, std::string(40, 'x')), std::string(31, 'x'));
    EXPECT_EQ(AsLeft(padding, text, "abc"), "abc") << "no capitals in strings";

    Model plain = padding;
    plain.typing = {};
    EXPECT_EQ(AsLeft(plain, byte, "f"), "f");
    EXPECT_TRUE(Takes(byte, 'z'));
    EXPECT_FALSE(Takes(length, 'a'));
    EXPECT_FALSE(Takes(text, '\0'));
}

TEST(CheckModel, FindsWhatAReviewerWould)
{
    static constexpr std::array<Field, 6> fields{{
        {.key = "a", .label = "A", .items = kNoYes, .defaultText = "No", .place = {0, 0, 1}},
        {.key = "a", .label = "B", .items = kNoYes, .defaultText = "Maybe", .place = {0, 0, 1}},
        {.key = "w", .label = "W", .kind = Kind::Hex, .defaultText = "0", .place = {255, 0, 16},
         .limit = 4},
        {.key = "t", .label = "T", .group = "Timers", .items = kTimerItems,
         .defaultText = "2ms", .place = {1, 0, 2}, .codes = kTimerCodes, .fallback = "8ms"},
        {.key = "s", .label = "S", .kind = Kind::Text, .place = {10, 0, 8, false, 62},
         .limit = 31, .countAt = 9},
        {.key = "h", .label = "H", .kind = Kind::Hex, .defaultText = "123", .place = {2},
         .limit = 2},
    }};
    static constexpr std::array<UnusedBytes, 1> unused{{{3, 8, "spare"}}};
    // A caption spelled otherwise than its fields' drops a box, so "t" stands nowhere; the
    // table places "w" a second time.
    static constexpr Node parts[]{Group("Timer"), Rows()};
    static constexpr TableCell cells[]{{.key = "w"}, {.key = "missing"}};
    static constexpr Node page[]{{.part = Part::Stack, .parts = parts},
                                 {.part = Part::Table, .cells = cells}};
    static constexpr Page pages[]{{"", {.part = Part::Line, .parts = page}}};
    const Model model{
        .id = "broken", .name = "Broken", .fields = fields, .unused = unused, .pages = pages};
    const std::vector<std::string> problems = CheckModel(model);
    auto mentions = [&](std::string_view text) {
        for (const std::string& problem : problems)
            if (problem.find(text) != std::string::npos)
                return true;
        return false;
    };
    EXPECT_TRUE(mentions("key used twice: a"));
    EXPECT_TRUE(mentions("\"Maybe\" is not one of its items"));
    EXPECT_TRUE(mentions("share byte 0 bit 0"));
    EXPECT_TRUE(mentions("w: place outside"));
    EXPECT_TRUE(mentions("t: item 4ms does not fit"));
    EXPECT_TRUE(mentions("t: fallback \"8ms\""));
    EXPECT_TRUE(mentions("s: no length field at byte 9"));
    EXPECT_TRUE(mentions("h: its box takes no text, or less than its default"));
    EXPECT_TRUE(mentions("byte 9 is neither owned")) << "the area claims 10 to 71 only";
    EXPECT_TRUE(mentions("byte 100 is neither owned"));
    EXPECT_FALSE(mentions("byte 40 is"));
    EXPECT_TRUE(mentions("the group \"Timer\" on its page has no field"));
    EXPECT_TRUE(mentions("the field t stands on no page"));
    EXPECT_TRUE(mentions("the field w stands on its pages more than once"));
    EXPECT_TRUE(mentions("a table cell names a field it lacks: missing"));

    static constexpr std::string_view picked[]{"a"};
    static constexpr Setting sets[]{{"gone", "1"}, {"t", "9ms"}};
    static constexpr Rule rules[]{{.picked = picked, .item = "Yes", .sets = sets}};
    const Model ruled{.id = "ruled", .fields = fields, .rules = rules};
    const Model* family[]{&ruled};
    EXPECT_EQ(CheckRules(family),
              (std::vector<std::string>{"a rule names gone, which no model of its family has",
                                        "ruled: a rule names \"9ms\", which is not an item of t"}));
}

TEST(Models, EveryRegisteredDescriptionIsSound)
{
    std::map<std::string_view, std::vector<const Model*>> families;
    for (const Model* model : editors::AllModels()) {
        EXPECT_EQ(editors::FindModel(model->id), model);
        EXPECT_EQ(CheckModel(*model), std::vector<std::string>{}) << model->id;
        families[model->family].push_back(model);
    }
    for (const auto& [family, models] : families)
        EXPECT_EQ(CheckRules(models), std::vector<std::string>{}) << family;
}

} // namespace
