// The editors and the command-line tool side by side, each driven as its user drives it:
// the same form state gives the same file and the same messages; a loaded image shows the
// same values and listing and is created again as the same file; and decode then encode
// gives back every file the editor creates.

#include "app/main_window.h"
#include "cli/profile.h"
#include "editors/registry.h"
#include "layout/model.h"
#include "platform/modeless_editor.h"
#include "support/ui_fixture.h"

#include "tests/cli/cli_support.h"

#include <QComboBox>
#include <QLineEdit>
#include <QFile>
#include <QPushButton>

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <random>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;
using cli_testing::LinesOf;
using cli_testing::Pipe;
using cli_testing::ReadFile;
using cli_testing::Result;

namespace {

const layout::Model& ModelNamed(const std::string& id)
{
    return cli::ModelNamed(editors::AllModels(), id);
}

// The profile of what a form shows: each field's widget is named after its key. A choice
// gives its item (null without a selection), a hex or text field the text it shows.
nlohmann::json FormProfile(QWidget* form, const layout::Model& model)
{
    nlohmann::json profile{{"model", std::string(model.id)}, {"fields", nlohmann::json::object()}};
    for (const layout::Field& field : model.fields) {
        const QString key = QString::fromUtf8(field.key.data(), static_cast<int>(field.key.size()));
        nlohmann::json& value = profile["fields"][std::string(field.key)];
        if (const auto* list = form->findChild<QComboBox*>(key)) {
            if (field.kind != layout::Kind::Choice || list->currentIndex() >= 0)
                value = list->currentText().toStdString(); // an editable list: its text
        } else if (const auto* box = form->findChild<QLineEdit*>(key)) {
            value = box->text().toStdString();
        } else {
            ADD_FAILURE() << "no widget for " << field.key;
        }
    }
    return profile;
}

std::vector<std::string> Warnings(const std::vector<QString>& messages)
{
    std::vector<std::string> lines;
    for (const QString& message : messages)
        if (!message.isEmpty())
            lines.push_back("hubquill-cli: warning: " + message.toStdString());
    return lines;
}

// The file as the tool gives it back without a base: the bytes the model never writes are
// erased, unless the model builds from scratch.
std::string Erased(std::string image, const layout::Model& model)
{
    if (model.start != layout::CreateStart::KeepHolder)
        return image;
    for (const layout::UnusedBytes& range : model.unused)
        for (unsigned offset = range.first; offset <= range.last; ++offset)
            image[offset] = '\xFF';
    return image;
}

class EditorsAndCliAgree : public UiTest {
protected:
    // The model's editor as the user opens it from the main window's model list.
    QWidget* open(const layout::Model& model)
    {
        window = std::make_unique<CHUBQUILLDlg>();
        window->show();
        Select(window.get(), QStringLiteral("Device ID"),
               QString::fromUtf8(model.name.data(), static_cast<int>(model.name.size())));
        if (window->childEditor())
            return window->childEditor();
        if (window->sheet())
            return window->sheet();
        return window.get();
    }

    Result cli(const std::string& arguments, const std::string& input = {})
    {
        return cli_testing::RunProgram(cli_testing::fs::current_path(), arguments, input);
    }


    // Decode then encode gives back the file the editor created (`shown` made it).
    void expectRoundTrip(const layout::Model& opened, const layout::Model& shown)
    {
        const Result result = cli("decode nv.bin -m " + std::string(opened.id) + Pipe("encode -"));
        EXPECT_EQ(result.code, 0) << result.err;
        EXPECT_EQ(result.out, Erased(ReadFile("nv.bin"), shown));
    }

