#include "FileHandle.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "TiffError.h"

namespace plexifold::imaging {

FileHandle::FileHandle(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}

FileHandle::~FileHandle() {
    close();
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

FileHandle FileHandle::openForReading(const std::filesystem::path& path) {
    // Non-blocking, so that a FIFO cannot stall the open; only regular files are read.
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw TiffError("cannot open " + path.string() + ": " + std::strerror(errno));
    FileHandle file(fd, path.string());
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        throw TiffError("cannot open " + path.string() + ": " + std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        throw TiffError("cannot open " + path.string() + ": " +
                        (S_ISDIR(status.st_mode) ? std::strerror(EISDIR) : "not a regular file"));
    return file;
}

std::uint64_t FileHandle::size() const {
    struct stat status {};
    if (::fstat(m_fd, &status) != 0)
        throw TiffError("cannot read " + m_path + ": " + std::strerror(errno));
    return static_cast<std::uint64_t>(status.st_size);
}

bool FileHandle::readAt(std::uint64_t offset, void* out, std::size_t length) const {
    return readUpTo(offset, out, length) == length;
}

std::size_t FileHandle::readUpTo(std::uint64_t offset, void* out, std::size_t length) const {
    auto* bytes = static_cast<unsigned char*>(out);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, bytes + done, length - done, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw TiffError("cannot read " + m_path + ": " + std::strerror(errno));
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return done;
}

int FileHandle::close() {
    if (m_fd < 0)
        return 0;
    const int result = ::close(std::exchange(m_fd, -1));
    return result == 0 || errno == EINTR ? 0 : errno;
}

} // namespace plexifold::imaging
