// The editors and the command-line tool side by side: the same form state gives the same
// file and the same messages, and a loaded image shows the same values and is created
// again as the same file. The editors are driven as a user drives them, the tool is the
// built program.

#include "app/main_window.h"
#include "image/e2prom_data.h"
#include "layout/model.h"
#include "platform/modeless_editor.h"
#include "support/ui_fixture.h"

#include "tests/cli/cli_support.h"

#include <QComboBox>
#include <QLineEdit>

#include <nlohmann/json.hpp>

#include <random>

using namespace testing_support;
using cli_testing::RunProgram;
using cli_testing::TempFolder;

namespace {

const layout::Model& modelNamed(std::string_view id)
{
    const layout::Model* model = layout::FindModel(id);
    if (!model)
        ADD_FAILURE() << id << " is not built in";
    return *model;
}

// The profile of what a form shows: each field's widget is named after its key.
nlohmann::json FormProfile(QWidget* form, const layout::Model& model)
{
    nlohmann::json profile{{"model", std::string(model.id)}, {"fields", nlohmann::json::object()}};
    for (const layout::Field& field : model.fields) {
        const QString key = QString::fromUtf8(field.key.data(), static_cast<int>(field.key.size()));
        nlohmann::json& value = profile["fields"][std::string(field.key)];
        if (const auto* list = form->findChild<QComboBox*>(key))
            value = list->currentIndex() < 0 ? nlohmann::json() : nlohmann::json(list->currentText().toStdString());
        else if (const auto* box = form->findChild<QLineEdit*>(key))
            value = box->text().toStdString();
        else
            ADD_FAILURE() << "no widget for " << field.key;
    }
    return profile;
}

std::vector<std::string> Warnings(const std::vector<QString>& messages)
{
    std::vector<std::string> lines;
    for (const QString& message : messages)
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

std::string FileText(const std::vector<unsigned char>& bytes) { return {bytes.begin(), bytes.end()}; }

class EditorsAndCliAgree : public UiTest {
protected:
    EditorsAndCliAgree()
    {
        window.setModelessFactory(
            [](int, CHUBQUILLDlg& owner) { return new platform::ModelessEditor(&owner); });
    }
    std::vector<QString> takeMessages()
    {
        std::vector<QString> texts = services.texts();
        services.forget();
        return texts;
    }
    // Loads `name` as the user does, answering the editor's questions as the tool does.
    void load(QWidget* form, const layout::Model& model, const QString& name,
              const std::vector<unsigned char>& bytes)
    {
        CE2promData loaded;
        loaded.CopyIn(bytes.data(), model.loadSize);
        if (model.foreignImageQuestion && model.foreignImageQuestion(loaded))
            services.answerNext(platform::Answer::Ok);
        if (model.chooseDisplayModel) {
            const layout::DisplayChoice choice = model.chooseDisplayModel(loaded, model);
            if (!choice.model && !choice.question.empty())
                services.answerNext(platform::Answer::Yes);
        }
        Type(form, QStringLiteral("Binary Input File to Load:"), pathOf(name));
        Click(form, QStringLiteral("LOAD from FILE"));
    }

    CHUBQUILLDlg window;
    TempFolder cli;
};

TEST_F(EditorsAndCliAgree, Qh404FormStateAndProfileCreateTheSameFileWithTheSameMessages)
{
    const layout::Model& model = modelNamed("qh404");
    QWidget* form = &window;
    Select(form, "Self-/Bus-Power", "Bus-Power");
    Select(form, "Current Sensing", "Gang");
    Select(form, "Port 2 Non-Removable", "Non-Removeable");
    Select(form, "Compound Device", "No");
    Select(form, "Over-Current Timer", "6ms");
    Type(form, "VID (hex)", " 0x1f");
    Type(form, "DID (hex)", "beef");
    Type(form, "Power-On Timer (hex)", "1FF");
    takeMessages();

    cli.write("form.json", FormProfile(form, model).dump());
    Click(form, QStringLiteral("Create EEPROM File"));
    const std::vector<QString> messages = takeMessages();
    ASSERT_EQ(messages.size(), 2u) << "the power-sense conflict and the compound rule";

    const cli_testing::Result result = RunProgram(cli, "encode form.json");
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, FileText(readFile("nv.bin")));
    std::vector<std::string> expected = Warnings(messages);
    expected.insert(expected.begin(), "hubquill-cli: warning: key \"power_on_timer\": \"1FF\" is "
                                      "wider than 8 bits; the image keeps FF");
    EXPECT_EQ(LinesOf(result.err), expected);
    EXPECT_EQ(RunProgram(cli, "encode form.json --strict").code, 1);
}

TEST_F(EditorsAndCliAgree, Qh404LoadThenCreateOfRandomImages)
{
    const layout::Model& model = modelNamed("qh404");
    std::mt19937 generator(0x404);
    for (int round = 0; round < 24; ++round) {
        std::vector<unsigned char> bytes(256);
        for (auto& byte : bytes)
            byte = static_cast<unsigned char>(generator());
        if (round % 2 == 0)
            bytes[2] = 0xA7, bytes[3] = 0x00; // half of them pass the model check
        writeFile("in.bin", bytes);

        CHUBQUILLDlg editor; // a freshly opened form each time, as the tool assumes
        load(&editor, model, "in.bin", bytes);
        const std::vector<QString> loadMessages = takeMessages();
        const nlohmann::json shown = FormProfile(&editor, model);
        Click(&editor, QStringLiteral("Create EEPROM File"));
        const std::vector<QString> createMessages = takeMessages();

        cli.write("in.bin", FileText(bytes));
        const cli_testing::Result decoded = RunProgram(cli, "decode in.bin --model qh404");
        ASSERT_EQ(decoded.code, 0) << decoded.err;
        EXPECT_EQ(nlohmann::json::parse(decoded.out), shown) << "round " << round;
        std::vector<std::string> questionsAndNotes = LinesOf(decoded.err);
        for (std::string& line : questionsAndNotes)
            line = line.substr(0, line.find(" [answered"));
        EXPECT_EQ(questionsAndNotes, Warnings(loadMessages)) << "round " << round;

        // The editor creates into the holder its load filled; --base says the same.
        const std::string created = FileText(readFile("nv.bin"));
        const cli_testing::Result encoded = RunProgram(cli, "encode - --base in.bin", decoded.out);
        ASSERT_EQ(encoded.code, 0) << encoded.err;
        EXPECT_EQ(encoded.out, created) << "round " << round;
        EXPECT_EQ(LinesOf(encoded.err), Warnings(createMessages)) << "round " << round;

        // Without a base the bytes the model never writes are those of a fresh holder.
        std::string expected = created;
        for (const layout::UnusedBytes& range : model.unused)
            for (unsigned offset = range.first; offset <= range.last; ++offset)
                expected[offset] = '\xFF';
        EXPECT_EQ(RunProgram(cli, "encode -", decoded.out).out, expected) << "round " << round;
    }
}

} // namespace
