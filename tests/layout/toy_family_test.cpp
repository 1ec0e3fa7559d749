// A new family is its description, its rules and its pages: the toy family of the tests has
// nothing else, and every generic path serves it.

#include "image/e2prom_data.h"
#include "layout/load.h"
#include "layout/model.h"
#include "support/toy_family.h"

#include <gtest/gtest.h>

using namespace layout;

namespace {

std::size_t At(std::string_view key) { return *FieldIndex(toy::kModel, key); }

TEST(ToyFamily, ItsDescriptionAloneMakesAWorkingModel)
{
    const Model& model = toy::kModel;
    EXPECT_EQ(CheckModel(model), std::vector<std::string>{});
    const Model* family[]{&model};
    EXPECT_EQ(CheckRules(family), std::vector<std::string>{});

    // Defaults: VID low byte first, level "Mid" in bits 2-1, trim in byte 3; zeros elsewhere.
    CE2promData image;
    EXPECT_TRUE(Create(model, DefaultValues(model), image).corrections.empty());
    EXPECT_EQ(image.GetByte(0), 0x34);
    EXPECT_EQ(image.GetByte(1), 0x12);
    EXPECT_EQ(image.GetByte(2), 0x02);
    EXPECT_EQ(image.GetByte(3), 0x0A);
    EXPECT_EQ(image.GetByte(4), 0x00);

    // A pick rule with its message, and the greying it follows.
    Values values = DefaultValues(model);
    EXPECT_FALSE(Enabled(model, values)[At("trim")]);
    values.setIndex(At("boost"), 1);
    const std::optional<Correction> picked = OnUserChange(model, At("boost"), values);
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->message, "Boost needs the high level");
    EXPECT_EQ(picked->changes.index(At("level")), 2);
    EXPECT_TRUE(Enabled(model, values, At("boost"))[At("trim")]);
    EXPECT_FALSE(Enabled(model, values, At("level"), std::vector<bool>(5, false))[At("trim")])
        << "a row is looked at again only when its own field changes";

    // A Create rule puts the values right before the image is built, and says so.
    values = DefaultValues(model);
    values.setIndex(At("extra"), 1);
    const EncodeResult created = Create(model, values, image);
    ASSERT_EQ(created.corrections.size(), 1u);
    EXPECT_EQ(created.corrections[0].message, "Extra without boost is written as No");
    EXPECT_EQ(image.GetByte(2), 0x02) << "bit 3 written as the corrected value";

    // The one load takes it back.
    const LoadStep step =
        Load(model, {.size = 4, .head = {image.bytes().data(), 4}}, CE2promData{}, {});
    ASSERT_EQ(step.outcome, LoadOutcome::Taken);
    EXPECT_EQ(ShowValue(model.fields[At("vid")], step.decoded.values, At("vid")), "1234");
    EXPECT_EQ(step.decoded.values.index(At("extra")), 0);
}

} // namespace
