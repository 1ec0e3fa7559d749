#include "cli/batch.h"

#include "cli/actions.h"
#include "cli/error.h"
#include "cli/files.h"
#include "cli/image_formats.h"
#include "cli/manifest.h"
#include "cli/progress.h"
#include "cli/serial.h"
#include "cli/sha256.h"
#include "cli/store.h"
#include "image/safe_write.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <ostream>
#include <optional>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

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

std::span<const std::uint8_t> BytesOf(const std::string& content)
{
    return {reinterpret_cast<const std::uint8_t*>(content.data()), content.size()};
}

// Whether the file at `path` (not a link) holds exactly the image with this hash.
bool HoldsImage(const std::string& path, const std::string& sha256)
{
    std::error_code error;
    if (!fs::is_regular_file(fs::symlink_status(path, error)))
        return false;
    try {
        std::istringstream none;
        return Sha256Hex(ReadInput(path, none)) == sha256;
    } catch (const Error&) {
        return false;
    }
}

std::string KindOfEntry(mode_t mode)
{
    if (S_ISLNK(mode))
        return "a link";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "not a regular file";
}

class BatchRun {
public:
    BatchRun(const BatchOptions& options, Models models, std::istream& in, std::ostream& out,
             std::ostream& err, std::string_view program)
        : m_options(options), m_out(out), m_err(err), m_program(program),
          m_profile(ReadProfile(options.profile, models, in, SettingsOf(options.settings))),
          m_at(RequireSerialField(*m_profile.model, models)),
          m_maker(m_profile, m_at, *FormatNamed(options.format)),
          m_serialLimit(m_profile.model->fields[m_at.text].limit),
          m_outDir(fs::absolute(options.outDir).lexically_normal().string()),
          m_note([this](const std::string& text) { tell("note: ", text); })
    {
    }

    void run()
    {
        requireWritableFolder(m_options.outDir);
        std::optional<Serial> asked;
        if (!m_options.firstSerial.empty())
            asked = checkedSerial(m_options.firstSerial);
        if (!m_options.manifest.empty())
            m_manifest.emplace(m_options.manifest,
                               std::vector<std::pair<std::string, std::string>>{
                                   {"the profile", m_options.profile},
                                   {"the serial store", m_options.state}},
                               m_out);
        m_first = firstSerial(asked, peekStore(asked));
        checkRange();
        checkImages();
        openStore();
        image::RemoveStaleTemporaries(m_options.outDir);
        write();
    }

private:
    void tell(const char* kind, const std::string& text)
    {
        m_err << m_program << ": " << kind << text << '\n';
    }

