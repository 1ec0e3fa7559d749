#include "cli/batch.h"

#include "cli/actions.h"
#include "cli/error.h"
#include "cli/files.h"
#include "cli/image_formats.h"
#include "cli/manifest.h"
#include "cli/progress.h"
#include "cli/serial.h"
#include "cli/state_file.h"
#include "image/safe_write.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>

namespace fs = std::filesystem;

namespace cli {

namespace {

// A model's serial string is the text field its description keys "serial_string"; the
// description ties its length field to it.
constexpr std::string_view kSerialKey = "serial_string";

struct SerialField {
    std::size_t text = 0;
    std::size_t length = 0;
};

std::optional<SerialField> SerialFieldOf(const layout::Model& model)
{
    const std::optional<std::size_t> text = layout::FieldIndex(model, kSerialKey);
    if (!text || model.fields[*text].kind != layout::Kind::Text)
        return std::nullopt;
    const std::optional<std::size_t> length = layout::LengthFieldOf(model, *text);
    if (!length)
        return std::nullopt;
    return SerialField{*text, *length};
}

SerialField RequireSerialField(const layout::Model& model, Models models)
{
    if (const std::optional<SerialField> at = SerialFieldOf(model))
        return *at;
    std::string withSerial;
    for (const layout::Model* other : models)
        if (SerialFieldOf(*other))
            withSerial += (withSerial.empty() ? "" : ", ") + std::string(other->id);
    throw Error("the " + std::string(model.name) + " has no serial string; a batch needs a model "
                "whose image holds one (" + withSerial + ")");
}

// A serial string the form greys with the profile's values is one the hub does not report
// (strings switched off): worth a warning, since every image of the batch would carry it
// in vain. The choice that would put it in use is found from the description.
std::optional<std::string> UnusedSerialWarning(const layout::Model& model,
                                               const layout::Values& values, SerialField at)
{
    if (layout::Enabled(model, values)[at.text])
        return std::nullopt;
    const layout::Field& serial = model.fields[at.text];
    std::string warning = "\"" + std::string(serial.label) + "\" is greyed in the form with " +
                          "these values, so the hub does not report the serials";
    for (std::size_t field = 0; field < model.fields.size(); ++field) {
        const layout::Field& choice = model.fields[field];
        if (choice.kind != layout::Kind::Choice)
            continue;
        for (std::size_t item = 0; item < choice.items.size(); ++item) {
            layout::Values changed = values;
            changed.setIndex(field, static_cast<std::int64_t>(item));
            if (layout::Enabled(model, changed)[at.text])
                return warning + " (--set " + std::string(choice.key) + "=\"" +
                       std::string(choice.items[item]) + "\" puts it in use)";
        }
    }
    return warning;
}

// Characters, not bytes: the command line gives UTF-8, the image one byte per character.
std::size_t CharactersOf(std::string_view utf8)
{
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string ExtensionOf(Format format)
{
    switch (format) {
    case Format::Binary: return ".bin";
    case Format::IntelHex: return ".hex";
    case Format::SRecord: return ".srec";
    }
    return {};
}

void AddOnce(std::vector<std::string>& list, const std::string& text)
{
    if (std::find(list.begin(), list.end(), text) == list.end())
        list.push_back(text);
}

// The file of each serial: the profile's form with the serial typed into its box and its
// length into the length's, then the editor's Create with its checks.
class ImageMaker {
public:
    ImageMaker(const Profile& profile, SerialField at, Format format)
        : m_model(*profile.model), m_values(profile.values), m_at(at), m_format(format)
    {
    }

    std::string fileName(const Serial& serial) const
    {
        return serial.text() + ExtensionOf(m_format);
    }

    // Throws cli::Error, naming the serial, when the model refuses to build the image.
    std::string content(const Serial& serial, std::vector<std::string>& warnings) const
    {
        const std::string text = serial.text();
        const layout::Field& length = m_model.fields[m_at.length];
        const FieldTexts texts{
            {std::string(m_model.fields[m_at.text].key), text},
            {std::string(length.key),
             layout::ShowNumber(length.show, static_cast<std::uint32_t>(CharactersOf(text)))}};
        layout::Values values = m_values;
        try {
            std::vector<std::string> found;
            ReadTexts(m_model, texts, values, found);
            const Created created = Create(m_model, values);
            for (const layout::Correction& correction : created.corrections)
                found.push_back(correction.message);
            for (const std::string& warning : found)
                AddOnce(warnings, warning);
            return Encoded(created.image.bytes(), m_format);
        } catch (const Error& error) {
            throw Error(text + ": " + error.what());
        }
    }

private:
    const layout::Model& m_model;
    const layout::Values& m_values;
    SerialField m_at;
    Format m_format;
};

bool HoldsExactly(const fs::path& path, const std::string& content)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error) || fs::file_size(path, error) != content.size())
        return false;
    std::istringstream none;
    const std::vector<std::uint8_t> held = ReadInput(path.string(), none);
    return std::equal(held.begin(), held.end(), content.begin(), content.end(),
                      [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
}

class BatchRun {
public:
    BatchRun(const BatchOptions& options, Models models, std::istream& in, std::ostream& err,
             std::string_view program)
        : m_options(options), m_err(err), m_program(program),
          m_profile(ReadProfile(options.profile, models, in, SettingsOf(options.settings))),
          m_at(RequireSerialField(*m_profile.model, models)),
          m_maker(m_profile, m_at, *FormatNamed(options.format)),
          m_serialLimit(m_profile.model->fields[m_at.text].limit)
    {
    }

    void run()
    {
        requireFolder(m_options.outDir);
        std::optional<Serial> asked;
        if (!m_options.firstSerial.empty())
            asked = checkedSerial(m_options.firstSerial);
        if (!m_options.state.empty())
            m_state = std::make_unique<StateFile>(
                m_options.state, [this](const std::string& text) { tell("note: ", text); });
        m_first = firstSerial(asked);
        checkRange();
        checkImages();
        if (!m_options.manifest.empty())
            m_manifest = std::make_unique<Manifest>(m_options.manifest);
        write();
    }

private:
    void tell(const char* kind, const std::string& text)
    {
        m_err << m_program << ": " << kind << text << '\n';
    }

    static void requireFolder(const std::string& name)
    {
        std::error_code error;
        if (!fs::is_directory(name, error))
            throw Error(name + (fs::exists(name, error) ? ": not a folder" : ": no such folder"));
    }

    Serial checkedSerial(const std::string& text) const
    {
        const Serial serial = SerialOf(text);
        if (const std::size_t characters = CharactersOf(text); characters > m_serialLimit)
            throw Error("serial \"" + text + "\" has " + std::to_string(characters) +
                        " characters; a serial string holds at most " +
                        std::to_string(m_serialLimit));
        return serial;
    }

    // The serial the batch starts at: the one asked for, or the state's next free one,
    // whichever is later, so a station never issues what another has.
    Serial firstSerial(const std::optional<Serial>& asked)
    {
        if (!m_state || !m_state->nextSerial()) {
            if (!asked)
                throw Error(m_state ? m_state->name() + " does not exist yet; give the series' "
                                                        "first serial with --serial"
                                    : std::string("give the first serial with --serial, or "
                                                  "a --state file that keeps the next one"));
            return *asked;
        }
        Serial next = [&] {
            try {
                return checkedSerial(*m_state->nextSerial());
            } catch (const Error& error) {
                throw Error(m_state->name() + ": " + error.what());
            }
        }();
        if (!asked)
            return next;
        if (!asked->sameSeries(next))
            throw Error(m_state->name() + " keeps the series of " + next.text() + "; " +
                        asked->text() + " is of another (a new series needs a new state file)");
        if (asked->before(next)) {
            tell("note: ", m_state->name() + ": the serials before " + next.text() +
                               " are issued already; starting at " + next.text());
            return next;
        }
        return *asked;
    }

    void checkRange() const
    {
        if (!Advanced(m_first, m_options.count - 1))
            throw Error("serials from " + m_first.text() + " count past the " +
                        std::to_string(m_first.digits.size()) + " digits they have: " +
                        std::to_string(m_options.count) + " images would need more");
    }

    fs::path pathOf(const Serial& serial) const
    {
        return fs::path(m_options.outDir) / m_maker.fileName(serial);
    }

    // Builds every image once, so that a refusal comes before the first file, and finds the
    // names already taken.
    void checkImages()
    {
        std::vector<std::string> warnings = m_profile.warnings;
        if (const auto unused = UnusedSerialWarning(*m_profile.model, m_profile.values, m_at))
            warnings.push_back(*unused);
        for (std::uint64_t index = 0; index < m_options.count; ++index) {
            const Serial serial = *Advanced(m_first, index);
            const std::string content = m_maker.content(serial, warnings);
            const fs::path path = pathOf(serial);
            std::error_code error;
            if (index == 0)
                m_takeUpFirst = m_state && m_state->nextSerial() == serial.text() &&
                                HoldsExactly(path, content);
            if (!m_options.force && !(index == 0 && m_takeUpFirst) && fs::exists(path, error))
                throw Error(path.string() + " exists already (--force replaces it); nothing "
                                            "written");
        }
        if (m_options.strict && !warnings.empty())
            throw Error(warnings.front() + " (--strict: nothing written)");
        for (const std::string& warning : warnings)
            tell("warning: ", warning);
    }

    void write()
    {
        Progress progress(m_err, m_program, m_options.count);
        std::vector<std::string> warnings; // told before
        for (std::uint64_t index = 0; index < m_options.count; ++index) {
            const Serial serial = *Advanced(m_first, index);
            const std::string content = m_maker.content(serial, warnings);
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(content.data());
            const bool takenUp = index == 0 && m_takeUpFirst;
            if (takenUp)
                tell("note: ", pathOf(serial).string() + " was written by a batch that was "
                                                         "stopped; it is taken as issued");
            else
                writeImage(serial, index, bytes, content.size());
            if (m_manifest && !(takenUp && m_manifest->lists(serial.text())))
                guarded(serial, index, "is written but not in the manifest", [&] {
                    m_manifest->append(serial.text(), m_maker.fileName(serial),
                                       {bytes, content.size()});
                });
            if (m_state)
                guarded(serial, index, "is written, but the state still names it next", [&] {
                    if (const std::optional<Serial> next = Advanced(serial, 1))
                        m_state->recordNext(next->text());
                    else
                        m_state->recordUsedUp(serial.text());
                });
            progress.update(index + 1, serial.text());
        }
        progress.finish();
    }

    void writeImage(const Serial& serial, std::uint64_t index, const std::uint8_t* bytes,
                    std::size_t size) const
    {
        const std::string path = pathOf(serial).string();
        const image::IfExists ifExists =
            m_options.force ? image::IfExists::Replace : image::IfExists::Refuse;
        const image::WriteOutcome outcome = image::WriteFileSafely(path, bytes, size, ifExists);
        if (!outcome)
            throw Error(path + ": cannot be written: " + outcome.reason + "; " +
                        stoppedAt(index) + ", and " + serial.text() +
                        " is the next free serial");
    }

    template <typename Step>
    void guarded(const Serial& serial, std::uint64_t index, const std::string& consequence,
                 const Step& step) const
    {
        try {
            step();
        } catch (const Error& error) {
            throw Error(std::string(error.what()) + "; " + stoppedAt(index) + "; " +
                        m_maker.fileName(serial) + " " + consequence +
                        " (a batch into the same folder takes it up)");
        }
    }

    std::string stoppedAt(std::uint64_t index) const
    {
        std::string text = "the batch stopped after " + std::to_string(index) + " of " +
                           std::to_string(m_options.count) + " images";
        if (index > 0)
            text += " (" + m_first.text() + " to " + Advanced(m_first, index - 1)->text() + ")";
        return text;
    }

    const BatchOptions& m_options;
    std::ostream& m_err;
    std::string m_program;
    Profile m_profile;
    SerialField m_at;
    ImageMaker m_maker;
    std::size_t m_serialLimit;
    std::unique_ptr<StateFile> m_state;
    std::unique_ptr<Manifest> m_manifest;
    Serial m_first;
    // The state names the first serial free, but its file is there, exactly as this batch
    // makes it: a batch was stopped between the two, and the image counts as issued.
    bool m_takeUpFirst = false;
};

} // namespace

CLI::App* AddBatchCommand(CLI::App& app, BatchOptions& options)
{
    auto* command = app.add_subcommand(
        "batch", "Write COUNT images whose serial string counts up from FIRST, one file each");
    command->add_option("PROFILE", options.profile, "Profile file, - for standard input")
        ->required();
    command->add_option("--serial", options.firstSerial,
                        "FIRST: the first serial, ending in the digits that count up (with "
                        "--state, where a new series starts)");
    const CLI::Validator fromOne(
        [](const std::string& text) {
            const bool whole = text.find_first_not_of("0123456789") == std::string::npos;
            return whole && text.find_first_not_of('0') != std::string::npos
                       ? std::string()
                       : "a whole number from 1 up, not " + text;
        },
        "N");
    command->add_option("--count", options.count, "N: how many images")->required()->check(fromOne);
    command->add_option("--out-dir", options.outDir, "DIR: the folder for the images")->required();
    command->add_option("--format", options.format, "bin (default), ihex or srec")
        ->check(CLI::IsMember({"bin", "ihex", "srec"}));
    command->add_option("--set", options.settings, "KEY=TEXT, as for encode (repeatable)");
    command->add_option("--manifest", options.manifest,
                        "FILE: append a CSV line per image (serial, file, SHA-256, UTC time)");
    command->add_option("--state", options.state,
                        "FILE: the series' next free serial, kept and locked across batches and "
                        "stations");
    command->add_flag("--force", options.force, "Replace files of the same names");
    command->add_flag("--strict", options.strict,
                      "A correction or cut value is an error; nothing is written");
    return command;
}

void Batch(const BatchOptions& options, Models models, std::istream& in, std::ostream& err,
           std::string_view program)
{
    BatchRun(options, models, in, err, program).run();
}

} // namespace cli
