#pragma once

// Texts about where fields live and what their values are, made from the layout
// description alone: the tooltips of the forms, the names of the bytes of the hex listing,
// what the next Create would change in a loaded image, and the byte map and field names of
// hubquill-cli. Nobody writes an offset a second time.

#include "layout/model.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CE2promData;

namespace layout {

// A field's name for people: its label, with its group when another field of the model
// has the same label.
std::string DisplayName(const Model& model, const Field& field);

// Where a field lives: "0x06 bit 7", "0x08 bits 3-0", "0x00-0x01 high byte first",
// "0x16-0x53, length in 0x15".
std::string PlaceText(const Field& field);

// The code a choice item stores: "1" for a one-bit field, "0xA" otherwise.
std::string CodeText(const Field& field, std::size_t item);

// What a box takes, and what of it reaches the image: "hex text of at most 7 characters
// (16 bits stored)".
std::string BoxRule(const Model& model, const Field& field);

// A field's tooltip: where it lives ("Offset 0x06 bit 7", "Offsets 0x16-0x53, ..."), what
// it takes (each item with the code it stores, or the box's rule) and its profile key.
std::string FieldTip(const Model& model, const Field& field);

// The fields holding bits of byte `offset`, by their position in the model.
std::vector<std::size_t> FieldsAt(const Model& model, unsigned offset);

// What byte `offset` holds: a line per field naming the bits it has ("Over-Current Timer:
// bits 3-0"), bits no field holds, or "not used by this model" for a byte no field holds.
std::string ByteText(const Model& model, unsigned offset);

// A byte the next Create would write differently from the image shown.
struct ByteChange {
    std::uint8_t shown = 0;
    std::uint8_t written = 0;
    std::vector<std::string> why; // one line per field or group of bits that differs
};

// The bytes Create would write differently from `shown` when the form holds `values`,
// keyed by offset, each with why: the decode's note or the rule's message for a field,
// what the field shows, and bits no field holds.
std::map<unsigned, ByteChange> ChangesOnCreate(const Model& model, const Values& values,
                                               const CE2promData& shown,
                                               const std::vector<DecodeNote>& notes = {});

// The lines a marked byte adds to its description: "The next Create writes 0x05 here
// (now 0x03):" followed by the reasons.
std::string ChangeText(const ByteChange& change);

} // namespace layout
