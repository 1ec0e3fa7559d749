// The editors and the command-line tool side by side: the same form state gives the same
// file and the same messages, and a loaded image shows the same values and is created
// again as the same file. The editors are driven as a user drives them, the tool is the
// built program.

#include "app/main_window.h"
#include "editors/qh1xx/qh1xx_editor.h"
#include "image/e2prom_data.h"
#include "layout/model.h"
#include "platform/modeless_editor.h"
#include "support/ui_fixture.h"

#include "tests/cli/cli_support.h"

#include <QComboBox>
#include <QLineEdit>

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <random>

using namespace testing_support;
using cli_testing::Result;
using cli_testing::RunProgram;
using cli_testing::TempFolder;
using Bytes = std::vector<unsigned char>;

namespace {

const layout::Model& ModelNamed(std::string_view id)
{
    const layout::Model* model = layout::FindModel(id);
    if (!model)
        throw std::runtime_error(std::string(id) + " is not built in");
    return *model;
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
            if (field.kind != layout::Kind::Choice)
                value = list->currentText().toStdString(); // an editable list: its text
            else if (list->currentIndex() >= 0)
                value = list->currentText().toStdString();
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

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

std::string FileText(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

// An editor window as the user has it, and the widget its form is in.
struct Editor {
    std::unique_ptr<QWidget> window;
    QWidget* form = nullptr;
};

Editor OpenQh404()
{
    auto window = std::make_unique<CHUBQUILLDlg>();
    window->setModelessFactory(
        [](int, CHUBQUILLDlg& owner) { return new platform::ModelessEditor(&owner); });
    QWidget* form = window.get();
    return {std::move(window), form};
}

Editor OpenQh1xx(int modelIndex)
{
    auto editor = std::make_unique<CE2PromQH1XX>();
    editor->SetModel(modelIndex);
    editor->Create();
    editor->show();
    QWidget* form = editor.get();
    return {std::move(editor), form};
}

class EditorsAndCliAgree : public UiTest {
protected:
    std::vector<QString> takeMessages()
    {
        std::vector<QString> texts = services.texts();
        services.forget();
        return texts;
    }

    // Loads `name` as the user does, answering the editor's questions as the tool does.
    void load(QWidget* form, const layout::Model& model, const Bytes& bytes)
    {
        writeFile("in.bin", bytes);
        CE2promData loaded;
        loaded.CopyIn(bytes.data(), model.loadSize);
        if (model.foreignImageQuestion && model.foreignImageQuestion(loaded))
            services.answerNext(platform::Answer::Ok);
        if (model.chooseDisplayModel) {
            const layout::DisplayChoice choice = model.chooseDisplayModel(loaded, model);
            if (!choice.model && !choice.question.empty())
                services.answerNext(platform::Answer::Yes);
        }
        Type(form, QStringLiteral("Binary Input File to Load:"), pathOf("in.bin"));
        Click(form, QStringLiteral("LOAD from FILE"));
    }

    // The form as the user left it, as a profile: the tool builds the file the editor
    // builds from it and tells the same corrections (after its own notes on the profile).
    void createBothWays(QWidget* form, const layout::Model& model,
                        const std::vector<std::string>& profileNotes)
    {
        takeMessages();
        cli.write("form.json", FormProfile(form, model).dump());
        Click(form, QStringLiteral("Create EEPROM File"));
        const std::vector<QString> messages = takeMessages();
        EXPECT_FALSE(messages.empty()) << "the edits were meant to make the editor correct some";

        const Result result = RunProgram(cli, "encode form.json");
        EXPECT_EQ(result.code, 0);
        EXPECT_EQ(result.out, FileText(readFile("nv.bin")));
        std::vector<std::string> expected = profileNotes;
        for (const std::string& line : Warnings(messages))
            expected.push_back(line);
        EXPECT_EQ(LinesOf(result.err), expected);
        EXPECT_EQ(RunProgram(cli, "encode form.json --strict").code, 1);
    }

    // Random images (shaped so the editor's questions come up too) loaded then created in
    // a freshly opened editor, against decode then encode.
    void loadThenCreateBothWays(const std::function<Editor()>& open, const layout::Model& model,
                                const std::function<void(Bytes&, int round)>& shape, int rounds)
    {
        std::mt19937 generator(0x5EED);
        const std::string id(model.id);
        for (int round = 0; round < rounds; ++round) {
            SCOPED_TRACE(id + " round " + std::to_string(round));
            Bytes bytes(256);
            for (auto& byte : bytes)
                byte = static_cast<unsigned char>(generator());
            shape(bytes, round);

            Editor editor = open();
            load(editor.form, model, bytes);
            const std::vector<QString> loadMessages = takeMessages();

            cli.write("in.bin", FileText(bytes));
            const Result decoded = RunProgram(cli, "decode in.bin --model " + id);
            ASSERT_EQ(decoded.code, 0) << decoded.err;
            const nlohmann::json profile = nlohmann::json::parse(decoded.out);
            const layout::Model& shown = ModelNamed(profile["model"].get<std::string>());
            EXPECT_EQ(ChoiceText(editor.form, "Device ID").toStdString(), shown.name);
            EXPECT_EQ(profile, FormProfile(editor.form, shown));
            std::vector<std::string> told;
            for (const std::string& line : LinesOf(decoded.err))
                if (line.find("whose form shows it") == std::string::npos) // the tool's own note
                    told.push_back(line.substr(0, line.find(" [answered")));
            EXPECT_EQ(told, Warnings(loadMessages));

            Click(editor.form, QStringLiteral("Create EEPROM File"));
            const std::vector<QString> createMessages = takeMessages();
            const std::string created = FileText(readFile("nv.bin"));

            // The editor creates into the holder its load filled; --base says the same.
            const Result encoded = RunProgram(cli, "encode - --base in.bin", decoded.out);
            ASSERT_EQ(encoded.code, 0) << encoded.err;
            EXPECT_EQ(encoded.out, created);
            EXPECT_EQ(LinesOf(encoded.err), Warnings(createMessages));

            // Without a base the bytes the model never writes are those of a fresh holder.
            std::string erased = created;
            for (const layout::UnusedBytes& range : shown.unused)
                for (unsigned offset = range.first; offset <= range.last; ++offset)
                    erased[offset] = '\xFF';
            EXPECT_EQ(RunProgram(cli, "encode -", decoded.out).out, erased);
        }
    }

    TempFolder cli;
};

TEST_F(EditorsAndCliAgree, Qh404FormStateAndProfileCreateTheSameFile)
{
    Editor editor = OpenQh404();
    QWidget* form = editor.form;
    Select(form, "Self-/Bus-Power", "Bus-Power");
    Select(form, "Current Sensing", "Gang");
    Select(form, "Port 2 Non-Removable", "Non-Removeable");
    Select(form, "Compound Device", "No");
    Select(form, "Over-Current Timer", "6ms");
    Type(form, "VID (hex)", " 0x1f");
    Type(form, "DID (hex)", "beef");
    Type(form, "Power-On Timer (hex)", "1FF");
    createBothWays(form, ModelNamed("qh404"),
                   {"hubquill-cli: warning: key \"power_on_timer\": \"1FF\" is wider than 8 "
                    "bits; the image keeps FF"});
}

TEST_F(EditorsAndCliAgree, Qh1xxFormStateAndProfileCreateTheSameFile)
{
    Editor editor = OpenQh1xx(4);
    QWidget* form = editor.form;
    Select(form, "Self-/Bus-Power", "Self-Power");
    Select(form, "Non Removable Device|Port 5 Non-Removable", "Non-Removeable");
    Select(form, "Compound Device", "No");
    Select(form, "PID (Hex)", "0105");
    Select(form, "Port Disable Bus Power|Port 7 Disable", "Disable");
    Select(form, "Over-Current Timer", "0.1ms");
    Type(form, "Self Power|Max Power (Hex)", "1FF");
    Type(form, "DID (Hex)", "0x0c");
    createBothWays(form, ModelNamed("qh107"),
                   {"hubquill-cli: warning: key \"self_max_power\": \"1FF\" is wider than 8 "
                    "bits; the image keeps FF"});
}

TEST_F(EditorsAndCliAgree, Qh404LoadThenCreateOfRandomImages)
{
    loadThenCreateBothWays(OpenQh404, ModelNamed("qh404"), [](Bytes& bytes, int round) {
        if (round % 2 == 0)
            bytes[2] = 0xA7, bytes[3] = 0x00; // half of them pass the model check
    }, 16);
}

TEST_F(EditorsAndCliAgree, Qh1xxLoadThenCreateOfRandomImages)
{
    // Every form of the family opened, images naming each model, the QH105 and QH106 and
    // no model at all, and now and then of another family.
    static constexpr unsigned char kModelBytes[] = {0x02, 0x03, 0x04, 0x07, 0x05, 0x06, 0x09};
    for (int index = 1; index <= 4; ++index) {
        const layout::Model& model = ModelNamed(std::array{"qh102", "qh103", "qh104", "qh107"}
                                                    [static_cast<std::size_t>(index - 1)]);
        loadThenCreateBothWays([index] { return OpenQh1xx(index); }, model,
                               [](Bytes& bytes, int round) {
                                   bytes[2] = kModelBytes[round % std::size(kModelBytes)];
                                   if (round % 5 != 4)
                                       bytes[3] = 0x01;
                               },
                               10);
    }
}

} // namespace
