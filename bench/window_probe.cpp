// The windowed half of the benchmarks, started by hubquill_bench as a child process under the
// platform it chooses (offscreen, or xcb on Xvfb):
//   hubquill_window_probe census main|MODEL      the widgets of the main window or an editor
//   hubquill_window_probe start main             HUBQUILL's start, up to the first paint
//   hubquill_window_probe start-bare CENSUS      the same for the bare twin of a census
//   hubquill_window_probe open MODEL CENSUS PAIRS  opens a model's editor and its twin in turn
//   hubquill_window_probe cycle MODEL CYCLES       opens and closes a model's editor
//   hubquill_window_probe cycle-bare CENSUS CYCLES the same with its twin
// A start prints the moments (monotonic nanoseconds) it reached each phase and exits at once
// after the first paint, so the parent's peak-memory figure is the start's. An open prints
// the median times to both pages painted; a cycle how much the heap grew.

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

// A model's editor opened from the main window, or the bare twin of a census.
class Opener {
public:
    Opener(CHUBQUILLDlg& window, const char* what, bool bare)
        : m_window(window), m_model(bare ? 0 : ModelIndex(what)),
          m_census(bare ? ReadCensus(what) : QString())
    {
    }

    // Opens it, waits for both pages painted, and answers the milliseconds that took.
    double open()
    {
        const std::int64_t start = bench::NowNs();
        m_editor = m_census.isEmpty() ? OpenEditor(m_window, m_model) : showTwin();
        UntilEveryPagePainted(*m_editor);
        return static_cast<double>(bench::NowNs() - start) / 1e6;
    }
    int widgets() const { return bench::WidgetCount(*m_editor); }
    void close() { CloseEditor(m_window, *m_editor); }

private:
    QDialog* showTwin()
    {
        QDialog* twin = bench::BuildBareTwin(m_census, &m_window);
        twin->setAttribute(Qt::WA_DeleteOnClose);
        twin->show();
        return twin;
    }

    CHUBQUILLDlg& m_window;
    int m_model;
    QString m_census;
    QDialog* m_editor = nullptr;
};

struct MainWindowShown {
    SilentServices silent;
    CHUBQUILLDlg window;
    MainWindowShown()
    {
        platform::setServices(&silent);
        window.show();
        UntilPainted(window);
    }
};

// Opens an editor and its twin in turn, `pairs` times after a few to warm up, so both
// meet the machine in the same state.
int OpenInTurn(const char* model, const char* census, int pairs)
{
    MainWindowShown shown;
    Opener real(shown.window, model, false);
    Opener twin(shown.window, census, true);
    std::vector<double> realMs;
    std::vector<double> twinMs;
    constexpr int kWarmUp = 3;
    for (int pair = 0; pair < kWarmUp + pairs; ++pair) {
        const double realOpen = real.open();
        const double twinOpen = twin.open();
        if (pair >= kWarmUp) {
            realMs.push_back(realOpen);
            twinMs.push_back(twinOpen);
        }
        if (pair + 1 == kWarmUp + pairs)
            std::printf("widgets %d\ntwin-widgets %d\n", real.widgets(), twin.widgets());
        real.close();
        twin.close();
    }
    std::printf("open-ms %.3f\ntwin-ms %.3f\n", bench::Median(realMs), bench::Median(twinMs));
    return 0;
}

// Opens and closes an editor (or its twin) `cycles` times; the heap is compared after the
// first ten, once caches have filled, and after the last.
int Cycle(const char* what, bool bare, int cycles)
{
    MainWindowShown shown;
    Opener opener(shown.window, what, bare);
    std::size_t settledHeap = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        if (cycle == 10)
            settledHeap = HeapInUse();
        opener.open();
        opener.close();
    }
    std::printf("growth-bytes %lld\n",
                static_cast<long long>(HeapInUse()) - static_cast<long long>(settledHeap));
    return 0;
}

int TakeCensus(int argc, char** argv, const char* what)
{
    QApplication app(argc, argv);
    SilentServices silent;
    platform::setServices(&silent);
    CHUBQUILLDlg window;
    window.show();
    QWidget* shown = &window;
    if (std::string_view(what) != "main")
        shown = OpenEditor(window, ModelIndex(what));
    UntilEveryPagePainted(*shown); // every page laid out
    std::printf("%s", bench::Census(*shown).toUtf8().constData());
    std::fflush(stdout);
    std::_Exit(0);
}

int Usage()
{
    std::fputs("usage: hubquill_window_probe census main|MODEL | start main | start-bare CENSUS |"
               " open MODEL CENSUS PAIRS | cycle MODEL CYCLES | cycle-bare CENSUS CYCLES\n",
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
    if (mode == "open" && argc >= 5) {
        QApplication app(argc, argv);
        return OpenInTurn(argv[2], argv[3], std::atoi(argv[4]));
    }
    if ((mode == "cycle" || mode == "cycle-bare") && argc >= 4) {
        QApplication app(argc, argv);
        return Cycle(argv[2], mode == "cycle-bare", std::atoi(argv[3]));
    }
    return Usage();
}
