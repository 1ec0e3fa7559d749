#include "cli/commands.h"

#include "cli/actions.h"
#include "cli/batch.h"
#include "cli/error.h"
#include "cli/files.h"
#include "cli/image_formats.h"
#include "cli/reference.h"
#include "cli/store.h"
#include "image/safe_write.h"
#include "layout/describe.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <ostream>

namespace cli {

namespace {

constexpr const char* kProgram = "hubquill-cli";

struct Io {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    Models models;
    const std::string& inputFormat; // --format of a command that reads images: "" reads by content

    void warn(const std::string& text) const
    {
        err << kProgram << ": warning: " << text << '\n';
    }
};

std::vector<std::string> modelIds(Models models)
{
    std::vector<std::string> ids;
    for (const layout::Model* model : models)
        ids.push_back(std::string(model->id));
    return ids;
}

std::string lines(const std::array<std::string, CE2promData::kLines>& listing)
{
    std::string text;
    for (const std::string& line : listing)
        text += line + "\n";
    return text;
}

// Warnings that --strict turns into an error, before anything is written.
void report(const Io& io, const std::vector<std::string>& warnings, bool strict,
            const std::string& prefix = {})
{
    if (strict && !warnings.empty())
        throw Error(prefix + warnings.front() + " (--strict: nothing written)");
    for (const std::string& warning : warnings)
        io.warn(prefix + warning);
}

std::string shownName(const std::string& name)
{
    return name == "-" ? std::string("standard input") : name;
}

// The image bytes of a file's content, in the format given or the one it is in.
std::vector<std::uint8_t> imageBytes(const Io& io, const std::string& name,
                                     std::span<const std::uint8_t> content)
{
    if (content.empty())
        throw Error(shownName(name) + ": empty file");
    try {
        return cli::ImageBytesOf(content, FormatNamed(io.inputFormat));
    } catch (const Error& error) {
        throw Error(shownName(name) + ": " + error.what());
    }
}

std::vector<std::uint8_t> imageBytes(const std::string& name, const Io& io)
{
    return imageBytes(io, name, ReadInput(name, io.in));
}

// "0x10, 0x80-0x9F": offsets in order, runs shown as ranges.
std::string offsetRanges(const std::vector<unsigned>& offsets)
{
    std::string text;
    for (std::size_t at = 0; at < offsets.size();) {
        std::size_t end = at;
        while (end + 1 < offsets.size() && offsets[end + 1] == offsets[end] + 1)
            ++end;
        text += (text.empty() ? "" : ", ") + layout::Format("0x%02X", offsets[at]) +
                (end > at ? layout::Format("-0x%02X", offsets[end]) : std::string());
        at = end + 1;
    }
    return text;
}

// --- the commands ---------------------------------------------------------------------

void listModels(const Io& io)
{
    std::size_t width = 0;
    for (const layout::Model* model : io.models)
        width = std::max(width, model->id.size());
    for (const layout::Model* model : io.models)
        io.out << model->id << std::string(width + 2 - model->id.size(), ' ')
               << model->description << '\n';
}

struct EncodeOptions {
    std::string profile;
    std::vector<std::string> settings; // --set KEY=TEXT
    std::string output;
    std::string format = "bin";
    std::string base; // an image whose load left the holder Create writes into
    bool strict = false;
};

// The bytes of a base image that no field writes and the image built over it does not keep:
// those past what the model's load reads, or, where Create builds every byte, all of them.
std::optional<std::string> baseBytesLost(const layout::Model& model, const std::string& name,
                                         std::span<const std::uint8_t> base,
                                         const CE2promData& built)
{
    std::vector<unsigned> lost;
    for (unsigned at = 0; at < std::min<std::size_t>(base.size(), CE2promData::kSize); ++at)
        if (base[at] != built.GetByte(at) && layout::FieldsAt(model, at).empty())
            lost.push_back(at);
    if (lost.empty())
        return std::nullopt;
    const std::string editor = "the " + std::string(model.name) + " editor";
    return "--base " + shownName(name) + ": " + (lost.size() == 1 ? "byte " : "bytes ") +
           offsetRanges(lost) + (lost.size() == 1 ? " is" : " are") + " not kept (" +
           (model.start == layout::CreateStart::KeepHolder
                ? editor + "'s load reads only the first " + std::to_string(model.loadSize) +
                      " bytes of a file)"
                : editor + " builds every byte from the form)");
}

void encode(const Io& io, const EncodeOptions& options)
{
    if (options.profile == "-" && options.base == "-")
        throw Error("only one of PROFILE and --base can be standard input");
    const Profile profile =
        ReadProfile(options.profile, io.models, io.in, SettingsOf(options.settings));
    std::vector<std::string> warnings = profile.warnings;
    const std::vector<std::uint8_t> base =
        options.base.empty() ? std::vector<std::uint8_t>() : imageBytes(options.base, io);
    const CE2promData holder =
        options.base.empty() ? CE2promData() : LoadedHolder(*profile.model, base);
    const Created created = Create(*profile.model, profile.values, holder);
    for (const layout::Correction& correction : created.corrections)
        warnings.push_back(correction.message);
    if (const auto lost = baseBytesLost(*profile.model, options.base, base, created.image))
        warnings.push_back(*lost);
    report(io, warnings, options.strict);
    const auto& bytes = created.image.bytes();
    WriteOutput(options.output, Encoded(bytes, *FormatNamed(options.format)), io.out);
}

struct DecodeOptions {
    std::string image;
    std::string model;
    std::string output;
    bool strict = false;
    bool keepModel = false;
};

void decode(const Io& io, const DecodeOptions& options)
{
    const layout::Model& model = ModelNamed(io.models, options.model);
    const Loaded loaded = Load(model, imageBytes(options.image, io),
                               {.strict = options.strict, .keepModel = options.keepModel});
    if (loaded.model != &model && !loaded.templateAsked)
        io.err << kProgram << ": note: the image names the " << loaded.model->name
               << ", whose form shows it\n";
    report(io, loaded.warnings, options.strict);
    WriteOutput(options.output, ProfileOf(*loaded.model, loaded.values).dump(2) + "\n", io.out);
}

void dump(const Io& io, const std::string& name, const std::string& modelId)
{
    const std::vector<std::uint8_t> bytes = imageBytes(name, io);
    if (!modelId.empty()) {
        const Loaded loaded =
            Load(ModelNamed(io.models, modelId), bytes, {.followDisplay = false});
        report(io, loaded.warnings, false);
        io.out << lines(ListingLines(loaded.image));
        return;
    }
    if (bytes.size() > CE2promData::kSize)
        io.warn(name + " holds " + std::to_string(bytes.size()) +
                " bytes; the first 256 are listed");
    CE2promData image;
    image.CopyIn(bytes.data(), static_cast<int>(bytes.size()));
    io.out << lines(ListingLines(image));
}

// One side of a diff: the form that shows the profile's Create or the image's load, and the
// bytes of the file (or of Create) over an erased image, with how many there are.
struct Side {
    std::string name;
    std::vector<std::uint8_t> content;
    std::optional<Profile> profile;
    layout::Values values;
    CE2promData bytes;
    std::size_t size = CE2promData::kSize;
};

Side readSide(const Io& io, const std::string& name)
{
    Side side{.name = name, .content = ReadInput(name, io.in)};
    if (ClaimOf(side.content) == Claim::Profile)
        side.profile = ReadProfile(name, side.content, io.models, io.in);
    return side;
}

void settle(const Io& io, Side& side, const layout::Model& model, const std::string& tag)
{
    std::vector<std::string> warnings;
    if (side.profile) {
        if (side.profile->model != &model)
            throw Error(side.name + " is a profile for " + std::string(side.profile->model->id) +
                        ", not for " + std::string(model.id));
        warnings = side.profile->warnings;
        const Created created = Create(model, side.profile->values);
        for (const layout::Correction& correction : created.corrections)
            warnings.push_back(correction.message);
        side.bytes = created.image;
        side.values = Decoded(model, side.bytes, warnings);
    } else {
        const std::vector<std::uint8_t> bytes = imageBytes(io, side.name, side.content);
        const Loaded loaded = Load(model, bytes, {.followDisplay = false});
        warnings = loaded.warnings;
        side.values = loaded.values;
        side.size = bytes.size();
        side.bytes.CopyIn(bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), CE2promData::kSize)));
    }
    report(io, warnings, false, tag + ": ");
}

