#pragma once

// Reading inputs and writing outputs for the commands. "-" names standard input, and as an
// output name standard output. A named output is replaced atomically, so a
// failure leaves any file that was there as it was.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The whole content of a file, or of `in` for "-". Throws cli::Error naming the file and
// saying why. A FIFO without a writer reads as empty at once, never waited on; a device is
// refused.
std::vector<std::uint8_t> ReadInput(const std::string& name, std::istream& in);

// Writes `content` to the named file, or to `out` when the name is "-" or empty. Throws
// cli::Error when it fails.
void WriteOutput(const std::string& name, std::string_view content, std::ostream& out);

} // namespace cli
