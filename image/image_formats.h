#pragma once

// Image files as the command line and the browser meet them: raw binary (the editors' own
// format), Intel HEX and Motorola S-record. A file is recognised by its content, never by its name, and
// every record of a text format is checked: a file that looks like text of one format but
// is not valid in it is refused, never taken as raw bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace image {

enum class Format { Binary, IntelHex, SRecord };

std::optional<Format> FormatNamed(std::string_view name); // "bin", "ihex", "srec"
std::string_view NameOf(Format format);

// What a file's content says it is, once UTF-16 is read as text and a byte-order mark,
// NUL padding, blank lines and spaces are set aside: the first line starting with ':' and
// a hex digit claims Intel HEX, one starting with 'S' or 's' and a digit S-record, one
// starting with '{' a profile, whatever lines of text come before it. A file that is text
// (lines of text bytes, so at least one line end) but has no such line claims to be text,
// which no image is. The rest claims nothing and is raw binary: a file that reaches bytes
// no text holds before such a line, and a file of exactly one image's size unless it is
// text throughout.
enum class Claim { Nothing, IntelHex, SRecord, Profile, Text };
Claim ClaimOf(std::span<const std::uint8_t> content);

// What a reader made of a file: the image bytes from address 0 up, or, when it refuses
// the file, one line for the user saying where it went wrong (and then no bytes).
struct ImageRead {
    std::vector<std::uint8_t> bytes;
    std::string error;

    bool ok() const { return error.empty(); }
};

// The image bytes a file holds: read in `format` when one is given, otherwise raw binary
// when it claims nothing, or read in the text format it claims. A refusal says what the
// file looked like and where it went wrong.
ImageRead ImageBytesOf(std::span<const std::uint8_t> content,
                       std::optional<Format> format = std::nullopt);

// The two text readers on their own. They take what editors and transfer programs add to a
// file (a byte-order mark, UTF-16, blank lines, spaces, CR LF, NUL bytes before, Ctrl-Z or
// NUL bytes after) and lower-case letters. Records may come in any address order but must
// not overlap, leave a gap or pass the end of the image. A refusal names the line (and
// the column, for a character that is no hex digit).
ImageRead ReadIntelHex(std::span<const std::uint8_t> content);
ImageRead ReadSRecord(std::span<const std::uint8_t> content);

// The file content of an image in a format.
std::string Encoded(std::span<const std::uint8_t> image, Format format);

} // namespace image
