#include "cli/manifest.h"

#include "cli/error.h"
#include "cli/file_checks.h"
#include "image/safe_write.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <ostream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace cli {

namespace {

constexpr std::string_view kHeader = "serial,file,sha256,utc\n";

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    if (fs::exists(a, error) && fs::exists(b, error))
        return fs::equivalent(a, b, error);
    return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

// An existing manifest: a regular file this program may write whose first line is the
// header (or an empty file, which gets it).
void CheckExisting(const std::string& name)
{
    const fs::path path = ResolvedPath(name);
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        throw Error(name + ": " + image::ReasonOfError(errno));
    if (!S_ISREG(status.st_mode))
        throw Error(name + (S_ISDIR(status.st_mode) ? ": is a folder" : ": not a regular file") +
                    "; a manifest is a file (- prints it)");
    if (!MayWrite(status, path))
        throw Error(name + ": read-only; the manifest cannot be added to");
    std::ifstream file(path, std::ios::binary);
    std::string first(kHeader.size(), '\0');
    file.read(first.data(), static_cast<std::streamsize>(first.size()));
    first.resize(static_cast<std::size_t>(file.gcount()));
    if (!first.empty() && first != kHeader)
        throw Error(name + ": not a manifest of batches (its first line is not \"" +
                    std::string(kHeader.substr(0, kHeader.size() - 1)) + "\")");
}

std::string Lines(const std::vector<SerialRecord>& issued, const std::string& outDir)
{
    std::string lines;
    for (const SerialRecord& record : issued) {
        const fs::path relative = fs::path(record.file).lexically_relative(outDir);
        const std::string file = !relative.empty() && *relative.begin() != ".."
                                     ? relative.string()
                                     : record.file;
        lines += CsvField(record.serial) + "," + CsvField(file) + "," + record.sha256 + "," +
                 record.time + "\n";
    }
    return lines;
}

std::string ReadAll(int descriptor, off_t size)
{
    std::string content(static_cast<std::size_t>(size), '\0');
    const ssize_t read = ::pread(descriptor, content.data(), content.size(), 0);
    content.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
    return content;
}

bool WriteAll(int descriptor, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(descriptor, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

std::string CsvField(std::string_view text)
{
    std::string field(text);
    if (!field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos)
        field.insert(0, "'");
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

Manifest::Manifest(std::string name,
                   const std::vector<std::pair<std::string, std::string>>& notThese,
                   std::ostream& out)
    : m_name(std::move(name)), m_out(out)
{
    if (m_name == "-")
        return;
    for (const auto& [what, other] : notThese)
        if (!other.empty() && other != "-" && SameFile(m_name, other))
            throw Error(m_name + ": is " + what + "; the manifest needs a file of its own");
    std::error_code error;
    if (fs::exists(fs::symlink_status(m_name, error))) {
        CheckExisting(m_name);
        return;
    }
    const fs::path folder = fs::path(m_name).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, error))
        throw Error(m_name + ": no such folder");
}

void Manifest::append(const std::vector<SerialRecord>& issued, const std::string& outDir,
                      const WaitingNote& note)
{
    const std::string lines = Lines(issued, outDir);
    if (m_name == "-") {
        m_out << kHeader << lines << std::flush;
        if (!m_out)
            throw Error("the manifest: writing to standard output failed");
        return;
    }
    auto failed = [&](int error) {
        return Error(m_name + ": cannot be written: " + image::ReasonOfError(error));
    };
    const Descriptor file{::open(m_name.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666)};
    struct stat status {};
    if (file.value < 0 || ::flock(file.value, LOCK_EX) != 0 || ::fstat(file.value, &status) != 0)
        throw failed(errno);
    if (!S_ISREG(status.st_mode))
        throw Error(m_name + ": not a regular file; a manifest is a file");
    // Another batch's lines may have come since the check; what is there decides.
    off_t kept = status.st_size;
    std::string text = lines;
    if (kept == 0) {
        text.insert(0, kHeader);
    } else {
        const std::string content = ReadAll(file.value, status.st_size);
        if (!content.starts_with(kHeader))
            throw Error(m_name + ": not a manifest of batches any more; nothing added");
        if (content.back() != '\n') {
            // A line an older version cut short when the disk was full: no record of anything.
            kept = static_cast<off_t>(content.rfind('\n') + 1);
            note(m_name + ": the cut line \"" + content.substr(static_cast<std::size_t>(kept)) +
                 "\" is dropped (the store holds every serial; `serials` lists them)");
            if (::ftruncate(file.value, kept) != 0)
                throw failed(errno);
        }
    }
    if (!WriteAll(file.value, text) || ::fsync(file.value) != 0) {
        const int error = errno;
        ::ftruncate(file.value, kept);
        throw failed(error);
    }
}

} // namespace cli
