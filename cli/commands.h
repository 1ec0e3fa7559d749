#pragma once

// The commands of hubquill-cli. Exit codes: 0 success (warnings allowed), 1 invalid input
// or a failed file operation (one line on `err`, nothing written), 2 usage error. `diff`
// answers as cmp does: 0 the same, 1 different, 2 trouble of any kind.

#include "cli/profile.h"
#include "editors/registry.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Runs one command line (without the program name) over `models`.
int Run(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
        std::ostream& err, Models models = editors::AllModels());

} // namespace cli
