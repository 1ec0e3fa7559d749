#include "cli/progress.h"

#include <iostream>
#include <unistd.h>

namespace cli {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

std::string Duration(double seconds)
{
    const auto whole = static_cast<long long>(seconds + 0.5);
    if (whole < 60)
        return std::to_string(whole) + " s";
    return std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s";
}

} // namespace

Progress::Progress(std::ostream& err, std::string_view program, std::uint64_t total)
    : m_err(err), m_program(program), m_shown(&err == &std::cerr && ::isatty(STDERR_FILENO) == 1),
      m_total(total), m_start(Clock::now()), m_drawn(m_start)
{
}

void Progress::update(std::uint64_t count, const std::string& serial)
{
    m_count = count;
    m_serial = serial;
    if (m_shown && Clock::now() - m_drawn >= kRedrawEvery)
        draw();
}

void Progress::finish()
{
    if (!m_shown || m_count == 0)
        return;
    draw();
    m_err << '\n' << std::flush;
}

void Progress::draw()
{
    m_drawn = Clock::now();
    const double seconds = std::chrono::duration<double>(m_drawn - m_start).count();
    const double rate = seconds > 0 ? static_cast<double>(m_count) / seconds : 0;
    std::string line = m_program + ": " + std::to_string(m_count) + "/" +
                       std::to_string(m_total) + " images (" + m_serial + "), " +
                       std::to_string(static_cast<long long>(rate)) + " per second";
    if (rate > 0)
        line += ", " + Duration(static_cast<double>(m_total - m_count) / rate) + " left";
    const std::size_t width = line.size();
    line.resize(std::max(width, m_width), ' ');
    m_width = width;
    m_err << '\r' << line << std::flush;
}

} // namespace cli
