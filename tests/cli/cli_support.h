#pragma once

// Helpers for the command-line tests: a temporary folder of files, the commands run in the
// test process (over any list of models), and the built program run as a user runs it.

#include "cli/commands.h"

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

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "hubquill-cli-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    }
    ~TempFolder()
    {
        std::error_code error;
        fs::remove_all(m_path, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path(const std::string& name) const { return (m_path / name).string(); }
    const fs::path& root() const { return m_path; }

    std::string write(const std::string& name, const std::string& content) const
    {
        fs::create_directories((m_path / name).parent_path());
        std::ofstream(m_path / name, std::ios::binary) << content;
        return path(name);
    }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        return write(name, std::string(bytes.begin(), bytes.end()));
    }
    std::string read(const std::string& name) const
    {
        std::ifstream file(m_path / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    bool exists(const std::string& name) const { return fs::exists(m_path / name); }

private:
    fs::path m_path;
};

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

// The commands in this process.
inline Result RunCommand(const std::vector<std::string>& arguments, cli::Models models,
                  const std::string& input = {})
{
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    Result result;
    result.code = cli::Run(arguments, in, out, err, models);
    result.out = out.str();
    result.err = err.str();
    return result;
}

// The built program, through the shell, in `folder` (which holds its input and output).
inline Result RunProgram(const TempFolder& folder, const std::string& arguments,
                         const std::string& input = {})
{
    folder.write(".stdin", input);
    // The braces let `arguments` pipe into a second run of the program.
    const std::string command = "cd '" + folder.root().string() + "' && { '" +
                                std::string(HUBQUILL_CLI_PATH) + "' " + arguments +
                                "; } <.stdin >.stdout 2>.stderr";
    const int status = std::system(command.c_str());
    Result result;
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = folder.read(".stdout");
    result.err = folder.read(".stderr");
    return result;
}

inline std::string Text(const std::array<std::uint8_t, 256>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

} // namespace cli_testing
