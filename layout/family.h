#pragma once

// A family of models described once: the family's fields, and per model what it lacks and
// the values it sets its own way, written as data; and the models built from them once,
// each with what the family's rules need to know of it.

#include "layout/field.h"
#include "layout/model.h"

#include <cstdlib>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
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

// The entry of a family table (entries that hold a `field` and what the family adds to it)
// whose field has `key`; a key that is not there is a slip in the description.
template <typename Entry>
const Entry& EntryOf(std::span<const Entry> table, std::string_view key)
{
    for (const Entry& entry : table)
        if (entry.field.key == key)
            return entry;
    std::abort();
}

// A model as a family makes it: its description, and the fields it uses (which the
// description's span is set to once they have their lasting place).
struct MadeModel {
    Model model;
    std::vector<Field> fields;
};

// The models of a family, made once and kept for the life of the program, each with what
// the family's rules need to know of it (`Extra`: where the fields they work on sit, say).
// A rule that is handed a model finds its own things by the model's address, checked: a
// model of another family stops the program rather than reading past the family's tables.
template <typename Extra>
class FamilyModels {
public:
    // `count` models: the i-th is make(i), and its Extra is extraOf(the model as kept).
    template <typename Make, typename ExtraOf>
    FamilyModels(std::size_t count, Make make, ExtraOf extraOf)
    {
        m_fields.reserve(count);
        m_models.reserve(count);
        m_extras.reserve(count);
        for (std::size_t at = 0; at < count; ++at) {
            MadeModel made = make(at);
            m_fields.push_back(std::move(made.fields));
            made.model.fields = m_fields.back();
            m_models.push_back(made.model);
            m_extras.push_back(extraOf(m_models.back()));
        }
    }

    std::span<const Model> models() const { return m_models; }

    // The position of `model` among the family's.
    std::size_t indexOf(const Model& model) const
    {
        if (const std::optional<std::size_t> at = PositionAmong(m_models, model))
            return *at;
        std::abort(); // a model of another family was handed to this family's rules
    }

    const Extra& extraOf(const Model& model) const { return m_extras[indexOf(model)]; }

private:
    std::vector<std::vector<Field>> m_fields; // each model's; moving the outer keeps them
    std::vector<Model> m_models;
    std::vector<Extra> m_extras;
};

} // namespace layout
