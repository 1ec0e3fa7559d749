#include "bench/table.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <sys/utsname.h>
#include <unistd.h>

namespace bench {

namespace {

// Three significant digits, no exponent.
std::string Number(double value)
{
    char text[32];
    const double size = value < 0 ? -value : value;
    std::snprintf(text, sizeof text, size >= 100 ? "%.0f" : size >= 10 ? "%.1f" : "%.2f", value);
    return text;
}

std::string Shown(const Amount& amount) { return Number(amount.value) + " " + amount.unit; }

std::string Padded(const std::string& text, std::size_t width)
{
    // Counts characters, not bytes, so "µs" and "≤" line up.
    std::size_t shown = 0;
    for (unsigned char c : text)
        shown += (c & 0xC0) != 0x80;
    return text + std::string(width > shown ? width - shown : 0, ' ');
}

std::string CpuName()
{
    std::ifstream info("/proc/cpuinfo");
    for (std::string line; std::getline(info, line);)
        if (line.rfind("model name", 0) == 0)
            return line.substr(line.find(':') + 2);
    return "unknown processor";
}

} // namespace

double Ratio(const Row& row)
{
    if (row.higherIsBetter)
        return row.measured.value > 0 ? row.floorMeasured.value / row.measured.value : 0;
    return row.floorMeasured.value > 0 ? row.measured.value / row.floorMeasured.value : 0;
}

void Table::skip(const std::string& figure, const std::string& why)
{
    m_rows.push_back({.figure = figure, .notMeasured = why});
}

void Table::print(const std::string& machine) const
{
    using Cells = std::array<std::string, 6>;
    std::vector<Cells> lines{{"figure", "HUBQUILL", "floor (same run)", "floor", "ratio", "target"}};
    for (const Row& row : m_rows) {
        if (!row.notMeasured.empty()) {
            lines.push_back({row.figure, "-", "not measured: " + row.notMeasured, "-", "-", row.target});
            continue;
        }
        const bool noFloor = row.floorMeasured.value <= 0 || row.measured.value <= 0;
        lines.push_back({row.figure, Shown(row.measured), row.floor, Shown(row.floorMeasured),
                         noFloor ? "-" : Number(Ratio(row)), row.target});
    }
    std::array<std::size_t, 6> widths{};
    for (const Cells& cells : lines)
        for (std::size_t c = 0; c < cells.size(); ++c)
            widths[c] = std::max(widths[c], Padded(cells[c], 0).size());
    std::printf("\n%s\n\n", machine.c_str());
    auto printLine = [&](const Cells& cells) {
        std::string text = "|";
        for (std::size_t c = 0; c < cells.size(); ++c)
            text += " " + Padded(cells[c], widths[c]) + " |";
        std::puts(text.c_str());
    };
    printLine(lines.front());
    Cells rule;
    for (std::size_t c = 0; c < rule.size(); ++c)
        rule[c] = std::string(widths[c], '-');
    printLine(rule);
    for (std::size_t i = 1; i < lines.size(); ++i)
        printLine(lines[i]);
    for (const Row& row : m_rows)
        if (!row.note.empty())
            std::printf("\n%s: %s", row.figure.c_str(), row.note.c_str());
    std::puts("");
}

std::string MachineLine()
{
    utsname system{};
    uname(&system);
    std::array<double, 3> load{};
    getloadavg(load.data(), 3);
    const double memoryGiB = static_cast<double>(sysconf(_SC_PHYS_PAGES)) *
                             static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024 * 1024);
    char text[512];
    std::snprintf(text, sizeof text,
                  "Machine: %s, %ld cores, %.0f GiB, %s %s; load average %.2f (1 min) at the end",
                  CpuName().c_str(), sysconf(_SC_NPROCESSORS_ONLN), memoryGiB, system.sysname,
                  system.release, load[0]);
    return text;
}

} // namespace bench