using Explained = std::array<std::uint8_t, CE2promData::kSize>; // bits told by a field line

// One line per field whose value differs; answers the bits those lines account for.
Explained printFieldDifferences(const Io& io, const layout::Model& model, const Side& a,
                                const Side& b)
{
    Explained explained{};
    for (std::size_t at = 0; at < model.fields.size(); ++at) {
        const layout::Field& field = model.fields[at];
        const nlohmann::json valueA = ProfileValue(field, a.values, at);
        const nlohmann::json valueB = ProfileValue(field, b.values, at);
        if (valueA == valueB)
            continue;
        io.out << DisplayName(model, field) << " [" << PlaceText(field) << "]: A " << valueA.dump()
               << ", B " << valueB.dump() << '\n';
        for (unsigned byte = field.place.firstByte(); byte <= field.place.lastByte(); ++byte)
            explained[byte] |= field.place.bitsIn(byte);
    }
    return explained;
}

// One line per differing byte that no field line accounts for; answers whether any differs.
bool printByteDifferences(const Io& io, const layout::Model& model, const Side& a,
                          const Side& b, const Explained& explained)
{
    bool differ = false;
    for (unsigned offset = 0; offset < CE2promData::kSize; ++offset) {
        const std::uint8_t byteA = a.bytes.GetByte(offset);
        const std::uint8_t byteB = b.bytes.GetByte(offset);
        if (((byteA ^ byteB) & ~explained[offset]) == 0)
            continue;
        differ = true;
        const bool owned = !layout::FieldsAt(model, offset).empty();
        io.out << layout::Format("byte 0x%02X (%s): A %02X, B %02X\n", offset,
                                 owned ? "no field shows the difference" : "not used by this model",
                                 byteA, byteB);
    }
    return differ;
}

