#include "image/file_manager.h"

#include "image/safe_write.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool isRegularFile(const std::string& name)
{
    std::error_code error;
    return !name.empty() && fs::is_regular_file(fs::path(name), error);
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
    if (bytes == nullptr || count < 0) {
        m_lastWriteError = "nothing to write";
        return 0;
    }
    const image::WriteOutcome outcome =
        image::WriteFileSafely(m_name, bytes, static_cast<std::size_t>(count));
    m_lastWriteError = outcome.reason;
    return outcome ? count : 0;
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
