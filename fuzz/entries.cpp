#include "fuzz/entries.h"

#include "cli/actions.h"
#include "cli/error.h"
#include "cli/image_formats.h"
#include "cli/profile.h"
#include "editors/registry.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>
#include <string>

namespace fuzzing {

namespace {

constexpr std::string_view kDecodePrefix = "decode-";

// A loaded form through what a user does next: its profile printed, Create (when the
// model's checks let it) and a load of what Create built. (The random round trips of the
// tests read the printed profiles back.)
void onwardFrom(const cli::Loaded& loaded)
{
    cli::ProfileOf(*loaded.model, loaded.values).dump();
    if (layout::RefuseCreate(*loaded.model, loaded.values))
        return;
    const cli::Created created = cli::Create(*loaded.model, loaded.values, loaded.image);
    cli::Load(*loaded.model, created.image.bytes(), {});
}

// The input as the first bytes of an erased image, loaded into every form of the family,
// with each of the editor's answers to its questions.
void decodeFamily(std::string_view family, std::span<const std::uint8_t> input)
{
    std::vector<std::uint8_t> image(input.begin(), input.begin() + std::min<std::size_t>(input.size(), 256));
    image.resize(256, 0xFF);
    for (const layout::Model* model : editors::AllModels()) {
        if (model->family != family)
            continue;
        onwardFrom(cli::Load(*model, image, {}));
        onwardFrom(cli::Load(*model, image, {.keepModel = true}));
    }
}

// A profile as encode reads it, and the image it builds.
void readProfile(std::span<const std::uint8_t> input)
{
    std::istringstream nothing; // a base named "-" reads an empty standard input
    const cli::Profile profile = cli::ReadProfile("-", input, editors::AllModels(), nothing);
    cli::Create(*profile.model, profile.values);
}

} // namespace

std::vector<std::string_view> TargetNames()
{
    return {"decode-qh404", "decode-qh1xx", "decode-qh20x", "decode-qh304",
            "intel-hex",    "s-record",     "profile"};
}

void Run(std::string_view target, std::span<const std::uint8_t> input)
{
    try {
        if (target.starts_with(kDecodePrefix))
            decodeFamily(target.substr(kDecodePrefix.size()), input);
        else if (target == "intel-hex")
            cli::ReadIntelHex(input);
        else if (target == "s-record")
            cli::ReadSRecord(input);
        else if (target == "profile")
            readProfile(input);
        else
            throw std::invalid_argument("no fuzz target " + std::string(target));
    } catch (const cli::Error&) {
        // A refusal is an answer. Anything else escapes and is reported.
    }
}

} // namespace fuzzing
