#pragma once

// One hub model as the rest of the program sees it: its fields, how its form reads hex
// text, how its image is built and decoded, and what a load checks. The GUI editors, the
// command-line tool and the tests all go through these descriptions.

#include "layout/field.h"

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
    Values values;                // every field the decode could set
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

struct Model {
    std::string_view id;          // command-line id, "qh404"
    std::string_view name;        // the model-list text, "QH404"
    std::string_view description; // one line for listings
    std::span<const Field> fields; // the fields this model uses, in form order
    std::span<const UnusedBytes> unused;

    // How the model's form turns a hex text into a number (texts longer than the box
    // allows are cut to it first).
    std::uint32_t (*readHex)(std::string_view text) = nullptr;
    std::size_t hexTextLimit = 7;

    // A load reads this many bytes; exact: the file must be exactly that long.
    int loadSize = 16;
    bool exactLoadSize = false;

    // Builds the image from the values into `image` (bytes the model does not own keep
    // their values) and reports what its rules corrected.
    EncodeResult (*encode)(const Values& values, CE2promData& image) = nullptr;
    DecodeResult (*decode)(const CE2promData& image) = nullptr;
    // The question asked before a loaded image of another model is decoded, if any.
    std::optional<std::string> (*foreignImageQuestion)(const CE2promData& loaded) = nullptr;
    // For families with one editor over several models; nullptr: always this model.
    DisplayChoice (*chooseDisplayModel)(const CE2promData& loaded, const Model& current) = nullptr;
};

// Every model of the program, in the order of the main window's model list.
std::span<const Model* const> AllModels();
const Model* FindModel(std::string_view id);

// The values a model's form shows when it opens.
Values DefaultValues(const Model& model);

// Reads a form text into a value the way the model's form does: an item text for a
// choice (nullopt when it is not one of the items), a hex text through the model's
// reader, free text as it is.
std::optional<std::int64_t> ReadChoice(const Field& field, std::string_view text);
std::uint32_t ReadHexText(const Model& model, std::string_view text);

// The text the model's form shows for a value.
std::string ShowValue(const Field& field, const Values& values);

// Writes or reads the fields whose place says everything (the plain ones). Families call
// these for their tables and write their special fields as explicit code beside them.
void EncodePlainField(const Field& field, const Values& values, CE2promData& image);
void DecodePlainField(const Field& field, const CE2promData& image, Values& values);

// Problems a careful reviewer would find in a description: duplicate keys, places past
// the image, two fields sharing a bit, defaults that are not items, bytes neither owned
// nor named unused. Empty when the description is sound.
std::vector<std::string> CheckModel(const Model& model);

} // namespace layout
