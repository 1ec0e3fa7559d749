#pragma once

// The state file of a serial series: the next free serial, kept across batches and shared
// by the stations that issue from one series. A batch holds the series' lock from its start
// to its end, so two batches started at once run one after the other, each with its own
// serials; the file is replaced durably after each image, so a crash or a kill never takes
// a serial back, nor gives one out twice.
//
//   {"next_serial": "SN0101"}       the next batch starts at SN0101
//   {"used_up_after": "SN9999"}     every serial of the series is issued
//
// The lock is taken on "FILE.lock" beside it, which is never replaced: a lock on the state
// file itself would be lost with the first replacement.

#include <functional>
#include <optional>
#include <string>

namespace cli {

class StateFile {
public:
    // Takes the series' lock (telling `waiting` once when another batch holds it, then
    // waiting for it) and reads the file. Throws cli::Error when the lock cannot be taken
    // or the file is not a state file.
    StateFile(std::string name, const std::function<void(const std::string&)>& waiting);
    ~StateFile();
    StateFile(const StateFile&) = delete;
    StateFile& operator=(const StateFile&) = delete;

    const std::string& name() const { return m_name; }
    // The next free serial; nullopt for a new series (the file does not exist yet).
    const std::optional<std::string>& nextSerial() const { return m_next; }

    // Replaces the file durably; throws cli::Error, leaving the old one, when that fails.
    void recordNext(const std::string& serial);
    void recordUsedUp(const std::string& lastSerial);

private:
    void replace(const std::string& content);

    std::string m_name;
    int m_lock = -1;
    std::optional<std::string> m_next;
};

} // namespace cli
