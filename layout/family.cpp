#include "layout/family.h"

#include <algorithm>
#include <cstdlib>

namespace layout {

namespace {

Field& fieldNamed(std::vector<Field>& fields, std::string_view key)
{
    const auto found = std::find_if(fields.begin(), fields.end(),
                                    [&](const Field& field) { return field.key == key; });
    if (found == fields.end())
        std::abort(); // the description names a field the family does not have
    return *found;
}

} // namespace

std::vector<Field> WithDifferences(std::vector<Field> fields,
                                   std::span<const std::string_view> absent,
                                   std::span<const Difference> differences)
{
    for (std::string_view key : absent)
        fields.erase(fields.begin() + (&fieldNamed(fields, key) - fields.data()));
    for (const Difference& difference : differences) {
        Field& field = fieldNamed(fields, difference.key);
        if (!difference.label.empty())
            field.label = difference.label;
        if (!difference.items.empty())
            field.items = difference.items;
        if (!difference.defaultText.empty())
            field.defaultText = difference.defaultText;
        if (difference.place)
            field.place = *difference.place;
    }
    return fields;
}

} // namespace layout
