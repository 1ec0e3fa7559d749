#include "platform/services.h"

#include <QFileDialog>
#include <QMessageBox>

namespace platform {
namespace {

const QString kTitle = QStringLiteral("HUBQUILL");

class DesktopServices final : public Services {
public:
    Answer message(QWidget* owner, MessageKind kind, const QString& text) override
    {
        QMessageBox box(owner);
        box.setWindowTitle(kTitle);
        box.setText(text);
        switch (kind) {
        case MessageKind::Notice:
            box.setIcon(QMessageBox::NoIcon);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageKind::OkCancelStop:
            box.setIcon(QMessageBox::Critical);
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MessageKind::YesNoStop:
            box.setIcon(QMessageBox::Critical);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Ok: return Answer::Ok;
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        default: return Answer::Cancel;
        }
    }

    std::optional<QString> chooseExistingFile(QWidget* owner) override
    {
        // "*" rather than "*.*": on this platform many image files carry no extension.
        const QString chosen = QFileDialog::getOpenFileName(owner, QString(), QString(),
                                                            QStringLiteral("All Files (*)"));
        if (chosen.isEmpty())
            return std::nullopt;
        return chosen;
    }
};

Services* replacementServices = nullptr;

} // namespace

Services& services()
{
    static DesktopServices desktop;
    return replacementServices ? *replacementServices : desktop;
}

void setServices(Services* replacement) { replacementServices = replacement; }

} // namespace platform
