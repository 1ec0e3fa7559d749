#pragma once

// Putting bytes under a file name without ever losing what was there.
//
// Images go into hardware and profiles are somebody's work, so a save must leave either the
// old file or the new one, whatever happens half-way (a full disk, a power cut, a second
// program writing the same name), and it must never replace something that is not a plain
// file: a device, a FIFO or standard output is written into, a folder is refused.

#include <cstddef>
#include <cstdint>
#include <string>

namespace image {

enum class IfExists {
    Replace, // a plain file of that name is replaced as a whole
    Refuse,  // the name must still be free when the new file takes it
    // Whatever the name holds in its folder (a file, a link, a FIFO) gives way to the new
    // file: nothing is followed, nothing written into; only a folder or a file nobody may
    // write is refused.
    ReplaceEntry,
};

struct WriteOutcome {
    bool ok = false;
    std::string reason; // what went wrong, as a user reads it ("disk full"); empty when ok

    explicit operator bool() const { return ok; }
};

// Puts exactly `count` bytes under `name`. What the name is, is what it leads to once every
// link and ".." is followed, never how it is spelled:
// - The file standard output or standard error has open (/dev/stdout, /proc/self/fd/1,
//   /dev/stderr, or any other name of it): written through that open stream, which keeps
//   its position and append mode.
// - A plain file, or a name not used yet: the bytes go to a temporary file with a short name
//   in the same folder, reach the disk, and only then is the temporary renamed over the name
//   (the folder is flushed after it). A link is followed, so the link itself survives, and the
//   replaced file's permissions, owner and group are kept (owner and group as far as the
//   process may give them). A file nobody may write is refused, not replaced, and so is an
//   open file that no path leads to any more.
// - Anything else that is there (a device, a FIFO, a terminal) is written into as it is,
//   never truncated nor replaced; a FIFO that no program reads is refused at once instead of
//   waiting for a reader.
// - A folder is refused.
// On failure nothing under `name` has changed and no temporary file is left behind.
WriteOutcome WriteFileSafely(const std::string& name, const std::uint8_t* bytes,
                             std::size_t count, IfExists ifExists = IfExists::Replace);

// Removes the temporaries that writes into `folder` left when they were stopped (killed, or
// the power went); a write still running keeps its own. Answers how many went.
std::size_t RemoveStaleTemporaries(const std::string& folder);

// Whether `name` leads to the file that standard output has open.
bool IsStandardOutput(const std::string& name);

// The reason for a failed system call with this errno value, in the words of WriteOutcome.
std::string ReasonOfError(int error);

} // namespace image