    // The form as the user left it, as a profile: the tool builds the file the editor
    // builds from it and tells the same corrections, after its note on the "1FF" typed
    // into `wideKey` (the form keeps FF).
    void createBothWays(QWidget* form, const layout::Model& model, const std::string& wideKey)
    {
        messages();
        cli_testing::WriteFile("form.json", FormProfile(form, model).dump());
        Click(form, QStringLiteral("Create EEPROM File"));
        const std::vector<std::string> warnings = Warnings(messages());
        EXPECT_FALSE(warnings.empty()) << "the edits were meant to make the editor correct some";

        const Result result = cli("encode form.json");
        EXPECT_EQ(result.code, 0);
        EXPECT_EQ(result.out, ReadFile("nv.bin"));
        std::vector<std::string> expected{"hubquill-cli: warning: key \"" + wideKey +
                                          "\": \"1FF\" is wider than 8 bits; the image keeps FF"};
        expected.insert(expected.end(), warnings.begin(), warnings.end());
        EXPECT_EQ(LinesOf(result.err), expected);
        EXPECT_EQ(cli("encode form.json --strict").code, 1);
        expectRoundTrip(model, model);
    }

    // Random images (shaped so the editor's questions come up too) loaded then created in
    // a freshly opened editor, against decode then encode over the loaded file.
    void loadThenCreateBothWays(const layout::Model& model,
                                const std::function<void(std::string&, int round)>& shape, int rounds)
    {
        std::mt19937 generator(0x5EED);
        const std::string id(model.id);
        for (int round = 0; round < rounds; ++round) {
            SCOPED_TRACE(id + " round " + std::to_string(round));
            std::string bytes(256, '\0');
            for (auto& byte : bytes)
                byte = static_cast<char>(generator());
            shape(bytes, round);
            cli_testing::WriteFile("in.bin", bytes);

            QWidget* form = open(model);
            messages();
            const Result decoded = cli("decode in.bin --model " + id);
            ASSERT_EQ(decoded.code, 0) << decoded.err;
            // The editor asks what the tool told, and is answered as the tool answered.
            std::vector<std::string> told;
            for (const std::string& line : LinesOf(decoded.err)) {
                if (line.find("whose form shows it") != std::string::npos)
                    continue; // the tool's own note
                told.push_back(line.substr(0, line.find(" [answered")));
                if (line.ends_with("[answered OK]"))
                    services.answerNext(platform::Answer::Ok);
                else if (line.ends_with("[answered Yes]"))
                    services.answerNext(platform::Answer::Yes);
            }
            // Each family captions its input box and load button its own way.
            form->findChild<QLineEdit*>(QStringLiteral("inputFileName"))->setText(pathOf("in.bin"));
            form->findChild<QPushButton*>(QStringLiteral("loadButton"))->click();
            EXPECT_EQ(told, Warnings(messages()));
            const nlohmann::json profile = nlohmann::json::parse(decoded.out);
            const layout::Model& shown = ModelNamed(profile["model"].get<std::string>());
            if (model.chooseDisplayModel)
                EXPECT_EQ(ChoiceText(form, "Device ID").toStdString(), shown.name);
            else
                EXPECT_EQ(&shown, &model);
            EXPECT_EQ(profile, FormProfile(form, shown));
            EXPECT_EQ(cli("dump in.bin --model " + id).out,
                      Listing(form).join('\n').toStdString() + "\n");

            QFile::remove(pathOf("nv.bin"));
            Click(form, QStringLiteral("Create EEPROM File"));
            const std::vector<QString> createMessages = messages();
            // The editor creates into the holder its load filled; --base says the same.
            const Result encoded = cli("encode - --base in.bin", decoded.out);
            if (encoded.code == 1) { // refused by the model's checks: both say why, neither writes
                ASSERT_EQ(createMessages.size(), 1u) << encoded.err;
                EXPECT_EQ(encoded.err.rfind("hubquill-cli: " + createMessages[0].toStdString(), 0), 0u)
                    << encoded.err;
                EXPECT_FALSE(QFile::exists(pathOf("nv.bin")));
                continue;
            }
            ASSERT_EQ(encoded.code, 0) << encoded.err;
            EXPECT_EQ(encoded.out, ReadFile("nv.bin"));
            std::vector<std::string> warned;
            for (const std::string& line : LinesOf(encoded.err)) // but the tool's own
                if (!line.starts_with("hubquill-cli: warning: key \"") &&
                    !line.starts_with("hubquill-cli: warning: --base "))
                    warned.push_back(line);
            EXPECT_EQ(warned, Warnings(createMessages));
            expectRoundTrip(model, shown);
        }
    }

