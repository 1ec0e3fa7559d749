// The windowed half of the benchmarks, started by hubquill_bench as a child process under the
// platform it chooses (offscreen, or xcb on Xvfb):
//   hubquill_window_probe census main|MODEL      the widgets of the main window or an editor
//   hubquill_window_probe start main             HUBQUILL's start, up to the first paint
//   hubquill_window_probe start-bare CENSUS      the same for the bare twin of a census
//   hubquill_window_probe open MODEL CYCLES      opens and closes a model's editor
//   hubquill_window_probe open-bare CENSUS CYCLES
// A start prints the moments (monotonic nanoseconds) it reached each phase and exits at once
// after the first paint, so the parent's peak-memory figure is the start's. An open prints
// the median time to both pages painted and how much the heap grew over the cycles.

#include "app/hubquill_app.h"
#include "app/main_window.h"
#include "bench/bare_twin.h"
#include "bench/measure.h"
#include "editors/registry.h"
#include "platform/services.h"
#include "platform/sheet.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QTabWidget>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <unistd.h>

namespace {

const std::int64_t kMainEntered = bench::NowNs();

// Nobody answers messages here.
class SilentServices final : public platform::Services {
public:
    platform::Answer message(QWidget*, platform::MessageKind, const QString&) override
    {
        return platform::Answer::Cancel;
    }
    std::optional<QString> chooseExistingFile(QWidget*) override { return std::nullopt; }
};

class PaintWatch final : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

// Runs the event loop until `widget` has been painted; the paint pass that paints it paints
// the widgets inside it too, and is over when processEvents returns.
void UntilPainted(QWidget& widget)
{
    PaintWatch watch;
    widget.installEventFilter(&watch);
    QElapsedTimer patience;
    patience.start();
    while (!watch.painted && patience.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    widget.removeEventFilter(&watch);
    if (!watch.painted) {
        std::fputs("window never painted\n", stderr);
        std::_Exit(2);
    }
}

// Both pages of a sheet painted, in turn.
void UntilEveryPagePainted(QWidget& window)
{
    UntilPainted(window);
    if (auto* tabs = window.findChild<QTabWidget*>())
        for (int page = 1; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            UntilPainted(*tabs->widget(page));
        }
}

QString ReadCensus(const char* path)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", path);
        std::exit(1);
    }
    return QString::fromUtf8(file.readAll());
}

int ModelIndex(const char* id)
{
    const auto models = editors::AllModels();
    for (std::size_t at = 0; at < models.size(); ++at)
        if (models[at]->id == id)
            return static_cast<int>(at);
    std::fprintf(stderr, "no model %s\n", id);
    std::exit(1);
}

// Opens a model's editor as the user does, from the main window's model list.
QDialog* OpenEditor(CHUBQUILLDlg& window, int model)
{
    window.modelList()->setCurrentIndex(model);
    emit window.modelList()->activated(model);
    if (platform::Sheet* sheet = window.sheet())
        return sheet;
    return window.childEditor();
}

void CloseEditor(CHUBQUILLDlg& window, QDialog& editor)
{
    if (auto* sheet = qobject_cast<platform::Sheet*>(&editor))
        sheet->leave();
    else if (window.childEditor() == &editor)
        emit window.childEditor()->backToMain(); // as its own "QH404" closes it
    editor.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void PrintStamp(const char* phase, std::int64_t ns)
{
    std::printf("%s %lld\n", phase, static_cast<long long>(ns));
}

// A fresh start: the application, the font database (which the first text measured would
// load anyway), the window, its first paint. `bare` builds the twin of a census instead.
int Start(int argc, char** argv, const char* census)
{
    PrintStamp("entered", kMainEntered);
    std::unique_ptr<QApplication> app;
    if (census) {
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<CHUBQUILLApp>(argc, argv);
        EnterDesktopFolder();
    }
    PrintStamp("application", bench::NowNs());
    bench::KeepAlive(QFontMetrics(QApplication::font()).height());
    PrintStamp("fonts", bench::NowNs());
    QDialog* window = census ? bench::BuildBareTwin(ReadCensus(census))
                             : static_cast<QDialog*>(new CHUBQUILLDlg);
    PrintStamp("built", bench::NowNs());
    window->show();
    UntilPainted(*window);
    PrintStamp("painted", bench::NowNs());
    std::printf("widgets %d\n", bench::WidgetCount(*window));
    std::fflush(stdout);
    std::_Exit(0); // the start is over; tearing down is not part of it
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

// Opens and closes an editor (or its twin) `cycles` times over the main window; the time
// of each open runs to both pages painted. The heap is compared after the first ten
// cycles, once caches have filled, and after the last.
int Open(const char* what, bool bare, int cycles)
{
    SilentServices silent;
    platform::setServices(&silent);
    CHUBQUILLDlg window;
    window.show();
    UntilPainted(window);
    const QString census = bare ? ReadCensus(what) : QString();
    const int model = bare ? 0 : ModelIndex(what);
    std::vector<double> opens;
    std::size_t settledHeap = 0;
    int widgets = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        if (cycle == 10)
            settledHeap = HeapInUse();
        const std::int64_t start = bench::NowNs();
        QDialog* editor = bare ? bench::BuildBareTwin(census, &window) : OpenEditor(window, model);
        if (bare) {
            editor->setAttribute(Qt::WA_DeleteOnClose);
            editor->show();
        }
        UntilEveryPagePainted(*editor);
        opens.push_back(static_cast<double>(bench::NowNs() - start) / 1e6);
        widgets = bench::WidgetCount(*editor);
        CloseEditor(window, *editor);
    }
    std::printf("open-ms %.3f\ngrowth-bytes %lld\nwidgets %d\n", bench::Median(opens),
                static_cast<long long>(HeapInUse()) - static_cast<long long>(settledHeap), widgets);
    return 0;
}

int TakeCensus(int argc, char** argv, const char* what)
{
    QApplication app(argc, argv);
    SilentServices silent;
    platform::setServices(&silent);
    CHUBQUILLDlg window;
    const QWidget* shown = &window;
    if (std::string_view(what) != "main") {
        window.show();
        shown = OpenEditor(window, ModelIndex(what));
    }
    std::printf("%s", bench::Census(*shown).toUtf8().constData());
    std::fflush(stdout);
    std::_Exit(0);
}

int Usage()
{
    std::fputs("usage: hubquill_window_probe census main|MODEL | start main | start-bare CENSUS |"
               " open MODEL CYCLES | open-bare CENSUS CYCLES\n",
               stderr);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string_view mode = argv[1];
    if (mode == "census")
        return TakeCensus(argc, argv, argv[2]);
    if (mode == "start" || mode == "start-bare")
        return Start(argc, argv, mode == "start-bare" ? argv[2] : nullptr);
    if ((mode == "open" || mode == "open-bare") && argc >= 4) {
        QApplication app(argc, argv);
        return Open(argv[2], mode == "open-bare", std::atoi(argv[3]));
    }
    return Usage();
}
