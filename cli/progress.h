#pragma once

// The progress line of a long batch: images done of all, their rate and the time left,
// redrawn in place at most ten times a second. It is drawn only when the stream is the
// program's standard error and that is a terminal; in a pipe or a log it stays silent.

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace cli {

class Progress {
public:
    Progress(std::ostream& err, std::string_view program, std::uint64_t total);

    // `count` images are done, the last of them `serial`.
    void update(std::uint64_t count, const std::string& serial);
    // Draws the last state and ends the line.
    void finish();

private:
    void draw();

    std::ostream& m_err;
    std::string m_program;
    bool m_shown = false;
    std::uint64_t m_total = 0;
    std::uint64_t m_count = 0;
    std::string m_serial;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_drawn;
    std::size_t m_width = 0; // of the line drawn last, to blank what a shorter one leaves
};

} // namespace cli