    std::unique_ptr<CHUBQUILLDlg> window;
};

TEST_F(EditorsAndCliAgree, EveryModelsDefaultsEncodeToTheEditorsCreate)
{
    for (const layout::Model* model : editors::AllModels()) {
        const std::string id(model->id);
        SCOPED_TRACE(id);
        Click(open(*model), QStringLiteral("Create EEPROM File"));
        const Result result = cli("defaults " + id + Pipe("encode -"));
        EXPECT_EQ(result.code, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out, ReadFile("nv.bin"));
        expectRoundTrip(*model, *model);
    }
}

TEST_F(EditorsAndCliAgree, FormStatesAndTheirProfilesCreateTheSameFile)
{
    QWidget* form = open(ModelNamed("qh404"));
    Select(form, "Self-/Bus-Power", "Bus-Power");
    Select(form, "Current Sensing", "Gang");
    Select(form, "Port 2 Non-Removable", "Non-Removeable");
    Select(form, "Compound Device", "No");
    Select(form, "Over-Current Timer", "6ms");
    Type(form, "VID (hex)", " 0x1f");
    Type(form, "DID (hex)", "beef");
    Type(form, "Power-On Timer (hex)", "1FF");
    createBothWays(form, ModelNamed("qh404"), "power_on_time");

    form = open(ModelNamed("qh107"));
    Select(form, "Self-/Bus-Power", "Self-Power");
    Select(form, "Non Removable Device|Port 5 Non-Removable", "Non-Removeable");
    Select(form, "Compound Device", "No");
    Select(form, "PID (Hex)", "0105");
    Select(form, "Port Disable Bus Power|Port 7 Disable", "Disable");
    Select(form, "Over-Current Timer", "0.1ms");
    Type(form, "Self Power|Max Power (Hex)", "1FF");
    Type(form, "DID (Hex)", "0x0c");
    createBothWays(form, ModelNamed("qh107"), "self_max_power");
}

// Random images of each family, shaped so that its rules and questions come up, loaded then
// created in each of its editors' forms.
struct RandomLoads {
    const char* family;
    std::vector<const char*> models; // the forms opened
    void (*shape)(std::string& bytes, int round);
    int rounds;
};

// Every form of the QH1xx family opened, images naming each model, the QH105 and QH106 and
// no model at all, and now and then of another family.
constexpr char kQh1xxModelBytes[] = {0x02, 0x03, 0x04, 0x07, 0x05, 0x06, 0x09};

const RandomLoads kRandomLoads[] = {
    {"qh404", {"qh404"},
     [](std::string& bytes, int round) {
         if (round % 2 == 0)
             bytes[2] = '\xA7', bytes[3] = 0x00; // half of them pass the model check
     },
     16},
    {"qh1xx", {"qh102", "qh103", "qh104", "qh107"},
     [](std::string& bytes, int round) {
         bytes[2] = kQh1xxModelBytes[round % std::size(kQh1xxModelBytes)];
         if (round % 5 != 4)
             bytes[3] = 0x01;
     },
     10},
    // Re-mapping on in every other image, so the port maps count half of the time.
    {"qh20x", {"qh203-36", "qh203-48", "qh204-36", "qh204-48", "qh202", "qh207"},
     [](std::string& bytes, int round) {
         bytes[0x08] = static_cast<char>(round % 2 ? bytes[0x08] | 0x08 : bytes[0x08] & ~0x08);
     },
     4},
    // Half of the images have string lengths the checks take.
    {"qh304", {"qh304"},
     [](std::string& bytes, int round) {
         if (round % 2 == 0)
             for (int length : {19, 20, 21})
                 bytes[static_cast<std::size_t>(length)] = static_cast<char>(bytes[length] & 0x1F);
     },
     8},
};

void PrintTo(const RandomLoads& loads, std::ostream* out) { *out << loads.family; }

class LoadThenCreate : public EditorsAndCliAgree,
                       public ::testing::WithParamInterface<RandomLoads> {};

TEST_P(LoadThenCreate, OfRandomImagesAgree)
{
    for (const char* id : GetParam().models)
        loadThenCreateBothWays(ModelNamed(id), GetParam().shape, GetParam().rounds);
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, LoadThenCreate, ::testing::ValuesIn(kRandomLoads),
                         [](const ::testing::TestParamInfo<RandomLoads>& info) {
                             return std::string(info.param.family);
                         });

// Files a production line meets that are no image, or none the model takes, through every
// editor's load and through decode. A refused load shows the editor's message and leaves
// the form, the listing and the image holder as they were; a taken file (its bytes those
// of the image loaded before) changes nothing either.
class BadFilesThroughEditorsAndCli : public EditorsAndCliAgree {
protected:
    struct BadFile {
        const char* what;
        std::string name;
        long size = 256; // the start of the image, padded with FF past 256 bytes
        std::function<void(const std::string& name)> make = {}; // where it is no plain file
        std::string cliError = {}; // decode's message for a file it cannot read
        bool notAsRoot = false; // root reads and writes whatever the permissions say
    };

