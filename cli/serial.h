#pragma once

// Serial numbers as a production line counts them: a fixed text and trailing decimal
// digits that count up and keep their width ("SN0099", "SN0100"). Two serials belong to
// one series when their fixed text and their number of digits agree.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

struct Serial {
    std::string prefix; // everything before the trailing digits
    std::string digits; // at least one

    std::string text() const { return prefix + digits; }
    bool sameSeries(const Serial& other) const
    {
        return prefix == other.prefix && digits.size() == other.digits.size();
    }
    // Within one series, the later serial counts higher.
    bool before(const Serial& other) const { return digits < other.digits; }
};

// The serial a text names (UTF-8, as given on the command line). Throws cli::Error when it
// has no trailing digits, or holds a character that cannot be in a file name (a "/" or a
// control character), since each image is named after its serial.
Serial SerialOf(std::string_view text);

// The serial `steps` places further on, or nullopt when its digits would need more than
// their width.
std::optional<Serial> Advanced(const Serial& serial, std::uint64_t steps);

} // namespace cli
