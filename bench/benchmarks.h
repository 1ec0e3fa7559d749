#pragma once

// The benchmarks hubquill_bench runs, each adding its rows to the one table.

#include "bench/table.h"

#include <string>

namespace bench {

// Encode plus decode of every model against a hand-written codec.
void AddCodecRows(Table& table);
// hubquill-cli as a process against cp; saves and a production batch against plain and
// durable writes of 256-byte files.
void AddProcessRows(Table& table, const std::string& cli);
// Start to first paint as fresh processes (offscreen, and under Xvfb where it is
// installed) and the opening of every editor, each against its bare twin, run through
// hubquill_window_probe.
void AddWindowRows(Table& table, const std::string& probe);

} // namespace bench