    // One editor of each kind, a distinct image loaded into it.
    static std::vector<const layout::Model*> EditorModels()
    {
        std::vector<const layout::Model*> models;
        for (const char* id : {"qh404", "qh107", "qh304", "qh202", "qh203-48", "qh207"})
            models.push_back(&ModelNamed(id));
        return models;
    }

    void loadBase(const layout::Model& model)
    {
        const std::string profile = R"({"model": ")" + std::string(model.id) + R"(", "fields": {"vid": "1234"}})";
        m_base = cli("encode -", profile).out;
        ASSERT_EQ(m_base.size(), 256u);
        cli_testing::WriteFile("base.bin", m_base);
        m_form = open(model);
        load("base.bin");
        ASSERT_EQ(messages(), std::vector<QString>{});
        m_shown = FormProfile(m_form, model);
        m_listing = Listing(m_form);
        Click(m_form, QStringLiteral("Create EEPROM File"));
        messages();
        m_created = ReadFile("nv.bin");
    }

    void load(const std::string& name)
    {
        m_form->findChild<QLineEdit*>(QStringLiteral("inputFileName"))->setText(QString::fromStdString(name));
        m_form->findChild<QPushButton*>(QStringLiteral("loadButton"))->click();
    }

    void make(const BadFile& file) const
    {
        if (file.make) {
            file.make(file.name);
            return;
        }
        std::string bytes = m_base.substr(0, static_cast<std::size_t>(std::min(file.size, 256L)));
        bytes.resize(static_cast<std::size_t>(file.size), '\xFF');
        cli_testing::WriteFile(file.name, bytes);
    }

    void expectRefusedOrTaken(const layout::Model& model, const BadFile& file)
    {
        SCOPED_TRACE(std::string(model.id) + ", " + file.what);
        make(file);
        const bool isFile = !file.make && file.cliError.empty();
        const bool taken = isFile && (model.exactLoadSize ? file.size == 256 : file.size >= 16);
        load(file.name);
        const QString refusal = model.exactLoadSize
            ? QStringLiteral("Looks like the input file is not a valid E2prom binary file or it may "
                             "have been corrupted\nAborting the load operation of this file\n")
            : QStringLiteral("Failed to read input file");
        EXPECT_EQ(messages(), taken ? std::vector<QString>{} : std::vector<QString>{refusal});
        EXPECT_EQ(FormProfile(m_form, model), m_shown);
        EXPECT_EQ(Listing(m_form), m_listing);

        const Result decoded = cli("decode -m " + std::string(model.id) + " -- '" + file.name + "'");
        const bool fits = file.size > 0 && file.size <= (1L << 20);
        EXPECT_EQ(decoded.code, taken && fits ? 0 : 1) << decoded.err;
        std::string error = file.cliError;
        if (isFile && file.size == 0)
            error = file.name + ": empty file";
        else if (isFile && !fits)
            error = file.name + ": larger than 1 MiB, not a profile or image file";
        else if (isFile && !taken)
            error = "the file holds " + std::to_string(file.size) + (file.size == 1 ? " byte" : " bytes") +
                    "; a " + std::string(model.name) + " image file holds " +
                    (model.exactLoadSize ? "exactly 256" : "at least 16");
        EXPECT_EQ(decoded.err, error.empty() ? "" : "hubquill-cli: " + error + "\n");
    }

