#include "cli/file_checks.h"

#include "cli/error.h"
#include "image/safe_write.h"

#include <cerrno>

#include <unistd.h>

namespace cli {

std::filesystem::path ResolvedPath(const std::string& name)
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::canonical(name, error);
    if (!error)
        return path;
    if (error.value() == ENOENT)
        throw Error(name + ": a link to a file that does not exist");
    throw Error(name + ": " + image::ReasonOfError(error.value()));
}

bool MayWrite(const struct stat& status, const std::string& path)
{
    const bool someoneMayWrite = (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return someoneMayWrite && ::access(path.c_str(), W_OK) == 0;
}

Descriptor::~Descriptor()
{
    if (value >= 0)
        ::close(value);
}

} // namespace cli
