#include "cli/serial.h"

#include "cli/error.h"
#include "cli/profile.h"

#include <nlohmann/json.hpp>

namespace cli {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A character no serial should hold: file names cannot take a "/", and a control character
// (a line break, a tab) would garble the manifest and every listing of the folder.
std::optional<std::string> UnfitCharacter(std::string_view text)
{
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto code = static_cast<unsigned char>(text[at]);
        if (code == '/')
            return "\"/\" cannot be part of a file name";
        // U+0080 to U+009F, the second set of control characters, are 0xC2 0x80-0x9F in UTF-8.
        const bool secondSet = code == 0xC2 && at + 1 < text.size() &&
                               static_cast<unsigned char>(text[at + 1]) <= 0x9F;
        if (code < 0x20 || code == 0x7F || secondSet)
            return "it holds a control character";
    }
    return std::nullopt;
}

} // namespace

Serial SerialOf(std::string_view text)
{
    RequireUtf8(text, "serial");
    const std::string quoted = nlohmann::json(std::string(text)).dump();
    if (const std::optional<std::string> unfit = UnfitCharacter(text))
        throw Error("serial " + quoted + ": " + *unfit);
    std::size_t start = text.size();
    while (start > 0 && IsDigit(text[start - 1]))
        --start;
    if (start == text.size())
        throw Error("serial " + quoted + " does not end in digits to count up");
    return {std::string(text.substr(0, start)), std::string(text.substr(start))};
}

std::optional<Serial> Advanced(const Serial& serial, std::uint64_t steps)
{
    Serial next = serial;
    for (std::size_t at = next.digits.size(); at-- > 0 && steps > 0;) {
        const std::uint64_t sum = static_cast<std::uint64_t>(next.digits[at] - '0') + steps % 10;
        next.digits[at] = static_cast<char>('0' + sum % 10);
        steps = steps / 10 + sum / 10;
    }
    if (steps > 0)
        return std::nullopt;
    return next;
}

} // namespace cli
