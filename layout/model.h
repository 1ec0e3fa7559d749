#pragma once

// One hub model as the rest of the program sees it: its fields, how its form reads and
// rewrites text, how Create builds its image and a load decodes one, what a load takes,
// and the rules and checks of its form. The GUI editors, the command-line tool and the
// tests all go through these descriptions.

#include "layout/field.h"
#include "layout/page.h"
#include "layout/rules.h"
#include "layout/strings.h"
#include "layout/values.h"
#include "layout/window_texts.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CE2promData;

namespace layout {

// Bytes of the image that no field owns, with the reason, so every byte is accounted for.
struct UnusedBytes {
    std::uint16_t first = 0;
    std::uint16_t last = 0;
    std::string_view why;
};

struct EncodeResult {
    std::vector<Correction> corrections; // in the order the editor shows them
};

struct DecodeResult {
    Values values;                 // every field the decode could set
    std::vector<DecodeNote> notes; // in the order the editor shows them
};

struct Model;

// Which model's form shows a loaded image. A family editor that serves several models
// picks the form from the image itself; when the image names none of them it asks
// `question` (Yes/No): Yes shows `ifYes`, No keeps the current model.
struct DisplayChoice {
    const Model* model = nullptr;
    std::string question;
    const Model* ifYes = nullptr;
};

// What a form does to typed text besides holding it to its box's limit.
struct Typing {
    bool capitals = false;   // letters typed into a hex box become capitals
    bool padOnLeave = false; // leaving a box cuts and fills out its text (see AsLeft)
};

// What Create builds on: the bytes the holder has (a load's bytes survive wherever no field
// writes), zeros, or the erased 0xFF of a fresh holder (every byte is written then).
enum class CreateStart : std::uint8_t { KeepHolder, Zeros, Erased };

// How a form reads the text of a hex box.
enum class HexReading : std::uint8_t {
    Scanned,         // as ScanHex reads it: one number, up to the first other character
    ByDigitPosition, // as DigitHex reads it: each character the digit of its position
};

// What a Create checks of a box's text before it builds anything.
enum class Check : std::uint8_t {
    HexDigits,     // not empty, and only the digits 0 to 9 and A to F (capitals)
    CountUpTo31,   // a decimal number from 0 to 31
    MatchesLength, // a string with as many characters as its length field says
};

// One check of a model's ordered table: the field it concerns and the message its failure
// shows. A MatchesLength message holds "%d" twice: the string's characters, then the
// length field's number.
struct CreateCheck {
    std::string_view key;
    Check check;
    std::string_view message;
};

// Builds the model's bytes from the values into `image`, whose other bytes are kept, and
// reports what its rules corrected.
EncodeResult EncodeFields(const Model& model, const Values& values, CE2promData& image);
// Reads every field from the image by the description alone.
DecodeResult DecodeFields(const Model& model, const CE2promData& image);

struct Model {
    std::string_view id;          // command-line id, "qh203-36"
    std::string_view name;        // the model-list entry, "QH203 - 36 pin"
    std::string_view description; // one line for listings
    std::string_view family;      // the editor that serves it: "qh404", "qh1xx", ...
    std::span<const Field> fields; // the fields this model uses, in form order
    std::span<const UnusedBytes> unused;

    HexReading readHex = HexReading::Scanned;
    Typing typing = {};
    StringUnits strings = StringUnits::Words;
    CreateStart start = CreateStart::KeepHolder;
    // A load reads this many bytes from the start of a file at least that long; with
    // exactLoadSize only a file of exactly that size is taken.
    int loadSize = 16;
    bool exactLoadSize = false;

