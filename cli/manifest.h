#pragma once

// The manifest of a batch: a CSV file with one line per image written, appended to across
// batches (and stations) and flushed to the disk line by line:
//
//   serial,file,sha256,utc
//   SN0990,SN0990.bin,5f1c...e2,2024-05-02T07:41:09Z
//
// The hash is that of the file's content, so `sha256sum` checks a file against its line.

#include <cstdint>
#include <span>
#include <string>

namespace cli {

class Manifest {
public:
    // Opens the file for appending, creating it with its header line. Throws cli::Error.
    explicit Manifest(std::string name);
    ~Manifest();
    Manifest(const Manifest&) = delete;
    Manifest& operator=(const Manifest&) = delete;

    // Whether a line of the file names this serial.
    bool lists(const std::string& serial) const;

    // Appends the line of an image and gets it to the disk. Throws cli::Error.
    void append(const std::string& serial, const std::string& fileName,
                std::span<const std::uint8_t> content);

private:
    void write(const std::string& text);

    std::string m_name;
    int m_descriptor = -1;
};

} // namespace cli
