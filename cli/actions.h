#pragma once

// What an editor does on "Create EEPROM File" and on a load, without the window: the same
// model descriptions and codecs, the same rules and checks, with the editor's questions
// answered as the command line documents and its messages handed back as warnings.

#include "image/e2prom_data.h"
#include "layout/model.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace cli {

struct Created {
    CE2promData image; // the holder after Create
    std::vector<layout::Correction> corrections;
};

// The editor's Create on a form holding `values`, into the holder it has: a fresh one, or
// the one a load left. Throws cli::Error with the model's message, naming the key, when
// the model refuses to build from these values.
Created Create(const layout::Model& model, const layout::Values& values,
               const CE2promData& holder = CE2promData());

struct LoadOptions {
    // The editor's questions: is an image of another model decoded (OK), and does a
    // family editor switch to its template form (Yes)? Strict answers Cancel to the first.
    bool strict = false;
    bool keepModel = false;     // answer No to the template question
    bool followDisplay = true;  // false: decode with the given model whatever the image says
};

struct Loaded {
    CE2promData image;               // the holder after the load
    const layout::Model* model = nullptr; // the model whose form shows it
    layout::Values values;           // the form after the load
    std::vector<std::string> warnings; // the questions asked (with their answers) and notes
    bool templateAsked = false;        // the model was chosen by the template question
};

// The image holder after the editor loads a file holding `bytes`: the model's size rule,
// then the bytes a load reads over a fresh holder. Throws cli::Error when the size is not
// one the editor takes.
CE2promData LoadedHolder(const layout::Model& model, std::span<const std::uint8_t> bytes);

// The editor's load of a file holding `bytes` (image bytes from address 0) into a freshly
// opened form of `model`: its size rule, its model check, its choice of form, its decode.
// Throws cli::Error when the editor would refuse the file.
Loaded Load(const layout::Model& model, std::span<const std::uint8_t> bytes,
            const LoadOptions& options);

// The form of `model` showing an image: a fresh form's values with the decoded ones over
// them; the decode's notes are added to `warnings`.
layout::Values Decoded(const layout::Model& model, const CE2promData& image,
                       std::vector<std::string>& warnings);

} // namespace cli
