#include "support/ui_fixture.h"

#include "app/main_window.h"
#include "editors/registry.h"
#include "platform/modeless_editor.h"
#include "platform/sheet.h"
#include "platform/text.h"

#include <QFile>

namespace testing_support {

std::vector<QString> UiTest::messages()
{
    std::vector<QString> texts = services.texts();
    services.forget();
    return texts;
}

std::vector<unsigned char> UiTest::readFile(const QString& name) const
{
    QFile file(pathOf(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return {bytes.begin(), bytes.end()};
}

void UiTest::writeFile(const QString& name, const std::vector<unsigned char>& bytes) const
{
    QFile file(pathOf(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

void ForEveryEditor(CHUBQUILLDlg& window,
                    const std::function<void(QWidget& editor, const QString& model)>& look)
{
    for (const layout::Model* model : editors::AllModels().subspan(1)) {
        const QString name = platform::ToQString(model->name);
        Select(&window, QStringLiteral("Device ID"), name);
        ProcessEvents();
        if (platform::Sheet* sheet = window.sheet()) {
            look(*sheet, name);
            sheet->leave();
        } else if (platform::ModelessEditor* editor = window.childEditor()) {
            look(*editor, name);
            emit editor->backToMain();
            editor->close();
        } else {
            ADD_FAILURE() << "no editor for " << name.toStdString();
        }
        ProcessEvents();
    }
}

} // namespace testing_support
