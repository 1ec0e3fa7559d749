#include "cli/manifest.h"

#include "cli/error.h"
#include "cli/sha256.h"
#include "image/safe_write.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

constexpr const char* kHeader = "serial,file,sha256,utc\n";

// A CSV field: quoted when it holds a comma or a quote, quotes doubled.
std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"") == std::string::npos)
        return text;
    std::string field = "\"";
    for (char c : text)
        field += c == '"' ? std::string("\"\"") : std::string(1, c);
    return field + "\"";
}

std::string UtcNow()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

char LastByte(int descriptor, off_t size)
{
    char last = '\n';
    if (size > 0 && ::pread(descriptor, &last, 1, size - 1) != 1)
        last = '\n';
    return last;
}

// A new manifest starts with its header, created durably like any file we write.
void CreateWithHeader(const std::string& name)
{
    if (std::filesystem::exists(name))
        return;
    const image::WriteOutcome outcome = image::WriteFileSafely(
        name, reinterpret_cast<const std::uint8_t*>(kHeader), std::strlen(kHeader),
        image::IfExists::Refuse);
    if (!outcome && !std::filesystem::exists(name)) // a second batch may just have made it
        throw Error(name + ": cannot be written: " + outcome.reason);
}

} // namespace

Manifest::Manifest(std::string name) : m_name(std::move(name))
{
    CreateWithHeader(m_name);
    m_descriptor = ::open(m_name.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    if (m_descriptor < 0)
        throw Error(m_name + ": cannot be opened: " + image::ReasonOfError(errno));
    struct stat status {};
    try {
        if (::fstat(m_descriptor, &status) != 0 || S_ISDIR(status.st_mode))
            throw Error(m_name + ": is a folder, not a file");
        if (status.st_size == 0) // a new file, or a pipe (--manifest /dev/stdout)
            write(kHeader);
        else if (S_ISREG(status.st_mode) && LastByte(m_descriptor, status.st_size) != '\n')
            write("\n"); // a line cut short by a full disk stays a line of its own
    } catch (...) {
        ::close(m_descriptor);
        throw;
    }
}

Manifest::~Manifest() { ::close(m_descriptor); }

bool Manifest::lists(const std::string& serial) const
{
    const std::string start = CsvField(serial) + ",";
    std::ifstream file(m_name);
    for (std::string line; std::getline(file, line);)
        if (line.starts_with(start))
            return true;
    return false;
}

void Manifest::append(const std::string& serial, const std::string& fileName,
                      std::span<const std::uint8_t> content)
{
    write(CsvField(serial) + "," + CsvField(fileName) + "," + Sha256Hex(content) + "," + UtcNow() +
          "\n");
}

void Manifest::write(const std::string& text)
{
    auto failed = [&](const std::string& reason) {
        return Error(m_name + ": cannot be written: " + reason);
    };
    // One write per line, so lines of batches appending at once never interleave.
    const ssize_t written = ::write(m_descriptor, text.data(), text.size());
    if (written < 0)
        throw failed(image::ReasonOfError(errno));
    if (static_cast<std::size_t>(written) != text.size())
        throw failed("disk full");
    // A pipe or a terminal cannot be flushed; that is no failure.
    if (::fsync(m_descriptor) != 0 && errno != EINVAL && errno != ENOTSUP)
        throw failed(image::ReasonOfError(errno));
}

} // namespace cli
