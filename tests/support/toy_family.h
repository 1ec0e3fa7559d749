#pragma once

// A family that exists only in the tests, written the way docs/adding-a-model.md says a new
// family is: its fields, its rules and its pages as data, nothing else. The generic codec,
// the rules, the load, the profiles and the page builder must serve it without a line of
// code of its own.

#include "layout/fields.h"
#include "layout/model.h"

#include <array>
#include <string_view>

namespace toy {

using namespace std::string_view_literals;

inline constexpr std::array kNoYes{"No"sv, "Yes"sv};
inline constexpr std::array kLevels{"Low"sv, "Mid"sv, "High"sv};
inline constexpr layout::BoxStyle kBoxes{.wordLimit = 4, .byteLimit = 2,
                                         .byteShow = layout::Show::HexUpper};

inline constexpr std::array<layout::Field, 5> kFields{{
    kBoxes.word("vid", "VID", "IDs", 0, "1234"),
    layout::Choice("boost", "Boost", "Options", kNoYes, "No", {2, 0, 1}),
    layout::Choice("level", "Level", "Options", kLevels, "Mid", {2, 1, 2}),
    layout::Choice("extra", "Extra", "Options", kNoYes, "No", {2, 3, 1}),
    kBoxes.byte("trim", "Trim", "Options", 3, "0A"),
}};
inline constexpr std::array<layout::UnusedBytes, 2> kUnused{
    {{2, 2, "bits 7-4 spare"}, {4, 255, "not used by the toy"}}};

// Boost needs the high level; Extra only counts while boosting, and a Create without boost
// clears it, saying so. Trim is typed into only while boosting.
inline constexpr std::array kBoostKey{"boost"sv};
inline constexpr layout::Setting kHigh[]{{"level", "High"}};
inline constexpr layout::Setting kNoExtra[]{{"extra", "No"}};
inline constexpr layout::Rule kRules[]{
    {.picked = kBoostKey, .item = "Yes", .when = {"level", "High", false}, .sets = kHigh,
     .message = "Boost needs the high level"},
    {.on = layout::On::Create, .when = {"boost", "No"}, .sets = kNoExtra,
     .message = "Extra without boost is written as No", .onlyIfItChanges = true},
};
inline constexpr std::array kTrimKey{"trim"sv};
inline constexpr layout::EnabledIf kEnabling[]{{kTrimKey, {"boost", "Yes"}}};

inline constexpr layout::Node kColumns[]{layout::Group("IDs"), layout::Group("Options")};
inline constexpr layout::Page kPages[]{
    {"Toy", {.part = layout::Part::Line, .parts = kColumns}}};

inline constexpr layout::Model kModel{
    .id = "toy",
    .name = "TOY1",
    .description = "a family the tests add",
    .family = "toy",
    .fields = kFields,
    .unused = kUnused,
    .start = layout::CreateStart::Zeros,
    .loadSize = 4,
    .rules = kRules,
    .enabling = kEnabling,
    .pages = kPages,
};

} // namespace toy
