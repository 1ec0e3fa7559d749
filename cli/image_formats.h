#pragma once

// Image files as the command line meets them: raw binary (the editors' own format), Intel
// HEX and Motorola S-record. A file is recognised by its content, never by its name, and
// every record of a text format is checked; a fault is refused with its line number.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

enum class Format { Binary, IntelHex, SRecord };

std::optional<Format> FormatNamed(std::string_view name); // "bin", "ihex", "srec"
std::string_view NameOf(Format format);

// The format a file's content is in: a text file of records starting with ':' is Intel
// HEX, one starting with 'S' and a digit is an S-record file, anything else raw binary.
Format RecogniseFormat(std::span<const std::uint8_t> content);

// The image bytes a file holds, from address 0 up, without gaps. Throws cli::Error
// naming the line of a malformed record.
std::vector<std::uint8_t> ImageBytesOf(std::span<const std::uint8_t> content);

// The file content of an image in a format.
std::string Encoded(std::span<const std::uint8_t> image, Format format);

} // namespace cli
