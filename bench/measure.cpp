#include "bench/measure.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

std::int64_t NowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::int64_t ThreadNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

double Median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    const auto middle = samples.begin() + static_cast<std::ptrdiff_t>(samples.size() / 2);
    std::nth_element(samples.begin(), middle, samples.end());
    return *middle;
}

namespace {

// Calls per batch so that one batch of the job takes about two milliseconds.
std::int64_t Now(Clock clock) { return clock == Clock::Processor ? ThreadNs() : NowNs(); }

long CallsPerBatch(const std::function<void()>& job, Clock clock)
{
    constexpr std::int64_t kBatchNs = 2'000'000;
    long calls = 1;
    for (;;) {
        const std::int64_t start = Now(clock);
        for (long i = 0; i < calls; ++i)
            job();
        const std::int64_t took = Now(clock) - start;
        if (took >= kBatchNs / 4 || calls >= (1L << 24))
            return std::max(1L, static_cast<long>(calls * kBatchNs / std::max<std::int64_t>(took, 1)));
        calls *= 4;
    }
}

} // namespace

std::vector<double> NsPerCall(const std::vector<std::function<void()>>& jobs, Clock clock,
                              int batches)
{
    std::vector<long> calls;
    for (const auto& job : jobs)
        calls.push_back(CallsPerBatch(job, clock));
    std::vector<std::vector<double>> samples(jobs.size());
    for (int batch = 0; batch < batches; ++batch)
        for (std::size_t j = 0; j < jobs.size(); ++j) {
            const std::int64_t start = Now(clock);
            for (long i = 0; i < calls[j]; ++i)
                jobs[j]();
            samples[j].push_back(static_cast<double>(Now(clock) - start) / static_cast<double>(calls[j]));
        }
    std::vector<double> medians;
    for (auto& sample : samples)
        medians.push_back(Median(std::move(sample)));
    return medians;
}

ProcessRun Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);

    std::vector<std::string> entries = environment;
    for (char** entry = environ; *entry; ++entry)
        entries.emplace_back(*entry); // the first entry of a name wins
    std::vector<char*> envp;
    for (std::string& entry : entries)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (std::string& arg : args)
        argp.push_back(arg.data());
    argp.push_back(nullptr);

    ProcessRun run;
    pid_t child = 0;
    run.startNs = NowNs();
    const int failed = posix_spawn(&child, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (failed) {
        close(pipeEnds[0]);
        throw std::runtime_error("cannot start " + argv[0]);
    }
    char buffer[4096];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        run.output.append(buffer, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.endNs = NowNs();
    run.peakKiB = usage.ru_maxrss;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "hubquill-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace bench
