// The one load: what it refuses, what it asks and when, and what it takes, over the models
// whose load rules differ (an exact size or a least one, a question about another model's
// image, a family editor's choice of form).

#include "editors/registry.h"
#include "layout/load.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace layout;

namespace {

const Model& Named(std::string_view id) { return *editors::FindModel(id); }

// A file of `size` bytes, 0xFF but for the given first bytes.
std::vector<std::uint8_t> File(std::size_t size, std::vector<std::uint8_t> head = {})
{
    head.resize(size, 0xFF);
    return head;
}

LoadStep LoadOf(const Model& model, const std::vector<std::uint8_t>& file,
             const LoadAnswers& answers = {}, const CE2promData& holder = CE2promData())
{
    return Load(model, {file.size(), file}, holder, answers);
}

TEST(Load, RefusesTheSizesTheModelDoesNotTake)
{
    const struct {
        const char* model;
        std::size_t size;
        bool taken;
    } kCases[] = {
        {"qh304", 256, true},  {"qh304", 255, false}, {"qh304", 257, false},
        {"qh207", 256, true},  {"qh207", 4096, false}, {"qh404", 16, true},
        {"qh404", 15, false},  {"qh404", 4096, true}, {"qh107", 0, false},
    };
    // Every question answered beforehand: only the size decides.
    const LoadAnswers yes{.foreignImage = true, .displayTemplate = true};
    for (const auto& row : kCases)
        EXPECT_EQ(LoadOf(Named(row.model), File(row.size), yes).outcome,
                  row.taken ? LoadOutcome::Taken : LoadOutcome::Refused)
            << row.model << " " << row.size;
    const std::vector<std::uint8_t> head(10, 0x00); // the file shrank after its size was read
    EXPECT_EQ(Load(Named("qh304"), {256, head}, CE2promData(), {}).outcome,
              LoadOutcome::Refused);
}

TEST(Load, ReadsItsBytesOverTheHolder)
{
    CE2promData holder;
    holder.SetByte(0x42, 100);
    // The QH404's own product ID, A700: nothing is asked.
    const LoadStep step = LoadOf(Named("qh404"), File(300, {0x7A, 0x7A, 0xA7, 0x00}), {}, holder);
    ASSERT_EQ(step.outcome, LoadOutcome::Taken);
    EXPECT_EQ(step.image.GetByte(2), 0xA7);
    EXPECT_EQ(step.image.GetByte(15), 0xFF);
    EXPECT_EQ(step.image.GetByte(100), 0x42) << "past the sixteen bytes the holder's own";
    EXPECT_EQ(step.model, &Named("qh404"));
    EXPECT_FALSE(step.modelChosen);
}

// The QH1xx editor shows an image in the form of the model its product ID names; an ID of
// no model of its own asks for the template, the QH107.
TEST(Load, AFamilyEditorFollowsTheImageToItsModel)
{
    const Model& current = Named("qh102");
    const struct {
        std::uint8_t modelByte;
        LoadAnswers answers;
        LoadOutcome outcome;
        const char* shown;
        bool chosen;
    } kCases[] = {
        {0x04, {}, LoadOutcome::Taken, "qh104", true},
        {0x02, {}, LoadOutcome::Taken, "qh102", true},
        {0x05, {}, LoadOutcome::Asks, nullptr, false},
        {0x05, {.displayTemplate = true}, LoadOutcome::Taken, "qh107", true},
        {0x05, {.displayTemplate = false}, LoadOutcome::Taken, "qh102", false},
        {0x04, {.followImage = false}, LoadOutcome::Taken, "qh102", false},
        {0x05, {.followImage = false}, LoadOutcome::Taken, "qh102", false},
    };
    for (const auto& row : kCases) {
        const LoadStep step =
            LoadOf(current, File(16, {0x7A, 0x7A, row.modelByte, 0x01}), row.answers);
        ASSERT_EQ(step.outcome, row.outcome) << int(row.modelByte);
        if (row.outcome == LoadOutcome::Asks) {
            EXPECT_EQ(step.question, LoadQuestion::DisplayTemplate);
            EXPECT_EQ(step.questionText, "Select QH107 as display template");
            continue;
        }
        EXPECT_EQ(step.model, &Named(row.shown)) << int(row.modelByte);
        EXPECT_EQ(step.modelChosen, row.chosen) << int(row.modelByte);
        EXPECT_EQ(step.decoded.values.size(), step.model->fields.size())
            << "decoded by the model that shows it";
    }
}

} // namespace
