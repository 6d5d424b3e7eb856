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

AtomicFile::AtomicFile(const std::filesystem::path& target) : m_target(target) {
    const std::string name = target.filename().string();
    if (name.empty())
        fail(EISDIR);
    const std::filesystem::path folder = target.parent_path();
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temporary = folder / ("." + name + "." + randomSuffix());
        m_fd = ::open(m_temporary.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST && errno != EINTR)
            fail(errno);
    }
    if (m_fd < 0)
        fail(EEXIST);
}

AtomicFile::~AtomicFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed)
        ::unlink(m_temporary.c_str());
}

void AtomicFile::commit() {
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        fail(errno);
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        fail(errno);
    m_committed = true;
}

void AtomicFile::fail(int error) const {
    throw TiffError("cannot write " + m_target.string() + ": " + std::strerror(error));
}

} // namespace plexifold::imaging
