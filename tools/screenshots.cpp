// Takes a picture of the main window and of each page of every editor, as a user first sees
// them and at the size they open with. scripts/screenshots runs it on the xcb platform
// against a private Xvfb server with a laptop's screen (1366x768):
//   hubquill_screenshots FOLDER
// writes FOLDER/main.png and FOLDER/<model id>-<page>.png for one model of each editor, and
// FOLDER/listing.png: the main window after a load, a field focused and a byte's tooltip.
// The program runs in a folder of its own, /tmp/hubquill/Desktop, so the pictures show the
// same file names on every machine.

#include "app/main_window.h"
#include "editors/registry.h"
#include "platform/hex_listing.h"
#include "platform/services.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QToolTip>

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

// The window as it opened, at the size it opened with.
bool save(QWidget& window, const QDir& folder, const QString& name)
{
    settle();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (window.grab().save(path))
        return true;
    std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    return false;
}

// The QH404 image the listing picture loads: the defaults, with bits 5-4 of byte 0x08 set,
// which no field holds, so the next Create writes that byte differently.
const char kLoadedImage[] = "\x7A\x7A\xA7\x00\x00\x00\x58\x00\x35\x00\x00\x80";

// A point of the listing's viewport on byte `offset`.
QPoint pointOnByte(const platform::HexListing& listing, unsigned offset)
{
    const QRect line = listing.visualItemRect(listing.item(static_cast<int>(offset / 16)));
    for (int x = line.left(); x < line.right(); ++x)
        if (listing.byteAt({x, line.center().y()}) == offset)
            return {x + 4, line.center().y()};
    return line.center();
}

// The main window after loading an image, "VID (hex)" focused and the tooltip of byte 0x08
// drawn where it shows.
bool saveListing(CHUBQUILLDlg& window, const QDir& folder)
{
    QFile image(QStringLiteral("loaded.bin"));
    if (!image.open(QIODevice::WriteOnly) || image.write(kLoadedImage, 12) != 12)
        return false;
    image.write(QByteArray(244, '\xFF'));
    image.close();
    window.findChild<QLineEdit*>(QStringLiteral("inputFileName"))->setText(image.fileName());
    window.findChild<QPushButton*>(QStringLiteral("loadButton"))->click();
    window.activateWindow();
    settle();
    window.findChild<QWidget*>(QStringLiteral("vid"))->setFocus();
    settle();

    auto* listing = window.findChild<platform::HexListing*>(QStringLiteral("listing"));
    const QPoint at = pointOnByte(*listing, 8);
    QToolTip::showText(listing->viewport()->mapToGlobal(at), listing->byteTip(8), listing);
    settle();
    QPixmap picture = window.grab();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->inherits("QTipLabel") && top->isVisible()) {
            QPainter painter(&picture);
            const QPixmap tip = top->grab();
            const QPoint below = listing->viewport()->mapTo(&window, at) + QPoint(0, 16);
            painter.drawPixmap(std::min(below.x() - tip.width() / 3, picture.width() - tip.width() - 8),
                               below.y(), tip);
        }
    return picture.save(folder.filePath(QStringLiteral("listing.png")));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                      : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    PrintedMessages printed;
    platform::setServices(&printed);
    const QDir folder(QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."))
                          .absolutePath());
    const QString desktop = QDir::temp().filePath(QStringLiteral("hubquill/Desktop"));
    if (!QDir().mkpath(folder.path()) || !QDir().mkpath(desktop) || !QDir::setCurrent(desktop))
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
    saved = saveListing(window, folder) && saved;
    return saved ? 0 : 1;
}
