#include "AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>
#include <utility>

#include "TiffError.h"

namespace plexifold::imaging {
namespace {

std::atomic<bool> namedOnly{false};

std::string randomSuffix() {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::string suffix(6, ' ');
    for (char& c : suffix)
        c = letters[pick(random)];
    return suffix;
}

std::filesystem::path folderOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

std::filesystem::path temporaryName(const std::filesystem::path& target) {
    return folderOf(target) / ("." + target.filename().string() + "." + randomSuffix());
}

// An unnamed file is linked in through its /proc entry (linkat with AT_EMPTY_PATH would
// need a privilege), so it is used only where /proc is there.
bool unnamedFilesUsable() {
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable && !namedOnly.load();
}

} // namespace

AtomicFile::AtomicFile(const std::filesystem::path& target) : m_target(target) {
    if (target.filename().empty())
        fail(EISDIR);
    if (!openUnnamed())
        openNamed();
}

AtomicFile::~AtomicFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed && !m_temporary.empty())
        ::unlink(m_temporary.c_str());
}

void AtomicFile::commit() {
    if (m_temporary.empty() && linkAtTarget()) {
        try {
            closeFile();
        } catch (const TiffError&) {
            ::unlink(m_target.c_str()); // published already: it must not stay there
            throw;
        }
        m_committed = true;
        return;
    }
    if (m_temporary.empty())
        linkUnderTemporaryName();
    closeFile();
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        fail(errno);
    m_committed = true;
}

void AtomicFile::useNamedFilesForTesting(bool named) {
    namedOnly = named;
}

bool AtomicFile::openUnnamed() {
    if (!unnamedFilesUsable())
        return false;
    do
        m_fd = ::open(folderOf(m_target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    while (m_fd < 0 && errno == EINTR);
    if (m_fd >= 0) {
        m_procPath = "/proc/self/fd/" + std::to_string(m_fd);
        return true;
    }
    // Kernels and file systems without unnamed files say so in one of these ways.
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)
        return false;
    fail(errno);
}

void AtomicFile::openNamed() {
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temporary = temporaryName(m_target);
        m_fd = ::open(m_temporary.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST && errno != EINTR) {
            m_temporary.clear();
            fail(errno);
        }
    }
    if (m_fd < 0) {
        m_temporary.clear();
        fail(EEXIST);
    }
}

// Links the unnamed file at the target; false when something is there already.
bool AtomicFile::linkAtTarget() {
    if (::linkat(AT_FDCWD, m_procPath.c_str(), AT_FDCWD, m_target.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != EEXIST)
        fail(errno);
    return false;
}

void AtomicFile::linkUnderTemporaryName() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path name = temporaryName(m_target);
        if (::linkat(AT_FDCWD, m_procPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) ==
            0) {
            m_temporary = name;
            return;
        }
        if (errno != EEXIST)
            fail(errno);
    }
    fail(EEXIST);
}

void AtomicFile::closeFile() {
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0 && errno != EINTR)
        fail(errno);
}

void AtomicFile::fail(int error) const {
    throw TiffError("cannot write " + m_target.string() + ": " + std::strerror(error));
}

} // namespace plexifold::imaging
