#pragma once

// What the serial store and the manifest ask of a name before they use it: where it leads,
// and whether this program may write there; and a descriptor that closes itself.

#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace cli {

// The file `name` leads to, links resolved. Throws cli::Error naming it when a link leads
// nowhere or in a circle.
std::filesystem::path ResolvedPath(const std::string& name);

// Whether the process may write the file at `path`: the system allows it, and the file is
// not one that nobody may write (root may write anything, but such a file was made
// read-only on purpose).
bool MayWrite(const struct stat& status, const std::string& path);

// Closes a descriptor however a step ends.
struct Descriptor {
    explicit Descriptor(int descriptor) : value(descriptor) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int value;
};

} // namespace cli
