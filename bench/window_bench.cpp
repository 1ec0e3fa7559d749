// Start-up and editor openings, each against its bare twin, through hubquill_window_probe.
#include "bench/benchmarks.h"
#include "bench/measure.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bench {

namespace {

constexpr int kStarts = 21;
constexpr int kOpenPairs = 30;
constexpr int kOpenCycles = 200;
// One model of each editor window; the QH20x sheets differ in their fields, so each counts.
constexpr std::array<const char*, 8> kEditors{"qh107",    "qh304",    "qh203-36", "qh203-48",
                                              "qh204-36", "qh204-48", "qh202",    "qh207"};
// A start's phases, in the order the probe reaches them.
constexpr std::array<const char*, 5> kPhases{"entered", "application", "fonts", "built", "painted"};
constexpr std::array<const char*, 5> kPhaseNames{"exec and libraries", "application",
                                                 "font database", "window built", "first paint"};

// Xvfb on a display number of its own, for as long as this lives.
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        if (access("/usr/bin/Xvfb", X_OK) != 0)
            return;
        for (int number = 99; number > 90 && !m_pid; --number)
            if (access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) != 0)
                start(number);
    }
    ~VirtualDisplay()
    {
        if (!m_pid)
            return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool running() const { return m_pid != 0; }
    std::vector<std::string> environment() const
    {
        return {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + m_display};
    }

private:
    void start(int number)
    {
        m_display = std::string(":").append(std::to_string(number));
        std::vector<std::string> args{"/usr/bin/Xvfb", m_display, "-screen", "0", "1280x1024x24",
                                      "-nolisten", "tcp"};
        std::vector<char*> argp;
        for (std::string& arg : args)
            argp.push_back(arg.data());
        argp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const bool started = posix_spawn(&m_pid, argp[0], &actions, nullptr, argp.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        if (!started) {
            m_pid = 0;
            return;
        }
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        struct stat info{};
        for (int wait = 0; wait < 100 && stat(socket.c_str(), &info) != 0; ++wait)
            usleep(50'000);
        if (stat(socket.c_str(), &info) != 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
            m_pid = 0;
        }
    }

    pid_t m_pid = 0;
    std::string m_display;
};

// "name value" lines, as the probe prints them.
std::map<std::string, double> Figures(const std::string& output)
{
    std::map<std::string, double> figures;
    std::istringstream lines(output);
    std::string name;
    double value = 0;
    while (lines >> name >> value)
        figures[name] = value;
    return figures;
}

ProcessRun Probe(const std::string& probe, std::vector<std::string> args,
                 const std::vector<std::string>& environment)
{
    args.insert(args.begin(), probe);
    ProcessRun run = Run(args, environment);
    if (run.exitCode != 0)
        throw std::runtime_error("hubquill_window_probe " + args[1] + " " + args[2] + " failed");
    return run;
}

// The census of a window, kept in a file for the twin's processes to read.
std::string CensusFile(const std::string& probe, const std::string& window,
                       const std::vector<std::string>& environment, const TempFolder& folder)
{
    const std::string path = folder.file(window + ".census");
    std::ofstream(path) << Probe(probe, {"census", window}, environment).output;
    return path;
}

struct Starts {
    std::vector<double> paintMs;
    std::vector<double> peakMiB;
    std::array<std::vector<double>, kPhases.size()> phaseMs;
    double widgets = 0;

    void add(const ProcessRun& run)
    {
        const std::map<std::string, double> at = Figures(run.output);
        double previous = static_cast<double>(run.startNs);
        for (std::size_t phase = 0; phase < kPhases.size(); ++phase) {
            const double reached = at.at(kPhases[phase]);
            phaseMs[phase].push_back((reached - previous) / 1e6);
            previous = reached;
        }
        paintMs.push_back((at.at("painted") - static_cast<double>(run.startNs)) / 1e6);
        peakMiB.push_back(static_cast<double>(run.peakKiB) / 1024.0);
        widgets = at.at("widgets");
    }
    std::string phases() const
    {
        std::string text;
        for (std::size_t phase = 0; phase < kPhases.size(); ++phase) {
            char part[64];
            std::snprintf(part, sizeof part, "%s%s %.1f", phase ? ", " : "", kPhaseNames[phase],
                          Median(phaseMs[phase]));
            text += part;
        }
        return text;
    }
};

void AddStartRows(Table& table, const std::string& probe, const std::string& platform,
                  const std::vector<std::string>& environment)
{
    const TempFolder folder;
    const std::string census = CensusFile(probe, "main", environment, folder);
    Starts real;
    Starts bare;
    for (int run = 0; run < kStarts; ++run) {
        real.add(Probe(probe, {"start", "main"}, environment));
        bare.add(Probe(probe, {"start-bare", census}, environment));
    }
    char widgets[96];
    std::snprintf(widgets, sizeof widgets, " (%.0f widgets; twin %.0f)", real.widgets, bare.widgets);
    table.add({.figure = "start to first paint, main window, " + platform + widgets,
               .measured = {Median(real.paintMs), "ms"},
               .floor = "bare dialog, same widgets",
               .floorMeasured = {Median(bare.paintMs), "ms"},
               .target = "<= 1.1",
               .note = "median ms of each phase: " + real.phases() + "; twin: " + bare.phases()});
    table.add({.figure = "peak memory of that start, " + platform,
               .measured = {Median(real.peakMiB), "MiB"},
               .floor = "bare dialog, same widgets",
               .floorMeasured = {Median(bare.peakMiB), "MiB"},
               .target = "<= 1.2"});
}

void AddEditorRows(Table& table, const std::string& probe, const std::vector<std::string>& environment)
{
    const TempFolder folder;
    const std::string pairs = std::to_string(kOpenPairs);
    const std::string cycles = std::to_string(kOpenCycles);
    // Freed blocks that malloc keeps in its per-thread cache count as in use, which would
    // add up to hundreds of KiB of noise to a heap figure: that cache is switched off.
    std::vector<std::string> exactHeap = environment;
    exactHeap.push_back("GLIBC_TUNABLES=glibc.malloc.tcache_count=0");
    for (const char* editor : kEditors) {
        const std::string census = CensusFile(probe, editor, environment, folder);
        const auto opens = Figures(Probe(probe, {"open", editor, census, pairs}, environment).output);
        const auto real = Figures(Probe(probe, {"cycle", editor, cycles}, exactHeap).output);
        const auto bare = Figures(Probe(probe, {"cycle-bare", census, cycles}, exactHeap).output);
        char figure[128];
        std::snprintf(figure, sizeof figure, "open %s editor, both pages painted (%.0f widgets; twin %.0f)",
                      editor, opens.at("widgets"), opens.at("twin-widgets"));
        table.add({.figure = figure,
                   .measured = {opens.at("open-ms"), "ms"},
                   .floor = "bare twin, same widgets",
                   .floorMeasured = {opens.at("twin-ms"), "ms"},
                   .target = "<= 1.3"});
        table.add({.figure = std::string("heap growth over 200 opens and closes, ") + editor,
                   .measured = {real.at("growth-bytes") / 1024.0, "KiB"},
                   .floor = "its twin's 200",
                   .floorMeasured = {bare.at("growth-bytes") / 1024.0, "KiB"},
                   .target = "<= twin's"});
    }
}

} // namespace

void AddWindowRows(Table& table, const std::string& probe)
{
    if (probe.empty()) {
        table.skip("start to first paint, main window", "built without the GUI");
        return;
    }
    AddStartRows(table, probe, "offscreen", {"QT_QPA_PLATFORM=offscreen"});
    const VirtualDisplay display;
    if (display.running())
        AddStartRows(table, probe, "Xvfb", display.environment());
    else
        table.skip("start to first paint, main window, Xvfb", "no Xvfb (scripts/setup --bench installs it)");
    AddEditorRows(table, probe, {"QT_QPA_PLATFORM=offscreen"});
}

} // namespace bench
