#pragma once

// SHA-256, for the manifest of a batch: a line names each image by its hash, so a file can
// be checked against the record with any standard tool (`sha256sum`).

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace cli {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest Sha256(std::span<const std::uint8_t> bytes);

// The digest as 64 lowercase hex digits, as `sha256sum` prints it.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);

} // namespace cli
