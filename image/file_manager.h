#pragma once

#include <cstdint>
#include <string>

// Remembers one file name and reads or writes that file. Nothing is held open between
// operations. Failures are answers (0 or false); the editors decide what to tell the user.
class CFileManager {
public:
    static constexpr std::size_t kMaxNameLength = 255;

    CFileManager() = default;
    virtual ~CFileManager() = default;

    // Empty names and names longer than 255 characters are refused and the previous name
    // stays in force; a long name is never cut, since a cut name is another file.
    bool SetFileName(const std::string& name);
    const std::string& GetFileName() const { return m_name; }

    // Size in bytes of the named regular file; 0 when it is missing, unreadable or not a
    // regular file (a folder, a FIFO or a device answers at once and never blocks).
    long GetFileSize() const;

    // Puts exactly count bytes under the name, as image::WriteFileSafely does: a plain file
    // is replaced whole and durably, a device or FIFO is written into, and a failure leaves
    // what was there exactly as it was. Answers count, or 0 on failure.
    int Write(const std::uint8_t* bytes, int count) const;

    // Why the last Write failed ("disk full", "permission denied", ...); empty after success.
    const std::string& LastWriteError() const { return m_lastWriteError; }

    // Reads exactly count bytes from the start of the named regular file. Answers count,
    // or 0 when the file is missing, not a regular file or shorter than count.
    int Read(std::uint8_t* buffer, int count) const;

private:
    std::string m_name;
    mutable std::string m_lastWriteError;
};
