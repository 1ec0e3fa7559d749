#include "cli/files.h"

#include "cli/error.h"
#include "image/file_manager.h"
#include "image/safe_write.h"

#include <filesystem>
#include <fstream>
#include <istream>
#include <iterator>
#include <ostream>

namespace cli {

namespace {

// Far more than any profile or image file; a larger input is not one of ours.
constexpr std::size_t kLargestInput = 1u << 20;

std::vector<std::uint8_t> readAll(std::istream& stream, const std::string& shownName)
{
    std::vector<std::uint8_t> content;
    char buffer[4096];
    while (stream.read(buffer, sizeof buffer) || stream.gcount() > 0) {
        content.insert(content.end(), buffer, buffer + stream.gcount());
        if (content.size() > kLargestInput)
            throw Error(shownName + ": larger than 1 MiB, not a profile or image file");
    }
    if (stream.bad())
        throw Error(shownName + ": read failed");
    return content;
}

} // namespace

std::vector<std::uint8_t> ReadInput(const std::string& name, std::istream& in)
{
    if (name == "-")
        return readAll(in, "standard input");
    std::error_code error;
    const auto status = std::filesystem::status(name, error);
    if (error || !std::filesystem::exists(status))
        throw Error(name + ": no such file");
    if (std::filesystem::is_directory(status))
        throw Error(name + ": is a folder, not a file");
    std::ifstream file(name, std::ios::binary);
    if (!file)
        throw Error(name + ": cannot be opened for reading");
    return readAll(file, name);
}

void WriteOutput(const std::string& name, std::string_view content, std::ostream& out)
{
    if (name.empty()) {
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.flush();
        if (!out)
            throw Error("writing to standard output failed");
        return;
    }
    if (name.size() > CFileManager::kMaxNameLength)
        throw Error(name + ": file names are limited to " +
                    std::to_string(CFileManager::kMaxNameLength) + " characters");
    const image::WriteOutcome outcome = image::WriteFileSafely(
        name, reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
    if (!outcome)
        throw Error(name + ": cannot be written: " + outcome.reason +
                    " (an existing file is left as it was)");
}

} // namespace cli
