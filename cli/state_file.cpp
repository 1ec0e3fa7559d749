#include "cli/state_file.h"

#include "cli/error.h"
#include "cli/files.h"
#include "image/safe_write.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>

namespace cli {

namespace {

int TakeLock(const std::string& name, const std::function<void(const std::string&)>& waiting)
{
    const std::string lockName = name + ".lock";
    const int descriptor = ::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor < 0)
        throw Error(lockName + ": cannot be opened: " + image::ReasonOfError(errno));
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
        return descriptor;
    if (errno == EWOULDBLOCK) {
        waiting(name + " is in use by another batch; waiting for it to finish");
        int locked = -1;
        do
            locked = ::flock(descriptor, LOCK_EX);
        while (locked != 0 && errno == EINTR);
        if (locked == 0)
            return descriptor;
    }
    const int error = errno;
    ::close(descriptor);
    throw Error(lockName + ": cannot be locked: " + image::ReasonOfError(error));
}

std::optional<std::string> ReadNext(const std::string& name)
{
    if (!std::filesystem::exists(name))
        return std::nullopt;
    std::istringstream none;
    const std::vector<std::uint8_t> content = ReadInput(name, none);
    const auto state = nlohmann::json::parse(content.begin(), content.end(), nullptr, false);
    if (state.is_object() && state.contains("next_serial") && state["next_serial"].is_string())
        return state["next_serial"].get<std::string>();
    if (state.is_object() && state.contains("used_up_after") && state["used_up_after"].is_string())
        throw Error(name + ": the series ended with " + state["used_up_after"].get<std::string>() +
                    "; every serial of its width is issued (start a new series in a new "
                    "state file)");
    throw Error(name + ": not a state file (one holds {\"next_serial\": \"...\"})");
}

} // namespace

StateFile::StateFile(std::string name, const std::function<void(const std::string&)>& waiting)
    : m_name(std::move(name)), m_lock(TakeLock(m_name, waiting))
{
    try {
        m_next = ReadNext(m_name);
    } catch (...) {
        ::close(m_lock);
        throw;
    }
}

StateFile::~StateFile() { ::close(m_lock); }

void StateFile::recordNext(const std::string& serial)
{
    replace(nlohmann::json{{"next_serial", serial}}.dump() + "\n");
    m_next = serial;
}

void StateFile::recordUsedUp(const std::string& lastSerial)
{
    replace(nlohmann::json{{"used_up_after", lastSerial}}.dump() + "\n");
    m_next.reset();
}

void StateFile::replace(const std::string& content)
{
    const image::WriteOutcome outcome = image::WriteFileSafely(
        m_name, reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
    if (!outcome)
        throw Error(m_name + ": cannot be written: " + outcome.reason);
}

} // namespace cli
