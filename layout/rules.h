#pragma once

// The rules of a form written as rows of data, of the kinds most families share: a pick
// that gives other fields a value (with a message, or silently), a Create that puts values
// right before it builds the image, and a field enabled only while another shows an item.
// They work on values, never on an image; the desktop, the browser and the command line
// apply the same rows. A family's truly own rule stays a named function on values: a
// Create rule's `own`, or the model's onUserChange and greying hooks.
//
// The tables are written once per family: a key that one model of the family lacks (a port
// it does not have) is passed over in that model.

#include "layout/values.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace layout {

struct Model;

// Field `key` shows `item` (or, with `is` false, anything else). An empty item stands for
// a list that shows no item of its own (no selection, or a code no item has). An empty key
// always holds.
struct Shows {
    std::string_view key = {};
    std::string_view item = {};
    bool is = true;
};

// The value a rule gives a field: an item of its list, or the text of its box.
struct Setting {
    std::string_view key;
    std::string_view value;
};

enum class On : std::uint8_t {
    Pick,   // the user picks `item` in one of the `picked` lists
    Create, // a Create is about to build the image from the values
};

struct Rule {
    On on = On::Pick;
    std::span<const std::string_view> picked = {}; // Pick: the lists it follows
    std::string_view item = {};                    // Pick: the item picked; "" any
    Shows when = {};                               // and while this holds
    std::span<const Setting> sets = {};
    // What the user is told first; "" tells nothing. "%x" in it takes the index the field
    // of `when` shows.
    std::string_view message = {};
    // The rule holds only when one of its settings changes what a field stores.
    bool onlyIfItChanges = false;
    // Create: the form shows the settings, while the image holds what the encoder stores
    // for the value as it was (a list that shows no item stores its field's no-item code).
    bool showsOnly = false;
    // Create: a family's own rule on the values, when no row can say it; nothing when it
    // finds nothing to put right.
    std::optional<Correction> (*own)(const Model&, const Values&) = nullptr;
    std::string_view about = {}; // what an own rule does, for listings
};

// `fields` are enabled while `when` holds, greyed otherwise. The row is looked at again
// when the form opens, resets or (if the model's greying follows loads) loads, and when the
// user changes the field `when` names.
struct EnabledIf {
    std::span<const std::string_view> fields;
    Shows when;
};

// Whether the values hold `shows` in the model (a key the model lacks never holds).
bool Holds(const Model& model, const Values& values, const Shows& shows);

// What the Pick rows of the model make of the user's pick of `field`: the first row that
// holds, as a correction.
std::optional<Correction> PickRule(const Model& model, std::size_t field, const Values& now);

// Runs the Create rows in order over `values`, each on what the rows before it left:
// the corrections in order, and the values the image is built from.
std::vector<Correction> CreateRules(const Model& model, Values& values);

// Applies the EnabledIf rows to `enabled`, then greys the fields that are always greyed.
void ApplyEnabling(const Model& model, const Values& values, std::optional<std::size_t> changed,
                   std::vector<bool>& enabled);

// One line per rule, for listings of a model ("describe").
std::vector<std::string> DescribeRules(const Model& model);

// Problems of a family's rule rows (`models` are the family's, which share them): a key no
// model of the family has, an item that is not one of its field's.
std::vector<std::string> CheckRules(std::span<const Model* const> models);

} // namespace layout
