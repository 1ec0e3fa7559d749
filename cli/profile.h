#pragma once

// Profiles: a model's field values as JSON text, one stable key per form field
// (layout::Field::key) and the text the form shows as the value:
//
//   {"model": "qh404", "extends": "base.json", "fields": {"vid": "1234", ...}}
//
// Texts are held as the model's form holds them once typed in and left; omitted fields take
// the model's defaults, or follow a text given (a string's length); "extends" names a base
// profile (relative to this one) whose fields this one overrides. Generic over
// layout::Model: a family joins through its description alone.

#include "layout/model.h"

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

using Models = std::span<const layout::Model* const>;

// The model with that id; throws cli::Error listing the ids there are.
const layout::Model& ModelNamed(Models models, std::string_view id);

// A field's name for people: its label, with its group when another field of the model
// has the same label.
std::string DisplayName(const layout::Model& model, const layout::Field& field);

struct Profile {
    const layout::Model* model = nullptr;
    layout::Values values;             // every field of the model
    std::vector<std::string> warnings; // values the image cannot hold as given, and the like
};

// Reads a profile file ("-": `in`), following its bases. Throws cli::Error naming the file
// and, for a bad value, the key and the values allowed.
Profile ReadProfile(const std::string& name, Models models, std::istream& in);
// The same for a profile whose content has been read already (bases are read from files).
Profile ReadProfile(const std::string& name, std::span<const std::uint8_t> content,
                    Models models, std::istream& in);

// The profile of a model's form as it opens: every field with its default text.
nlohmann::ordered_json DefaultProfile(const layout::Model& model);

// The profile of a form showing `values` (texts as the form shows them after a load).
nlohmann::ordered_json ProfileOf(const layout::Model& model, const layout::Values& values);

// A field's value as a profile gives it: the text the form shows, null for a choice
// without a selection.
nlohmann::json ProfileValue(const layout::Field& field, const layout::Values& values,
                            std::size_t at);

} // namespace cli
