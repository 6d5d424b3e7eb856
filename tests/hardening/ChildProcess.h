#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace plexifold::test {

// How a child process ended.
struct ChildResult {
    int exitCode = -1; // -1 when a signal ended it
    int signal = 0;
    std::string out;
    std::string err;
    long maxRssKiB = 0; // peak resident memory, see ChildProcess
};

// Runs a program in a process of its own with stdout and stderr captured, and
// measures its peak resident memory with wait4(). That figure also counts what
// this process held when it forked, so it is an upper bound: keep big buffers
// released before starting a child whose memory is checked.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    /// Limits the files the child writes to `bytes` (RLIMIT_FSIZE) and has it ignore
    /// SIGXFSZ, so that a write past the limit fails with EFBIG as on a full disk.
    void setFileSizeLimit(std::uint64_t bytes) { m_fileSizeLimit = bytes; }

    void start();
    /// Sends the child `signal`; SIGINT is what Ctrl-C in its terminal sends.
    void interrupt(int signal = 2);
    /// True while the child has not ended.
    bool running();
    /// Waits for the end of the child and collects what it printed.
    ChildResult finish();

private:
    void execChild(char* const* argv);

    std::vector<std::string> m_arguments;
    std::uint64_t m_fileSizeLimit = 0;
    std::string m_outPath;
    std::string m_errPath;
    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_status = 0;
    long m_maxRssKiB = 0;
};

/// Runs `arguments` to its end.
ChildResult runChild(const std::vector<std::string>& arguments);

/// Polls `done` every millisecond while `child` runs, for at most `timeoutMs`.
/// True when `done` became true while the child was still running.
bool waitWhileRunning(ChildProcess& child, const std::function<bool()>& done, int timeoutMs);

} // namespace plexifold::test
