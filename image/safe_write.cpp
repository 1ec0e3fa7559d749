#include "image/safe_write.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <dirent.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace image {

namespace {

constexpr int kMostLinksFollowed = 40; // as the kernel allows

WriteOutcome Failed(int error) { return {false, ReasonOfError(error)}; }
WriteOutcome Failed(std::string reason) { return {false, std::move(reason)}; }
WriteOutcome Succeeded() { return {true, {}}; }

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

struct Resolved {
    std::string path;        // where a plain file would be replaced or created
    bool nameExists = false; // the name itself, or a link of that name, is there
    int error = 0;
};

// Follows links by hand so that the file at the end of them can be replaced while the
// links stay links. Some of the system's links name no path at all ("pipe:[42]", "/x
// (deleted)"); the caller checks that the path found is the file the name leads to.
Resolved Resolve(const std::string& name)
{
    Resolved resolved{name, false, 0};
    for (int hop = 0; hop < kMostLinksFollowed; ++hop) {
        struct stat status {};
        if (::lstat(resolved.path.c_str(), &status) != 0) {
            if (errno != ENOENT)
                resolved.error = errno;
            return resolved;
        }
        if (hop == 0)
            resolved.nameExists = true;
        if (!S_ISLNK(status.st_mode))
            return resolved;
        std::string target(static_cast<std::size_t>(status.st_size) + 256, '\0');
        const ssize_t length = ::readlink(resolved.path.c_str(), target.data(), target.size());
        if (length < 0) {
            resolved.error = errno;
            return resolved;
        }
        target.resize(static_cast<std::size_t>(length));
        resolved.path = target.front() == '/' ? target : FolderOf(resolved.path) + "/" + target;
    }
    resolved.error = ELOOP;
    return resolved;
}

bool WriteAll(int descriptor, const std::uint8_t* bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t written = ::write(descriptor, bytes, count);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

// Terminals, pipes and some file systems cannot be flushed; that is not a failed write.
bool Flush(int descriptor)
{
    return ::fsync(descriptor) == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP;
}

// Never truncates: a device keeps what lies past the bytes written.
WriteOutcome WriteInPlace(const std::string& name, const std::uint8_t* bytes, std::size_t count)
{
    // Without O_NONBLOCK, opening a FIFO that nobody reads would wait for ever.
    const int descriptor = ::open(name.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return Failed(errno);
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    const bool written = WriteAll(descriptor, bytes, count) && Flush(descriptor);
    const int error = errno;
    const bool closed = ::close(descriptor) == 0;
    if (!written)
        return Failed(error);
    return closed ? Succeeded() : Failed(errno);
}

bool IsTemporaryName(const std::string& name)
{
    return name.size() == 15 && name.starts_with(".hq") && name.ends_with(".tmp");
}

// A short name, so that a name near the length limit never fails because of its temporary.
// The temporary is locked while it is written, which tells a stale one from one in use.
int OpenTemporary(const std::string& folder, std::string& temporary)
{
    static std::mt19937 generator{std::random_device{}()};
    for (int attempt = 0; attempt < 16; ++attempt) {
        char name[16];
        std::snprintf(name, sizeof name, ".hq%08x.tmp", static_cast<unsigned>(generator()));
        temporary = folder + "/" + name;
        const int descriptor =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0)
            ::flock(descriptor, LOCK_EX);
        if (descriptor >= 0 || errno != EEXIST)
            return descriptor;
    }
    errno = EEXIST;
    return -1;
}

bool TakeName(const std::string& temporary, const std::string& target, IfExists ifExists)
{
    if (ifExists == IfExists::Replace)
        return ::rename(temporary.c_str(), target.c_str()) == 0;
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // File systems without an exclusive rename still refuse to link over an existing name.
    if (::link(temporary.c_str(), target.c_str()) != 0)
        return false;
    ::unlink(temporary.c_str());
    return true;
}

void FlushFolder(const std::string& folder)
{
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

// Gives the temporary the owner and group of the file it replaces, as far as the process
// may: root gives both, an owner may give a group it belongs to, anyone else keeps its own.
void KeepOwner(int descriptor, const struct stat& replaced)
{
    if (::fchown(descriptor, replaced.st_uid, replaced.st_gid) != 0)
        (void)::fchown(descriptor, static_cast<uid_t>(-1), replaced.st_gid);
}

// Fills the temporary and gets it to the disk; answers 0 or the errno of what failed.
int FillTemporary(int descriptor, const struct stat* replaced, const std::uint8_t* bytes,
                  std::size_t count)
{
    if (replaced != nullptr)
        KeepOwner(descriptor, *replaced); // before the mode, which a change of owner may clear
    const bool filled = WriteAll(descriptor, bytes, count) &&
                        (replaced == nullptr || ::fchmod(descriptor, replaced->st_mode & 07777) == 0) &&
                        ::fsync(descriptor) == 0;
    return filled ? 0 : errno;
}

WriteOutcome WriteReplacing(const std::string& target, const struct stat* replaced,
                            const std::uint8_t* bytes, std::size_t count, IfExists ifExists)
{
    const std::string folder = FolderOf(target);
    std::string temporary;
    const int descriptor = OpenTemporary(folder, temporary);
    if (descriptor < 0)
        return Failed(errno == ENOENT ? std::string("no such folder") : ReasonOfError(errno));
    int error = FillTemporary(descriptor, replaced, bytes, count);
    if (error == 0 && !TakeName(temporary, target, ifExists))
        error = errno;
    // Closed only now: the lock shows the temporary in use until it has its name.
    if (::close(descriptor) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return Failed(error);
    }
    FlushFolder(folder);
    return Succeeded();
}

// 0 when the file may be replaced, or why not: the system's answer first (a read-only file
// system says so), then the file's own mode, since root may write anything but a file that
// nobody may write was made read-only on purpose.
int ReplaceRefusal(const struct stat& status, const std::string& path)
{
    if (::access(path.c_str(), W_OK) != 0)
        return errno;
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 ? 0 : EACCES;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Standard output or error when `status` is the file it has open: a name of it stands for
// what the program was handed open, in its mode and at its position.
int StandardStreamOf(const struct stat& status)
{
    for (const int descriptor : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat open {};
        if (::fstat(descriptor, &open) == 0 && SameFile(status, open))
            return descriptor;
    }
    return -1;
}

WriteOutcome WriteThrough(int descriptor, const std::uint8_t* bytes, std::size_t count)
{
    if (!WriteAll(descriptor, bytes, count) || !Flush(descriptor))
        return Failed(errno);
    return Succeeded();
}

WriteOutcome ReplaceEntry(const std::string& name, const std::uint8_t* bytes, std::size_t count)
{
    struct stat status {};
    if (::lstat(name.c_str(), &status) != 0)
        return errno == ENOENT ? WriteReplacing(name, nullptr, bytes, count, IfExists::Replace)
                               : Failed(errno);
    if (S_ISDIR(status.st_mode))
        return Failed(EISDIR);
    const bool plainFile = S_ISREG(status.st_mode);
    if (plainFile)
        if (const int refusal = ReplaceRefusal(status, name))
            return Failed(refusal);
    return WriteReplacing(name, plainFile ? &status : nullptr, bytes, count, IfExists::Replace);
}

} // namespace

std::string ReasonOfError(int error)
{
    switch (error) {
    case ENOENT: return "no such file or folder";
    case ENOTDIR: return "a part of the name is not a folder";
    case EACCES:
    case EPERM: return "permission denied";
    case ENOSPC:
    case EDQUOT: return "disk full";
    case ENAMETOOLONG: return "name too long";
    case EROFS: return "read-only file system";
    case EISDIR: return "is a folder";
    case EEXIST: return "already exists";
    case ENXIO: return "no program is reading from it";
    case ELOOP: return "too many links";
    default: {
        std::string text = std::strerror(error);
        if (!text.empty())
            text.front() = static_cast<char>(std::tolower(static_cast<unsigned char>(text.front())));
        return text;
    }
    }
}

std::size_t RemoveStaleTemporaries(const std::string& folder)
{
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr)
        return 0;
    std::size_t removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        if (!IsTemporaryName(entry->d_name))
            continue;
        const std::string path = folder + "/" + entry->d_name;
        const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (descriptor < 0)
            continue;
        struct stat opened {}, named {};
        // Unlocked, and still the file of that name: nobody is writing it.
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0 && ::fstat(descriptor, &opened) == 0 &&
            ::lstat(path.c_str(), &named) == 0 && S_ISREG(opened.st_mode) &&
            opened.st_ino == named.st_ino && ::unlink(path.c_str()) == 0)
            ++removed;
        ::close(descriptor);
    }
    ::closedir(listing);
    return removed;
}

