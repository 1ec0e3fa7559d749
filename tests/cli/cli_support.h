#pragma once

// The built program run as a user runs it: through the shell, in a folder that holds its
// input and output files.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace cli_testing {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const fs::path& path, const std::string& content)
{
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

inline std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

// " | hubquill-cli ARGUMENTS": a second run of the program reading the first one's output.
inline std::string Pipe(const std::string& arguments)
{
    return " | '" + std::string(HUBQUILL_CLI_PATH) + "' " + arguments;
}

inline Result RunProgram(const fs::path& folder, const std::string& arguments,
                         const std::string& input = {})
{
    WriteFile(folder / ".stdin", input);
    const std::string command = "cd '" + folder.string() + "' && { '" + HUBQUILL_CLI_PATH +
                                "' " + arguments + "; } <.stdin >.stdout 2>.stderr";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(folder / ".stdout"),
            ReadFile(folder / ".stderr")};
}

// A folder in memory where there is one: a flush to the disk then costs nothing.
inline fs::path RamOrTemp()
{
    return ::access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm") : fs::temp_directory_path();
}

class TempFolder {
public:
    explicit TempFolder(const fs::path& base = fs::temp_directory_path())
    {
        std::string pattern = (base / "hubquill-cli-XXXXXX").string();
        m_root = ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    }
    ~TempFolder()
    {
        std::error_code error;
        fs::remove_all(m_root, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return m_root; }
    std::string read(const std::string& name) const { return ReadFile(m_root / name); }
    void write(const std::string& name, const std::string& content) const
    {
        WriteFile(m_root / name, content);
    }
    Result run(const std::string& arguments, const std::string& input = {}) const
    {
        return RunProgram(m_root, arguments, input);
    }

private:
    fs::path m_root;
};

} // namespace cli_testing
