#include "cli/files.h"

#include "cli/error.h"
#include "image/safe_write.h"

#include <cerrno>
#include <istream>
#include <ostream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

// Far more than any profile or image file; a larger input is not one of ours.
constexpr std::size_t kLargestInput = 1u << 20;

[[noreturn]] void tooLarge(const std::string& shownName)
{
    throw Error(shownName + ": larger than 1 MiB, not a profile or image file");
}

std::vector<std::uint8_t> readAll(std::istream& stream, const std::string& shownName)
{
    std::vector<std::uint8_t> content;
    char buffer[4096];
    while (stream.read(buffer, sizeof buffer) || stream.gcount() > 0) {
        content.insert(content.end(), buffer, buffer + stream.gcount());
        if (content.size() > kLargestInput)
            tooLarge(shownName);
    }
    if (stream.bad())
        throw Error(shownName + ": read failed");
    return content;
}

// What the system said, in the words the messages use.
std::string reasonOf(int error)
{
    return error == ENOENT ? std::string("no such file") : image::ReasonOfError(error);
}

// Closes the descriptor however the reading ends.
struct OpenFile {
    int descriptor;
    ~OpenFile() { ::close(descriptor); }
};

// A named file's content. It is opened without waiting for a writer, so a FIFO that nothing
// writes to reads as empty at once (one that something writes to, as a shell's process
// substitution, is read to its end); a device is refused.
std::vector<std::uint8_t> readFile(const std::string& name)
{
    const OpenFile file{::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    struct stat status {};
    if (file.descriptor < 0 || ::fstat(file.descriptor, &status) != 0) {
        const int error = errno;
        if (error == ENOENT && ::lstat(name.c_str(), &status) == 0 && S_ISLNK(status.st_mode))
            throw Error(name + ": a link to a file that does not exist");
        throw Error(name + ": " + reasonOf(error));
    }
    if (S_ISDIR(status.st_mode))
        throw Error(name + ": is a folder, not a file");
    if (!S_ISREG(status.st_mode) && !S_ISFIFO(status.st_mode))
        throw Error(name + ": is a device, not a file");
    if (static_cast<std::uintmax_t>(status.st_size) > kLargestInput)
        tooLarge(name);
    ::fcntl(file.descriptor, F_SETFL, ::fcntl(file.descriptor, F_GETFL) & ~O_NONBLOCK);
    std::vector<std::uint8_t> content;
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t count = ::read(file.descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throw Error(name + ": read failed: " + reasonOf(errno));
        if (count == 0)
            return content;
        content.insert(content.end(), buffer, buffer + count);
        if (content.size() > kLargestInput)
            tooLarge(name);
    }
}

} // namespace

std::vector<std::uint8_t> ReadInput(const std::string& name, std::istream& in)
{
    return name == "-" ? readAll(in, "standard input") : readFile(name);
}

void WriteOutput(const std::string& name, std::string_view content, std::ostream& out)
{
    // A name of standard output is written as "-" is: opened anew, it would be truncated.
    if (name.empty() || name == "-" || image::IsStandardOutput(name)) {
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.flush();
        if (!out)
            throw Error("writing to standard output failed");
        return;
    }
    const image::WriteOutcome outcome = image::WriteFileSafely(
        name, reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
    if (!outcome)
        throw Error(name + ": cannot be written: " + outcome.reason +
                    " (an existing file is left as it was)");
}

} // namespace cli
