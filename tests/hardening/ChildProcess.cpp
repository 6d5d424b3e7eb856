#include "ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace plexifold::test {
namespace {

std::string makeCaptureFile() {
    std::string path = (std::filesystem::temp_directory_path() / "plexifold-child-XXXXXX").string();
    const int fd = ::mkstemp(path.data());
    if (fd < 0)
        throw std::runtime_error("cannot create a capture file");
    ::close(fd);
    return path;
}

std::string readAndRemove(const std::string& path) {
    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove(path);
    return text;
}

} // namespace

ChildProcess::ChildProcess(std::vector<std::string> arguments)
    : m_arguments(std::move(arguments)) {}

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && !m_reaped) {
        ::kill(m_pid, SIGKILL);
        finish();
    }
}

// Runs in the forked child: only async-signal-safe calls until exec.
void ChildProcess::execChild(char* const* argv) {
    const int out = ::open(m_outPath.c_str(), O_WRONLY | O_TRUNC);
    const int err = ::open(m_errPath.c_str(), O_WRONLY | O_TRUNC);
    if (out < 0 || err < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0)
        ::_exit(126);
    if (m_fileSizeLimit != 0) {
        const rlimit limit{m_fileSizeLimit, m_fileSizeLimit};
        ::signal(SIGXFSZ, SIG_IGN); // stays ignored across exec
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(126);
    }
    ::execv(argv[0], argv);
    ::_exit(127);
}

void ChildProcess::start() {
    m_outPath = makeCaptureFile();
    m_errPath = makeCaptureFile();
    std::vector<char*> argv;
    for (std::string& argument : m_arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    m_pid = ::fork();
    if (m_pid < 0)
        throw std::runtime_error("fork failed");
    if (m_pid == 0)
        execChild(argv.data());
}

void ChildProcess::interrupt(int signal) {
    if (m_pid > 0 && !m_reaped)
        ::kill(m_pid, signal);
}

bool ChildProcess::running() {
    if (m_reaped)
        return false;
    rusage usage{};
    const pid_t pid = ::wait4(m_pid, &m_status, WNOHANG, &usage);
    if (pid == m_pid) {
        m_reaped = true;
        m_maxRssKiB = usage.ru_maxrss;
    }
    return !m_reaped;
}

ChildResult ChildProcess::finish() {
    if (!m_reaped) {
        rusage usage{};
        pid_t pid;
        do
            pid = ::wait4(m_pid, &m_status, 0, &usage);
        while (pid < 0 && errno == EINTR);
        m_reaped = true;
        m_maxRssKiB = usage.ru_maxrss;
    }
    ChildResult result;
    if (WIFEXITED(m_status))
        result.exitCode = WEXITSTATUS(m_status);
    else if (WIFSIGNALED(m_status))
        result.signal = WTERMSIG(m_status);
    result.maxRssKiB = m_maxRssKiB;
    result.out = readAndRemove(m_outPath);
    result.err = readAndRemove(m_errPath);
    return result;
}

ChildResult runChild(const std::vector<std::string>& arguments) {
    ChildProcess child(arguments);
    child.start();
    return child.finish();
}

bool waitWhileRunning(ChildProcess& child, const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (!child.running())
            return false;
        if (done())
            return child.running();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

} // namespace plexifold::test
