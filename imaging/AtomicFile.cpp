#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

#include "TiffError.h"

namespace plexifold::imaging {
namespace {

std::string randomSuffix() {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::string suffix(6, ' ');
    for (char& c : suffix)
        c = letters[pick(random)];
    return suffix;
}

} // namespace

// The folder is held open and every name is used relative to it: when the folder is
// moved or deleted while the page is written, the temporary file is still removed.
AtomicFile::AtomicFile(const std::filesystem::path& target) : m_target(target) {
    m_name = target.filename().string();
    if (m_name.empty())
        fail(EISDIR);
    const std::filesystem::path folder = target.parent_path();
    m_folder = ::open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        fail(errno);
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temporary = "." + m_name + "." + randomSuffix();
        m_fd = ::openat(m_folder, m_temporary.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC,
                        0666);
        if (m_fd < 0 && errno != EEXIST && errno != EINTR)
            failAndClose(errno);
    }
    if (m_fd < 0)
        failAndClose(EEXIST);
}

AtomicFile::~AtomicFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed)
        ::unlinkat(m_folder, m_temporary.c_str(), 0);
    ::close(m_folder);
}

void AtomicFile::commit() {
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        fail(errno);
    if (::renameat(m_folder, m_temporary.c_str(), m_folder, m_name.c_str()) != 0)
        fail(errno);
    m_committed = true;
}

void AtomicFile::failAndClose(int error) {
    ::close(m_folder);
    fail(error);
}

void AtomicFile::fail(int error) const {
    throw TiffError("cannot write " + m_target.string() + ": " + std::strerror(error));
}

} // namespace plexifold::imaging
