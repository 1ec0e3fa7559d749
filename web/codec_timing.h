#pragma once

// Encode plus decode of one image per model, timed where it runs: in the browser through
// the WebAssembly module, and natively by the same code, so the benchmark compares the two.

#include <string>

namespace web {

// One line per model, "<id> <nanoseconds per encode+decode>", each the best of a few runs
// of `rounds` images made from the model's defaults.
std::string CodecTimings(int rounds);

} // namespace web
