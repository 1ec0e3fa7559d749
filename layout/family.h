#pragma once

// A family of models described once: the family's fields, and per model what it lacks and
// the values it sets its own way, written as data.

#include "layout/field.h"

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace layout {

// A value one model of a family sets its own way; empty members keep the family's.
struct Difference {
    std::string_view key;
    std::string_view label = {};
    std::span<const std::string_view> items = {};
    std::string_view defaultText = {};
    std::optional<Place> place = {};
};

// The fields of one model: `fields` (the family's that its ports allow) less the `absent`
// keys, with its differences applied. A difference or absence naming a key that is not
// there is a slip in the description and stops the program at once.
std::vector<Field> WithDifferences(std::vector<Field> fields,
                                   std::span<const std::string_view> absent,
                                   std::span<const Difference> differences);

} // namespace layout
