#include "image/file_manager.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool isRegularFile(const std::string& name)
{
    std::error_code error;
    return !name.empty() && fs::is_regular_file(fs::path(name), error);
}

// Where the bytes really go: a link is followed so the link itself survives the rename.
fs::path writeTarget(const std::string& name)
{
    std::error_code error;
    fs::path path(name);
    if (fs::is_symlink(fs::symlink_status(path, error))) {
        const fs::path resolved = fs::weakly_canonical(path, error);
        if (!error)
            return resolved;
    }
    return path;
}

std::FILE* openFreshTemporary(const fs::path& target, fs::path& temporary)
{
    std::random_device seed;
    std::mt19937 generator(seed());
    std::uniform_int_distribution<unsigned> digits(0, 0xFFFFFF);
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%06x.tmp", digits(generator));
        std::string hidden = ".";
        hidden += target.filename().string();
        hidden += suffix;
        temporary = target;
        temporary.replace_filename(hidden);
        // "x" refuses to open a file that already exists, so nothing of anyone else's is
        // ever truncated here.
        if (std::FILE* file = std::fopen(temporary.c_str(), "wbx"))
            return file;
        std::error_code error;
        if (!fs::exists(temporary, error))
            return nullptr; // not a name clash: the folder is missing or not writable
    }
    return nullptr;
}

bool writeAll(std::FILE* file, const std::uint8_t* bytes, int count)
{
    const bool written = std::fwrite(bytes, 1, static_cast<std::size_t>(count), file) ==
                         static_cast<std::size_t>(count);
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    const bool closed = std::fclose(file) == 0;
    return written && flushed && closed;
}

void keepPermissionsOf(const fs::path& target, const fs::path& temporary)
{
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    if (!error && fs::is_regular_file(status))
        fs::permissions(temporary, status.permissions(), error);
}

} // namespace

bool CFileManager::SetFileName(const std::string& name)
{
    if (name.empty() || name.size() > kMaxNameLength)
        return false;
    m_name = name;
    return true;
}

long CFileManager::GetFileSize() const
{
    if (!isRegularFile(m_name))
        return 0;
    std::FILE* file = std::fopen(m_name.c_str(), "rb");
    if (!file)
        return 0;
    long size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    std::fclose(file);
    return size < 0 ? 0 : size;
}

int CFileManager::Write(const std::uint8_t* bytes, int count) const
{
    if (m_name.empty() || bytes == nullptr || count < 0)
        return 0;
    const fs::path target = writeTarget(m_name);
    std::error_code error;
    if (fs::is_directory(target, error))
        return 0;
    fs::path temporary;
    std::FILE* file = openFreshTemporary(target, temporary);
    if (!file)
        return 0;
    if (!writeAll(file, bytes, count)) {
        fs::remove(temporary, error);
        return 0;
    }
    keepPermissionsOf(target, temporary);
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return 0;
    }
    return count;
}

int CFileManager::Read(std::uint8_t* buffer, int count) const
{
    if (buffer == nullptr || count < 0 || !isRegularFile(m_name))
        return 0;
    std::FILE* file = std::fopen(m_name.c_str(), "rb");
    if (!file)
        return 0;
    const std::size_t read = std::fread(buffer, 1, static_cast<std::size_t>(count), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed && read == static_cast<std::size_t>(count) ? count : 0;
}
