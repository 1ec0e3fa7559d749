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

#include "layout/describe.h"
#include "layout/model.h"

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

using Models = std::span<const layout::Model* const>;

// The model with that id; throws cli::Error listing the ids there are.
const layout::Model& ModelNamed(Models models, std::string_view id);

using layout::DisplayName;

struct Profile {
    const layout::Model* model = nullptr;
    layout::Values values;             // every field of the model
    std::vector<std::string> warnings; // values the image cannot hold as given, and the like
};

// A field given on the command line for one run (--set KEY=TEXT), over the profile's own.
struct Setting {
    std::string key;
    std::string text;
};

// Throws cli::Error, naming `what`, when a text given on the command line is no UTF-8.
void RequireUtf8(std::string_view text, const std::string& what);

// Each "KEY=TEXT" as a Setting (the text may hold "=" too). Throws cli::Error for one
// without a key.
std::vector<Setting> SettingsOf(const std::vector<std::string>& arguments);

// Reads a profile file ("-": `in`), following its bases, with `settings` over its fields as
// if the profile gave them. Throws cli::Error naming the file and, for a bad value, the key
// and the values allowed.
Profile ReadProfile(const std::string& name, Models models, std::istream& in,
                    std::span<const Setting> settings = {});
// The same for a profile whose content has been read already (bases are read from files).
Profile ReadProfile(const std::string& name, std::span<const std::uint8_t> content,
                    Models models, std::istream& in, std::span<const Setting> settings = {});

// Field texts by key, as a profile's "fields" gives them.
using FieldTexts = std::map<std::string, nlohmann::json, std::less<>>;

// Reads texts over `values` as a profile's are read: each as the form holds it once typed in
// and left, then the fields the form fills once a text is typed and left (a string's
// length) follow it, unless `texts` gives them too. Throws cli::Error naming the key and the
// values allowed.
void ReadTexts(const layout::Model& model, const FieldTexts& texts, layout::Values& values,
               std::vector<std::string>& warnings);

// The profile of a model's form as it opens: every field with its default text.
nlohmann::ordered_json DefaultProfile(const layout::Model& model);

// The profile of a form showing `values` (texts as the form shows them after a load).
nlohmann::ordered_json ProfileOf(const layout::Model& model, const layout::Values& values);

// A field's value as a profile gives it: the text the form shows, null for a choice
// without a selection.
nlohmann::json ProfileValue(const layout::Field& field, const layout::Values& values,
                            std::size_t at);

} // namespace cli