bool IsStandardOutput(const std::string& name)
{
    struct stat named {};
    return !name.empty() && ::stat(name.c_str(), &named) == 0 &&
           StandardStreamOf(named) == STDOUT_FILENO;
}

WriteOutcome WriteFileSafely(const std::string& name, const std::uint8_t* bytes,
                             std::size_t count, IfExists ifExists)
{
    if (name.empty())
        return Failed("no file name");
    if (ifExists == IfExists::ReplaceEntry)
        return ReplaceEntry(name, bytes, count);
    // What the name is, is asked of the system, which follows every link and "..": its
    // spelling says nothing.
    struct stat status {};
    if (::stat(name.c_str(), &status) != 0) {
        if (errno != ENOENT)
            return Failed(errno);
        const Resolved resolved = Resolve(name); // a new file, or one a dangling link names
        if (resolved.error != 0)
            return Failed(resolved.error);
        if (ifExists == IfExists::Refuse && resolved.nameExists)
            return Failed(EEXIST);
        return WriteReplacing(resolved.path, nullptr, bytes, count, ifExists);
    }
    if (ifExists == IfExists::Refuse)
        return Failed(EEXIST);
    if (S_ISDIR(status.st_mode))
        return Failed(EISDIR);
    if (const int stream = StandardStreamOf(status); stream >= 0)
        return WriteThrough(stream, bytes, count);
    if (!S_ISREG(status.st_mode))
        return WriteInPlace(name, bytes, count);
    const Resolved resolved = Resolve(name);
    if (resolved.error != 0)
        return Failed(resolved.error);
    struct stat found {};
    if (::stat(resolved.path.c_str(), &found) != 0 || !SameFile(found, status))
        return Failed("an open file without a name it could be replaced under");
    if (const int refusal = ReplaceRefusal(status, resolved.path))
        return Failed(refusal);
    return WriteReplacing(resolved.path, &status, bytes, count, ifExists);
}

} // namespace image