    static void requireWritableFolder(const std::string& name)
    {
        std::error_code error;
        if (!fs::is_directory(name, error)) {
            if (error && error.value() != ENOENT)
                throw Error(name + ": " + image::ReasonOfError(error.value()));
            throw Error(name + (fs::exists(fs::symlink_status(name, error)) ? ": not a folder"
                                                                           : ": no such folder"));
        }
        if (::access(name.c_str(), W_OK | X_OK) != 0)
            throw Error(name + ": the batch may not write in this folder: " +
                        image::ReasonOfError(errno));
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

    // The store's next free serial, found without making or changing it: a refused batch
    // leaves it as it was. A new store starts its series at the first serial asked for.
    std::optional<Serial> peekStore(const std::optional<Serial>& asked) const
    {
        if (m_options.state.empty())
            return std::nullopt;
        std::error_code error;
        if (!asked && !IsPostgresUri(m_options.state) &&
            !fs::exists(fs::symlink_status(m_options.state, error)))
            throw Error(m_options.state + " does not exist yet; give the series' first serial "
                                          "with --serial");
        return SerialStore::PeekNext(m_options.state, m_note);
    }

    // Opens the store for this batch, and settles what stopped batches left reserved.
    void openStore()
    {
        if (m_options.state.empty())
            return;
        m_store = SerialStore::Open(m_options.state, true, m_note);
        const std::string station = m_options.station.empty() ? ThisStation() : m_options.station;
        m_store->startBatch({station, m_outDir, m_options.format, m_options.profile, manifestPath()});
        for (const SerialRecord& settled : m_store->settleStopped(HoldsImage))
            tell("note: ", settled.serial + " (" + settled.file + "): " + settled.why);
    }

    // The serial the batch starts at: the one asked for, or the store's next free one,
    // whichever is later, so a station never issues what another has.
    Serial firstSerial(const std::optional<Serial>& asked, const std::optional<Serial>& free)
    {
        const std::string store = ShownStore(m_options.state);
        if (!free) {
            if (!asked)
                throw Error(store.empty() ? std::string("give the first serial with --serial, or "
                                                        "a --state store that keeps the next one")
                                          : store + " holds no serial yet; give the series' first "
                                                    "serial with --serial");
            return *asked;
        }
        const Serial next = [&] {
            try {
                return checkedSerial(free->text());
            } catch (const Error& error) {
                throw Error(store + ": " + error.what());
            }
        }();
        if (!asked)
            return next;
        if (!asked->sameSeries(next))
            throw Error(store + " keeps the series of " + next.text() + "; " +
                        asked->text() + " is of another (a new series needs a new store)");
        if (asked->before(next)) {
            tell("note: ", store + ": the serials before " + next.text() +
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

    // A name of the batch is free, or with --force a regular file that may be replaced; the
    // batch never writes through a link nor into a FIFO or a device.
    void checkName(const fs::path& path) const
    {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0)
            return;
        if (!m_options.force)
            throw Error(path.string() + " exists already (--force replaces it); nothing written");
        if (!S_ISREG(status.st_mode))
            throw Error(path.string() + " is " + KindOfEntry(status.st_mode) +
                        "; --force replaces only regular files; nothing written");
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
            m_maker.content(serial, warnings);
            checkName(pathOf(serial));
        }
        if (m_options.strict && !warnings.empty())
            throw Error(warnings.front() + " (--strict: nothing written)");
        for (const std::string& warning : warnings)
            tell("warning: ", warning);
    }

    void write()
    {
        try {
            writeImages();
        } catch (const Error& error) {
            std::string message = error.what();
            try {
                writeManifest();
            } catch (const Error& manifest) {
                message += "; " + std::string(manifest.what());
            }
            throw Error(message);
        }
        writeManifest();
    }

    void writeImages()
    {
        Progress progress(m_err, m_program, m_options.count);
        std::vector<std::string> warnings; // told before
        std::optional<std::string> written; // on the disk, not yet recorded as issued
        Serial wanted = m_first;
        for (std::uint64_t index = 0; index < m_options.count; ++index) {
            std::string content;
            auto plan = [&](const Serial& serial) {
                checkName(pathOf(serial));
                content = m_maker.content(serial, warnings);
                return PlannedImage{absolutePathOf(serial), Sha256Hex(BytesOf(content))};
            };
            Serial serial = wanted;
            if (m_store) {
                serial = guarded(index, written, [&] { return m_store->reserve(written, wanted, plan); });
                written.reset();
            } else {
                const PlannedImage image = plan(serial);
                m_issued.push_back({serial.text(), "issued", image.file, m_options.format,
                                    image.sha256, {}, UtcNow(), {}});
            }
            writeImage(serial, index, content);
            written = serial.text();
            progress.update(index + 1, serial.text());
            if (m_done++ == 0)
                m_firstDone = serial.text();
            m_lastDone = serial.text();
            if (const std::optional<Serial> next = Advanced(serial, 1))
                wanted = *next;
            else if (index + 1 < m_options.count)
                throw Error("the series ended with " + serial.text() + "; " + stoppedAt(index + 1));
        }
        if (m_store && written)
            guarded(m_options.count, written, [&] { m_store->markIssued(*written); });
        progress.finish();
    }

    std::string absolutePathOf(const Serial& serial) const
    {
        return (fs::path(m_outDir) / m_maker.fileName(serial)).string();
    }

    // A failure of the store stops the batch, saying what became of the image written last.
    template <typename Step>
    auto guarded(std::uint64_t index, const std::optional<std::string>& written,
                 const Step& step) -> decltype(step())
    {
        try {
            return step();
        } catch (const Error& error) {
            std::string message = std::string(error.what()) + "; " + stoppedAt(index);
            if (written)
                message += "; " + *written + " is written but not yet recorded as issued (the "
                                             "next batch on the store settles it)";
            throw Error(message);
        }
    }

    void writeImage(const Serial& serial, std::uint64_t index, const std::string& content)
    {
        const std::string path = pathOf(serial).string();
        const image::IfExists ifExists =
            m_options.force ? image::IfExists::ReplaceEntry : image::IfExists::Refuse;
        const image::WriteOutcome outcome =
            image::WriteFileSafely(path, BytesOf(content).data(), content.size(), ifExists);
        if (outcome)
            return;
        std::string message = path + ": cannot be written: " + outcome.reason + "; " + stoppedAt(index);
        if (!m_store)
            throw Error(message);
        try {
            m_store->markVoid(serial.text(), "its image could not be written: " + outcome.reason);
            message += "; " + serial.text() + " is void (never given out)";
        } catch (const Error& error) {
            message += "; " + std::string(error.what());
        }
        throw Error(message);
    }

    std::string manifestPath() const
    {
        if (m_options.manifest.empty() || m_options.manifest == "-")
            return {};
        std::error_code error;
        return fs::weakly_canonical(fs::absolute(m_options.manifest), error).string();
    }

    void writeManifest()
    {
        if (!m_manifest)
            return;
        if (!m_store)
            return m_manifest->append(m_issued, m_outDir, m_note);
        m_manifest->append(m_store->issuedForManifest(), m_outDir, m_note);
        m_store->markListed();
    }

    std::string stoppedAt(std::uint64_t index) const
    {
        std::string text = "the batch stopped after " + std::to_string(index) + " of " +
                           std::to_string(m_options.count) + " images";
        if (m_done > 0)
            text += " (" + m_firstDone + " to " + m_lastDone + ")";
        return text;
    }

    const BatchOptions& m_options;
    std::ostream& m_out;
    std::ostream& m_err;
    std::string m_program;
    Profile m_profile;
    SerialField m_at;
    ImageMaker m_maker;
    std::size_t m_serialLimit;
    std::string m_outDir; // absolute
    WaitingNote m_note;
    std::unique_ptr<SerialStore> m_store;
    std::optional<Manifest> m_manifest;
    std::vector<SerialRecord> m_issued; // without a store
    Serial m_first;
    std::uint64_t m_done = 0; // images written
    std::string m_firstDone;
    std::string m_lastDone;
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
                        "FILE: append a CSV line per image issued (serial, file, SHA-256, UTC "
                        "time) when the batch ends; - prints them");
    command->add_option("--state", options.state,
                        "STORE: the serial store, a SQLite file or a postgresql:// URI; no "
                        "serial it holds is given out again");
    command->add_option("--station", options.station,
                        "NAME: the station recorded with each serial (default: this machine's "
                        "name)");
    command->add_flag("--force", options.force, "Replace files of the same names");
    command->add_flag("--strict", options.strict,
                      "A correction or cut value is an error; nothing is written");
    return command;
}

void Batch(const BatchOptions& options, Models models, std::istream& in, std::ostream& out,
           std::ostream& err, std::string_view program)
{
    BatchRun(options, models, in, out, err, program).run();
}

} // namespace cli