    // The holder too is as it was: Create builds what it built before.
    void expectCreateAsBefore()
    {
        Click(m_form, QStringLiteral("Create EEPROM File"));
        messages();
        EXPECT_EQ(ReadFile("nv.bin"), m_created);
    }

    std::string m_base;
    QWidget* m_form = nullptr;
    nlohmann::json m_shown;
    QStringList m_listing;
    std::string m_created;
};

TEST_F(BadFilesThroughEditorsAndCli, ChangeNothingAndAreToldAtOnce)
{
    const std::string longest(255, 'n');
    const BadFile kFiles[] = {
        {"missing", "missing.bin", 0, [](const std::string&) {}, "missing.bin: no such file"},
        {"empty", "empty.bin", 0},
        {"1 byte", "one.bin", 1},
        {"15 bytes", "fifteen.bin", 15},
        {"16 bytes", "sixteen.bin", 16},
        {"255 bytes", "short.bin", 255},
        {"257 bytes", "long.bin", 257},
        {"10 MB", "huge.bin", 10'000'000},
        {"a folder", "folder.bin", 0, [](const std::string& name) { std::filesystem::create_directory(name); },
         "folder.bin: is a folder, not a file"},
        {"a FIFO", "fifo.bin", 0, [](const std::string& name) { ::mkfifo(name.c_str(), 0600); },
         "fifo.bin: empty file"},
        {"a dangling link", "link.bin", 0,
         [](const std::string& name) { std::filesystem::create_symlink("nowhere.bin", name); },
         "link.bin: a link to a file that does not exist"},
        {"a space in the name", "an image.bin"},
        {"UTF-8 in the name", "bild-\xC3\xBC\xE2\x82\xAC.bin"},
        {"a leading dash", "-image.bin"},
        {"255 characters", longest},
        // The name box takes 255 characters; the tool says why it cannot open the file.
        {"256 characters", std::string(256, 'm'), 0, [](const std::string&) {},
         std::string(256, 'm') + ": name too long"},
        {"no read permission", "secret.bin", 0, [this](const std::string& name) {
             cli_testing::WriteFile(name, m_base);
             ::chmod(name.c_str(), 0);
         }, "secret.bin: permission denied", true},
    };
    for (const layout::Model* model : EditorModels()) {
        loadBase(*model);
        for (const BadFile& file : kFiles) {
            if (!file.notAsRoot || ::geteuid() != 0)
                expectRefusedOrTaken(*model, file);
            std::error_code none; // a name too long is no file to remove
            std::filesystem::remove(file.name, none);
        }
        expectCreateAsBefore();
    }
}

// A folder whose disk is full: a small tmpfs where the machine lets the test mount one,
// otherwise a limit on the size of files that makes writes past 200 bytes fail as well
// (while an Injected is alive).
class FullFolder {
public:
    explicit FullFolder(const std::string& name) : m_name(name)
    {
        std::filesystem::create_directory(name);
        m_mounted = ::mount("tmpfs", name.c_str(), "tmpfs", 0, "size=8k") == 0;
        cli_testing::WriteFile(name + "/nv.bin", std::string(256, 'p'));
        if (m_mounted)
            cli_testing::WriteFile(name + "/filler", std::string(4096, 'f')); // the last page
    }
    ~FullFolder()
    {
        if (m_mounted)
            ::umount(m_name.c_str());
    }
    FullFolder(const FullFolder&) = delete;
    FullFolder& operator=(const FullFolder&) = delete;

    std::string reason() const { return m_mounted ? "disk full" : "file too large"; }

