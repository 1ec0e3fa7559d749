#pragma once

// Image files for the command line: the core's readers and writers, whose refusals become
// cli::Error with the same words, so the commands stop with one line for the user.

#include "image/image_formats.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace cli {

using Format = image::Format;
using Claim = image::Claim;
using image::ClaimOf;
using image::Encoded;
using image::FormatNamed;
using image::NameOf;

// As the core reads them; a refusal throws cli::Error saying what the file looked like
// and where it went wrong.
std::vector<std::uint8_t> ImageBytesOf(std::span<const std::uint8_t> content,
                                       std::optional<Format> format = std::nullopt);
std::vector<std::uint8_t> ReadIntelHex(std::span<const std::uint8_t> content);
std::vector<std::uint8_t> ReadSRecord(std::span<const std::uint8_t> content);

} // namespace cli
