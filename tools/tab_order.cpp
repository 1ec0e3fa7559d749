// Prints the order in which the Tab key goes through the named controls of every model's
// window (fields by key, the model lists and the file name boxes by name), page by page, as
// JSON: {"qh404": [["deviceId", "vid", ...]], "qh304": [[page 1], [page 2]], ...}. The
// browser tests hold the browser edition's order to it:
//   hubquill_tab_order
// Disabled controls are listed where they stand, so the order does not hang on the values.

#include "app/main_window.h"
#include "editors/registry.h"
#include "platform/modeless_editor.h"
#include "platform/services.h"
#include "platform/sheet.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

#include <cstdio>

namespace {

class NoMessages final : public platform::Services {
public:
    platform::Answer message(QWidget*, platform::MessageKind, const QString&) override
    {
        return platform::Answer::Cancel;
    }
    std::optional<QString> chooseExistingFile(QWidget*) override { return std::nullopt; }
};

void settle()
{
    for (int round = 0; round < 5; ++round)
        QApplication::processEvents();
}

// The named lists and boxes inside `area`, in the order of the window's focus chain.
QStringList chainIn(QWidget& window, const QWidget& area)
{
    QStringList names;
    for (QWidget* at = window.nextInFocusChain(); at && at != &window; at = at->nextInFocusChain()) {
        const bool control = qobject_cast<QComboBox*>(at) || qobject_cast<QLineEdit*>(at);
        if (control && (at->focusPolicy() & Qt::TabFocus) && !at->objectName().isEmpty() &&
            area.isAncestorOf(at) && !names.contains(at->objectName()))
            names.append(at->objectName());
    }
    return names;
}

QString jsonList(const QStringList& names)
{
    QStringList quoted;
    for (const QString& name : names)
        quoted.append(QLatin1Char('"') + name + QLatin1Char('"'));
    return QLatin1Char('[') + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    NoMessages quiet;
    platform::setServices(&quiet);

    CHUBQUILLDlg window;
    window.show();
    settle();
    QStringList entries;
    const auto models = editors::AllModels();
    for (int index = 0; index < static_cast<int>(models.size()); ++index) {
        QStringList pages;
        window.modelList()->setCurrentIndex(index);
        emit window.modelList()->activated(index);
        settle();
        if (platform::Sheet* sheet = window.sheet()) {
            for (int page = 0; page < sheet->tabs()->count(); ++page)
                pages.append(jsonList(chainIn(*sheet, *sheet->tabs()->widget(page))));
            sheet->leave();
        } else if (platform::ModelessEditor* editor = window.childEditor()) {
            pages.append(jsonList(chainIn(*editor, *editor)));
            emit editor->backToMain();
            editor->close();
        } else {
            pages.append(jsonList(chainIn(window, window)));
        }
        settle();
        entries.append(QStringLiteral("  \"%1\": [%2]")
                           .arg(QString::fromUtf8(models[static_cast<std::size_t>(index)]->id.data(),
                                                  static_cast<qsizetype>(models[static_cast<std::size_t>(index)]->id.size())),
                                pages.join(QStringLiteral(", "))));
    }
    std::printf("{\n%s\n}\n", qPrintable(entries.join(QStringLiteral(",\n"))));
    return 0;
}
