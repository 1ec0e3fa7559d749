#pragma once

// Timing and process helpers shared by the benchmarks: medians of repeated runs, a clock
// that child processes share with the parent, and child processes with their peak memory.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// Nanoseconds on the monotonic clock, which every process of the machine shares: a child
// can stamp a moment that the parent compares with the moment it started the child.
std::int64_t NowNs();
// Nanoseconds of processor time this thread has had.
std::int64_t ThreadNs();

double Median(std::vector<double> samples);

// Keeps the compiler from dropping a computation whose result is not otherwise used.
template <typename T>
inline void KeepAlive(const T& value)
{
    asm volatile("" : : "r"(&value) : "memory");
}

// Which time a measurement counts: this thread's processor time leaves out the time other
// processes of a shared machine had the core, but also any wait for a disk.
enum class Clock { Processor, Wall };

// Nanoseconds per call of each job, taken in interleaved batches (so a busy machine slows
// all alike) and reduced to the median batch.
std::vector<double> NsPerCall(const std::vector<std::function<void()>>& jobs, Clock clock,
                              int batches = 31);

struct ProcessRun {
    int exitCode = -1;        // -1 when it did not exit normally
    std::int64_t startNs = 0; // NowNs() just before the child was started
    std::int64_t endNs = 0;   // NowNs() once it had ended
    long peakKiB = 0;         // its peak resident memory
    std::string output;       // what it wrote to standard output
    double wallMs() const { return static_cast<double>(endNs - startNs) / 1e6; }
};

// Runs a program (argv[0] a path) with extra "NAME=value" environment entries, standard
// input from /dev/null and standard error discarded, and waits for it.
ProcessRun Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});

// A folder of its own under the temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

} // namespace bench
