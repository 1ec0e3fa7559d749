#pragma once

// The one load every front end runs: the desktop editors, the command line and the browser
// hand it a file and answer its questions; it says what the editor does with the file.
// Refuse it (a size the model's load does not take; each front end says so in its own
// words), ask the user (is an image of another model decoded? does a family editor show
// its template model?), or take it: the image, the model whose form shows it, and what
// that form shows. The front ends re-implement none of it.

#include "image/e2prom_data.h"
#include "layout/model.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace layout {

// Whether a load takes a file of `size` bytes.
bool LoadTakes(const Model& model, std::size_t size);

// A file as a load sees it: its size, and its first bytes (as many as the model's load
// reads, when the file has them; more do no harm).
struct LoadFile {
    std::size_t size = 0;
    std::span<const std::uint8_t> head;
};

// The image a load reads from a file: its first loadSize bytes over the holder's, the
// holder's others kept; nullopt when the load does not take the file (its size, or fewer
// bytes than it reads).
std::optional<CE2promData> LoadedImage(const Model& model, const LoadFile& file,
                                       const CE2promData& holder);

enum class LoadQuestion : std::uint8_t {
    ForeignImage,    // an image of another model: OK decodes it, Cancel stops the load
    DisplayTemplate, // no form of the family names the image: Yes shows it in the
                     // template model's form, No in the form's own model
};

// The answers given so far; a question not answered yet stops the load there.
struct LoadAnswers {
    std::optional<bool> foreignImage;    // OK
    std::optional<bool> displayTemplate; // Yes
    // Whether an editor serving several models follows the image to the model it names;
    // false: the given model's form shows it, and nothing of the kind is asked.
    bool followImage = true;
};

enum class LoadOutcome : std::uint8_t {
    Refused,   // the file is not one the load takes; nothing changes
    Asks,      // the user is asked `question`; run the load again with the answer
    Cancelled, // the user answered Cancel; nothing changes
    Taken,     // the holder becomes `image`, the form `model`'s showing `decoded`
};

struct LoadStep {
    LoadOutcome outcome = LoadOutcome::Refused;
    LoadQuestion question = LoadQuestion::ForeignImage; // Asks: which question
    std::string questionText;                            // Asks: its words
    // Asks (but the foreign-image question) and Taken: the image the holder becomes.
    CE2promData image;
    const Model* model = nullptr;  // Taken: the model whose form shows the image
    bool modelChosen = false;      // Taken: the image or the template question chose it
    DecodeResult decoded;          // Taken: what that model's form shows
};

// The load of `file` into an editor of `model` whose holder is `holder`, as far as
// `answers` go.
LoadStep Load(const Model& model, const LoadFile& file, const CE2promData& holder,
              const LoadAnswers& answers);

} // namespace layout
