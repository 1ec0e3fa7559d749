#pragma once

// Texts generated from the layout descriptions, so the documentation cannot drift from the
// code: the byte map of a model (`describe`) and the profile keys (`keys`, which writes
// docs/profiles.md).

#include "cli/profile.h"

#include <string>

namespace cli {

// Where a field lives: "0x06 bit 7", "0x08 bits 3-0", "0x00-0x01 high byte first".
std::string PlaceText(const layout::Field& field);

// The byte map of a model: one line per field in offset order, with its items and their
// stored values, and the unused byte ranges.
std::string ByteMap(const layout::Model& model);

// The profile keys of a model as a Markdown section: key, label, group, values allowed,
// default.
std::string KeysSection(const layout::Model& model);

// The whole profile reference (docs/profiles.md): an introduction, then every model.
std::string KeysReference(Models models);

} // namespace cli