    EncodeResult (*encode)(const Model&, const Values&, CE2promData&) = EncodeFields;
    DecodeResult (*decode)(const Model&, const CE2promData&) = DecodeFields;
    // The question asked before a loaded image of another model is decoded, if any.
    std::optional<std::string> (*foreignImageQuestion)(const Model&, const CE2promData&) = nullptr;
    // For families with one editor over several models; nullptr: always this model.
    DisplayChoice (*chooseDisplayModel)(const Model&, const CE2promData&) = nullptr;
    // Its rules of the common kinds, as rows: what a pick or a Create changes, in order, and
    // which fields are enabled while others show an item.
    std::span<const Rule> rules = {};
    std::span<const EnabledIf> enabling = {};
    // What else the form changes after the user picks an item or leaves a text box, when no
    // Pick row did.
    std::optional<Correction> (*onUserChange)(const Model&, std::size_t field,
                                              const Values& now) = nullptr;
    // Which fields the user can change given the values, beyond the enabling rows:
    // `enabled` comes in as the form has it and leaves true where a field is enabled. `changed` is the field the user just
    // changed, none for a form just opened, reset or loaded.
    void (*greying)(const Model&, const Values&, std::optional<std::size_t> changed,
                    std::vector<bool>& enabled) = nullptr;
    // What the hooks above do beyond the description, one line each, for listings.
    std::span<const std::string_view> hookRules = {};
    // Whether the greying follows a load and a reset to the defaults too, or only the
    // form's opening and the user's changes.
    bool greyingFollowsLoads = true;
    // The checks a Create makes, in order; the first that fails refuses it.
    std::span<const CreateCheck> checks = {};
    // Where its fields stand on its window's pages, and what its file controls say.
    std::span<const Page> pages = {};
    const FileTexts* files = &kOneWindowFileTexts;
    WindowList window = {};
};

std::optional<std::size_t> FieldIndex(const Model& model, std::string_view key);
// The position of `model` among `models`, found by its address; none when it is not one of
// them (a model of another family).
std::optional<std::size_t> PositionAmong(std::span<const Model> models, const Model& model);
const Field* FindField(std::span<const Field> fields, std::string_view key);

// The values a model's form shows when it opens.
Values DefaultValues(const Model& model);

// The number a box's text stands for, read as the model's form reads it.
std::uint32_t ReadNumber(const Model& model, const Field& field, std::string_view text);
// The text a form shows for a field's value: the selected item or the box's text.
std::string ShowValue(const Field& field, const Values& values, std::size_t at);

// The longest text a box can hold: what can be typed into it, or what a load shows in it
// (a length byte of 200 shows three digits in a two-digit box, and makes a string read
// on past its area).
std::size_t LongestText(const Field& field);

// Whether a box takes the character as typed: digits only in a decimal box; a string box
// only characters that can be stored.
bool Takes(const Field& field, unsigned char c);
// The text a box holds once the user has typed `typed` into it and left it: capitals where
// the model makes them, and on models that pad on leave, a 4-digit box cut and filled to 4
// with leading '0's, a 2-digit box cut to 2 with one leading '0' for a single character and
// "0" when empty, a string cut to its limit.
std::string AsLeft(const Model& model, const Field& field, std::string_view typed);

// The field that holds the character count of a string field, if the model has it.
std::optional<std::size_t> LengthFieldOf(const Model& model, std::size_t textField);

// Create's image: the holder's bytes, zeros or 0xFF as the model starts, then its fields.
EncodeResult Create(const Model& model, const Values& values, CE2promData& holder);

// The enabled state of each field given the values; `current` is the form's (all enabled
// when empty), `changed` as for the model's greying.
std::vector<bool> Enabled(const Model& model, const Values& values,
                          std::optional<std::size_t> changed = std::nullopt,
                          std::vector<bool> current = {});
std::optional<Correction> OnUserChange(const Model& model, std::size_t field, const Values& now);
// The first of the model's checks that the values fail, if any.
std::optional<Refusal> RefuseCreate(const Model& model, const Values& values);

// Problems a careful reviewer would find in a description: duplicate keys, places past
// the image, two fields sharing a bit, defaults that are not items, bytes neither owned
// nor named unused, fields placed on no page or on two. Empty when the description is sound.
std::vector<std::string> CheckModel(const Model& model);

} // namespace layout