int diff(const Io& io, const std::string& nameA, const std::string& nameB,
         const std::string& modelId)
{
    if (nameA == "-" && nameB == "-")
        throw Error("only one of A and B can be standard input");
    Side a = readSide(io, nameA);
    Side b = readSide(io, nameB);
    const layout::Model* model = modelId.empty() ? nullptr : &ModelNamed(io.models, modelId);
    for (const Side* side : {&a, &b})
        if (!model && side->profile)
            model = side->profile->model;
    if (!model)
        throw Error("diff needs --model MODEL when neither side is a profile");
    settle(io, a, *model, "A");
    settle(io, b, *model, "B");

    const Explained explained = printFieldDifferences(io, *model, a, b);
    const bool bytesDiffer = printByteDifferences(io, *model, a, b, explained);
    if (a.size != b.size)
        io.out << "size: A " << a.size << " bytes, B " << b.size << " bytes\n";
    const bool fieldsDiffer = std::any_of(explained.begin(), explained.end(),
                                          [](std::uint8_t bits) { return bits != 0; });
    return fieldsDiffer || bytesDiffer || a.size != b.size ? kExitFailure : kExitSuccess;
}

// The command a line names, when the program has no such command.
std::optional<std::string> unknownCommand(const CLI::App& app,
                                          const std::vector<std::string>& arguments)
{
    if (arguments.empty() || arguments.front().starts_with('-'))
        return std::nullopt;
    std::string names;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
        if (command->get_name() == arguments.front())
            return std::nullopt;
        names += (names.empty() ? "" : ", ") + command->get_name();
    }
    return "unknown command \"" + arguments.front() + "\"; commands: " + names;
}