    // The size limit, while alive, where no tmpfs could be mounted.
    struct Injected {
        rlimit before{};
        explicit Injected(const FullFolder& folder) : Injected(!folder.m_mounted) {}
        explicit Injected(bool active)
        {
            ::getrlimit(RLIMIT_FSIZE, &before);
            if (!active)
                return;
            std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead
            const rlimit small{200, before.rlim_max};
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        ~Injected() { ::setrlimit(RLIMIT_FSIZE, &before); }
        Injected(const Injected&) = delete;
        Injected& operator=(const Injected&) = delete;
    };

private:
    std::string m_name;
    bool m_mounted = false;
};

// Writes that fail through every editor's Create and through encode -o: each says why,
// leaves the old file byte for byte and no temporary file behind.
class FailedWritesThroughEditorsAndCli : public BadFilesThroughEditorsAndCli {
protected:
    struct Target {
        const char* what;
        std::string name;
        std::string reason;
    };

    // Every name under the folder with the content of each plain file, but the tool's own
    // standard input and output.
    static std::vector<std::string> Entries(const std::filesystem::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            if (!entry.path().filename().string().starts_with(".std"))
                names.push_back(entry.path().string() + " " +
                                (entry.is_regular_file() ? ReadFile(entry.path()) : std::string()));
        std::sort(names.begin(), names.end());
        return names;
    }

    void expectFailed(const layout::Model& model, const Target& target, const FullFolder* full = nullptr)
    {
        SCOPED_TRACE(std::string(model.id) + ", " + target.what);
        const std::filesystem::path here = std::filesystem::current_path();
        const std::vector<std::string> before = Entries(here);
        const QString said = QString::fromStdString(target.reason);
        const QString message = (model.family == "qh20x" ? QStringLiteral("Error creating EE file")
                                                          : QStringLiteral("Error trying to create EEPROM file.")) +
                                QStringLiteral("\n\n") + said.left(1).toUpper() + said.mid(1) + QLatin1Char('.');
        m_form->findChild<QLineEdit*>(QStringLiteral("outputFileName"))->setText(QString::fromStdString(target.name));
        Result result;
        {
            std::optional<FullFolder::Injected> injected;
            if (full)
                injected.emplace(*full);
            Click(m_form, QStringLiteral("Create EEPROM File"));
            result = cli("encode - -o '" + target.name + "'", R"({"model": ")" + std::string(model.id) + "\"}");
        }
        EXPECT_EQ(messages(), std::vector<QString>{message});
        EXPECT_EQ(result.code, 1);
        EXPECT_EQ(result.err, "hubquill-cli: " + target.name + ": cannot be written: " + target.reason +
                                  " (an existing file is left as it was)\n");
        EXPECT_EQ(Entries(here), before);
    }
};

TEST_F(FailedWritesThroughEditorsAndCli, SayWhyAndLeaveTheOldFileAndNoTemporary)
{
    std::filesystem::create_directories("taken/inside");
    cli_testing::WriteFile("kept.bin", "precious");
    std::filesystem::permissions("kept.bin", std::filesystem::perms::owner_read);
    ::mkfifo("fifo", 0600);
    cli_testing::WriteFile("locked/nv.bin", "precious");
    std::filesystem::permissions("locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const FullFolder full("full");
    const Target kTargets[] = {
        {"a missing folder", "no/such/folder/nv.bin", "no such folder"},
        {"a folder in its place", "taken", "is a folder"},
        {"a file nobody may write", "kept.bin", "permission denied"},
        {"a device", "/dev/full", "disk full"},
        {"a FIFO nobody reads", "fifo", "no program is reading from it"},
    };
    for (const layout::Model* model : EditorModels()) {
        loadBase(*model);
        for (const Target& target : kTargets)
            expectFailed(*model, target);
        expectFailed(*model, {"a full disk", "full/nv.bin", full.reason()}, &full);
        if (::geteuid() != 0) // root writes into a folder without write permission
            expectFailed(*model, {"a folder without write permission", "locked/nv.bin", "permission denied"});
    }
    std::filesystem::permissions("locked", std::filesystem::perms::owner_all);
}

} // namespace
