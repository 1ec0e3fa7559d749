#pragma once

// What each fuzz target does with one input, shared by the libFuzzer programs (fuzz/) and
// the tests that replay the inputs kept under tests/data/fuzz/. An input may be any bytes:
// a refusal with a message is a fine answer; a crash, a sanitizer report or any other
// exception is a fault.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace fuzzing {

// The targets by name, which is also the folder of their kept inputs: "decode-qh404",
// "decode-qh1xx", "decode-qh20x", "decode-qh304", "intel-hex", "s-record", "profile".
std::vector<std::string_view> TargetNames();

// Runs the named target on one input.
void Run(std::string_view target, std::span<const std::uint8_t> input);

} // namespace fuzzing