// An output name: "-" is standard output, and "" names nothing at all.
const CLI::Validator kOutputName(
    [](std::string& name) {
        return name.empty() ? std::string("an empty name names no file; give - for standard output")
                            : std::string();
    },
    "FILE");

// --format for a command that reads images: text that no format claims is refused unless
// it is read as what it is said to be.
void addInputFormat(CLI::App& command, std::string& format)
{
    command.add_option("--format", format,
                       "Read images as bin, ihex or srec whatever their content looks like")
        ->check(CLI::IsMember({"bin", "ihex", "srec"}));
}

int usageError(const Io& io, const std::string& what)
{
    io.err << kProgram << ": " << what << "\nRun '" << kProgram
           << " --help' for the commands and their options.\n";
    return kExitUsage;
}

// The exit code once standard output has taken everything: a write that failed there (a
// full disk, a closed pipe) is trouble however well the command went.
int finished(const Io& io, int code, int trouble)
{
    io.out.flush();
    if (io.out)
        return code;
    io.err << kProgram << ": writing to standard output failed\n";
    return trouble;
}

} // namespace

int Run(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
        std::ostream& err, Models models)
{
    std::string inputFormat;
    const Io io{in, out, err, models, inputFormat};
    const std::vector<std::string> ids = modelIds(models);

    CLI::App app("HUBQUILL profiles and EEPROM images from the command line", kProgram);
    app.set_version_flag("--version", std::string(kProgram) + " " + HUBQUILL_VERSION);
    app.require_subcommand(1);

    app.add_subcommand("models", "List the models, one line each");

    std::string modelId;
    std::string output;
    auto* defaultsCommand = app.add_subcommand("defaults", "Print a model's default profile");
    defaultsCommand->add_option("MODEL", modelId, "Model id")->required()->check(CLI::IsMember(ids));
    defaultsCommand->add_option("-o,--output", output, "Write to FILE instead of standard output")
        ->check(kOutputName);

    EncodeOptions encodeOptions;
    auto* encodeCommand =
        app.add_subcommand("encode", "Build the image the editor's Create builds from a profile");
    encodeCommand->add_option("PROFILE", encodeOptions.profile, "Profile file, - for standard input")
        ->required();
    encodeCommand->add_option("-o,--output", encodeOptions.output,
                              "Write to FILE (replaced atomically) instead of standard output")
        ->check(kOutputName);
    encodeCommand->add_option("--format", encodeOptions.format, "bin (default), ihex or srec")
        ->check(CLI::IsMember({"bin", "ihex", "srec"}));
    encodeCommand->add_option("--base", encodeOptions.base,
                              "Build over this image as the editor does after loading it: bytes "
                              "the model does not write stay as loaded (default: erased, 0xFF)");
    encodeCommand->add_flag("--strict", encodeOptions.strict,
                            "A correction or cut value is an error; nothing is written");
    encodeCommand->add_option("--set", encodeOptions.settings,
                              "KEY=TEXT: give a field for this run, read as the profile's texts "
                              "are (repeatable)");

    BatchOptions batchOptions;
    const CLI::App* batchCommand = AddBatchCommand(app, batchOptions);

    std::string store;
    bool csv = false;
    auto* serialsCommand = app.add_subcommand(
        "serials", "List every serial of a serial store with its state, file and hash");
    serialsCommand->add_option("STORE", store, "A SQLite file or a postgresql:// URI")->required();
    serialsCommand->add_flag("--csv", csv, "Print CSV instead of a table");

    DecodeOptions decodeOptions;
    auto* decodeCommand =
        app.add_subcommand("decode", "Print the profile the editor shows after loading an image");
    decodeCommand->add_option("IMAGE", decodeOptions.image, "Image file (bin, ihex or srec), - for standard input")
        ->required();
    decodeCommand->add_option("-m,--model", decodeOptions.model, "Model id")
        ->required()
        ->check(CLI::IsMember(ids));
    decodeCommand->add_option("-o,--output", decodeOptions.output, "Write to FILE instead of standard output")
        ->check(kOutputName);
    decodeCommand->add_flag("--strict", decodeOptions.strict,
                            "Any warning (image of another model, undecodable value) is an error");
    addInputFormat(*decodeCommand, inputFormat);
    decodeCommand->add_flag("--keep-model", decodeOptions.keepModel,
                            "Answer No to a family editor's display-template question");

    std::string image;
    auto* dumpCommand = app.add_subcommand("dump", "Print the 16-line hex listing of an image");
    dumpCommand->add_option("IMAGE", image, "Image file, - for standard input")->required();
    dumpCommand->add_option("-m,--model", modelId, "List what this model's editor holds after a load")
        ->check(CLI::IsMember(ids));
    addInputFormat(*dumpCommand, inputFormat);

    std::string nameA, nameB;
    auto* diffCommand = app.add_subcommand("diff", "Show the fields (and bytes) in which A and B differ");
    diffCommand->add_option("A", nameA, "Image or profile")->required();
    diffCommand->add_option("B", nameB, "Image or profile")->required();
    diffCommand->add_option("-m,--model", modelId, "Model id (optional when a profile names it)")
        ->check(CLI::IsMember(ids));
    addInputFormat(*diffCommand, inputFormat);

    auto* describeCommand = app.add_subcommand("describe", "Print a model's byte map");
    describeCommand->add_option("MODEL", modelId, "Model id")->required()->check(CLI::IsMember(ids));

    auto* keysCommand = app.add_subcommand(
        "keys", "Print the profile keys of a model, or of all models (docs/profiles.md)");
    keysCommand->add_option("MODEL", modelId, "Model id")->check(CLI::IsMember(ids));

    if (const std::optional<std::string> unknown = unknownCommand(app, arguments))
        return usageError(io, *unknown);
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::Success&) {
        if (app.get_option("--version")->count() > 0)
            out << kProgram << ' ' << HUBQUILL_VERSION << '\n';
        else
            out << app.help();
        return finished(io, kExitSuccess, kExitFailure);
    } catch (const CLI::ParseError& error) {
        return usageError(io, error.what());
    }

    // diff answers as cmp does: 1 tells a difference, so trouble is 2.
    const int trouble = diffCommand->parsed() ? kExitUsage : kExitFailure;
    int code = kExitSuccess;
    try {
        if (app.got_subcommand("models")) {
            listModels(io);
        } else if (defaultsCommand->parsed()) {
            WriteOutput(output, DefaultProfile(ModelNamed(models, modelId)).dump(2) + "\n", out);
        } else if (encodeCommand->parsed()) {
            encode(io, encodeOptions);
        } else if (batchCommand->parsed()) {
            Batch(batchOptions, models, in, out, err, kProgram);
        } else if (serialsCommand->parsed()) {
            ListSerials(store, csv, out);
        } else if (decodeCommand->parsed()) {
            decode(io, decodeOptions);
        } else if (dumpCommand->parsed()) {
            dump(io, image, modelId);
        } else if (diffCommand->parsed()) {
            code = diff(io, nameA, nameB, modelId);
        } else if (describeCommand->parsed()) {
            out << ByteMap(ModelNamed(models, modelId));
        } else if (keysCommand->parsed()) {
            out << (modelId.empty() ? KeysReference(models) : KeysSection(ModelNamed(models, modelId)));
        }
    } catch (const Error& error) {
        err << kProgram << ": " << error.what() << '\n';
        return trouble;
    } catch (const std::filesystem::filesystem_error& error) {
        // Whatever the file system answers (a loop of links, a folder that went away) is
        // said as any failed file is, never left to end the program.
        err << kProgram << ": " << (error.path1().empty() ? "" : error.path1().string() + ": ")
            << image::ReasonOfError(error.code().value()) << '\n';
        return trouble;
    }
    return finished(io, code, trouble);
}

} // namespace cli
