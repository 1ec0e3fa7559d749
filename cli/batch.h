#pragma once

// Serial-numbered images for a production line: one profile, N images whose serial string
// counts up, each written durably under a file named after its serial. Nothing that can be
// refused is found out half-way: the serials, every image's checks and the names are all
// settled before the first file is written. With a serial store no serial is ever issued
// twice, by one station or several; with a manifest every image issued is on record.

#include "cli/profile.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}

namespace cli {

struct BatchOptions {
    std::string profile;
    std::vector<std::string> settings; // --set KEY=TEXT
    std::string firstSerial; // empty: the next free serial of the state file
    std::uint64_t count = 0;
    std::string outDir;
    std::string format = "bin";
    std::string manifest; // empty: none
    std::string state;    // the serial store; empty: none
    std::string station;  // empty: this machine's name
    bool force = false;   // replace files of the same names
    bool strict = false;  // a warning refuses the batch
};

// Adds the command "batch" and its options, which fill `options`.
CLI::App* AddBatchCommand(CLI::App& app, BatchOptions& options);

// Writes a batch. Warnings, notes and the progress line go to `err` after `program`; a
// manifest named "-" goes to `out`. Throws cli::Error: before anything is written for every
// refusal; when a write fails, after the images before it, saying how far the batch came
// and what became of the serial whose image failed.
void Batch(const BatchOptions& options, Models models, std::istream& in, std::ostream& out,
           std::ostream& err, std::string_view program);

} // namespace cli
