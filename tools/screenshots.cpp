// Takes a picture of the main window and of each page of every editor, as a user first sees
// them, under the offscreen platform. Run by scripts/screenshots:
//   hubquill_screenshots FOLDER
// writes FOLDER/main.png and FOLDER/<model id>-<page>.png for one model of each editor.

#include "app/main_window.h"
#include "editors/registry.h"
#include "platform/services.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTabWidget>

#include <cstdio>

namespace {

// One model of each editor; the other models of a family share its window.
constexpr const char* kShown[] = {"qh107", "qh304", "qh204-48", "qh203-36", "qh202", "qh207"};

// Messages are printed, not shown: nobody is there to answer them.
class PrintedMessages final : public platform::Services {
public:
    platform::Answer message(QWidget*, platform::MessageKind, const QString& text) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return platform::Answer::Cancel;
    }
    std::optional<QString> chooseExistingFile(QWidget*) override { return std::nullopt; }
};

void settle()
{
    for (int round = 0; round < 5; ++round)
        QApplication::processEvents();
}

bool save(QWidget& window, const QDir& folder, const QString& name)
{
    window.resize(window.sizeHint());
    settle();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (window.grab().save(path))
        return true;
    std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                      : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    PrintedMessages printed;
    platform::setServices(&printed);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    if (!QDir().mkpath(folder.path()))
        return 1;

    CHUBQUILLDlg window;
    window.show();
    bool saved = save(window, folder, QStringLiteral("main"));
    for (const char* id : kShown) {
        const auto models = editors::AllModels();
        const auto found = std::find(models.begin(), models.end(), editors::FindModel(id));
        const int index = static_cast<int>(found - models.begin());
        window.modelList()->setCurrentIndex(index);
        emit window.modelList()->activated(index);
        settle();
        if (platform::Sheet* sheet = window.sheet()) {
            for (int page = 0; page < sheet->tabs()->count(); ++page) {
                sheet->showPage(page);
                saved = save(*sheet, folder, QStringLiteral("%1-page%2").arg(id).arg(page + 1)) && saved;
            }
            sheet->leave();
        } else if (platform::ModelessEditor* editor = window.childEditor()) {
            saved = save(*editor, folder, QString::fromLatin1(id)) && saved;
            emit editor->backToMain(); // closed as by its own "QH404", not ending the program
            editor->close();
        }
        settle();
    }
    return saved ? 0 : 1;
}
