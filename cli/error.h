#pragma once

#include <stdexcept>
#include <string>

namespace cli {

// Invalid input or a failed file operation: one line for the user, exit code 1. The
// command layer catches it at the top; nothing has been written when it is thrown.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

} // namespace cli
