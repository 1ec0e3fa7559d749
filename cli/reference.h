#pragma once

// Texts generated from the layout descriptions, so the documentation cannot drift from the
// code: the byte map of a model (`describe`) and the profile keys (`keys`, which writes
// docs/profiles.md).

#include "cli/profile.h"
#include "layout/describe.h"

#include <string>

namespace cli {

using layout::PlaceText;

// The byte map of a model: one line per field in offset order, with its items and their
// stored values, and the unused byte ranges.
std::string ByteMap(const layout::Model& model);

// The profile keys of a model as a Markdown section: key, label, group, values allowed,
// default.
std::string KeysSection(const layout::Model& model);

// The keys profiles were once written with, and the keys they are read as now.
std::string OldKeysSection();

// The whole profile reference (docs/profiles.md): an introduction, every model, then the
// old keys.
std::string KeysReference(Models models);

} // namespace cli
