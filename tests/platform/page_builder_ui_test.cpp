// The desktop serves a new family from its description alone: the toy family's page is
// built by the page builder, and its rules run as the user picks.

#include "platform/field_form.h"
#include "platform/page_builder.h"
#include "support/toy_family.h"
#include "support/ui_fixture.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>

using namespace testing_support;

namespace {

class ToyPage : public UiTest {};

TEST_F(ToyPage, IsBuiltFromItsDescriptionAndRunsItsRules)
{
    QWidget page;
    platform::FieldForm form(&page, toy::kModel);
    platform::PageBuilder builder(form, toy::kModel.fields);
    builder.fill(page, toy::kModel.pages.front().root);
    form.reset();
    form.applyGreying();

    // Every field in the box of its group, found by its label there.
    EXPECT_EQ(Text(&page, QStringLiteral("IDs|VID")), QStringLiteral("1234"));
    EXPECT_EQ(ChoiceText(&page, QStringLiteral("Options|Level")), QStringLiteral("Mid"));
    EXPECT_FALSE(TextByLabel(&page, QStringLiteral("Options|Trim"))->isEnabled());

    Select(&page, QStringLiteral("Options|Boost"), QStringLiteral("Yes"));
    EXPECT_EQ(messages(), std::vector<QString>{QStringLiteral("Boost needs the high level")});
    EXPECT_EQ(ChoiceText(&page, QStringLiteral("Options|Level")), QStringLiteral("High"));
    EXPECT_TRUE(TextByLabel(&page, QStringLiteral("Options|Trim"))->isEnabled());
}

} // namespace
