#include "FileHandle.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <utility>

#include "FileError.h"
#include "PathText.h"

namespace plexifold::files {
namespace {

int fdOf(std::intptr_t native) {
    return static_cast<int>(native);
}

} // namespace

FileHandle FileHandle::openForReading(const std::filesystem::path& path) {
    // Non-blocking, so that a FIFO cannot stall the open; only regular files are read.
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw FileError("cannot open " + Utf8Of(path) + ": " + std::strerror(errno));
    FileHandle file(fd, Utf8Of(path));
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        throw FileError("cannot open " + Utf8Of(path) + ": " + std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        throw FileError("cannot open " + Utf8Of(path) + ": " +
                        (S_ISDIR(status.st_mode) ? std::strerror(EISDIR) : "not a regular file"));
    return file;
}

std::uint64_t FileHandle::size() const {
    struct stat status {};
    if (::fstat(fdOf(m_native), &status) != 0)
        throw FileError("cannot read " + m_path + ": " + std::strerror(errno));
    return static_cast<std::uint64_t>(status.st_size);
}

std::size_t FileHandle::readUpTo(std::uint64_t offset, void* out, std::size_t length) const {
    auto* bytes = static_cast<unsigned char*>(out);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::pread(fdOf(m_native), bytes + done, length - done, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw FileError("cannot read " + m_path + ": " + std::strerror(errno));
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return done;
}

IoResult FileHandle::writeAt(std::uint64_t offset,
                             std::span<const std::span<const std::uint8_t>> parts) const {
    constexpr std::size_t MaxParts = 4;
    iovec vectors[MaxParts];
    int count = 0;
    for (const auto& part : parts.first(std::min(parts.size(), MaxParts)))
        vectors[count++] = {const_cast<std::uint8_t*>(part.data()), part.size()};
    for (;;) {
        const ssize_t n = ::pwritev(fdOf(m_native), vectors, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {0, errno};
        return {static_cast<std::uint64_t>(n), n == 0 ? ENOSPC : 0};
    }
}

std::optional<IoResult> FileHandle::copyFrom(const FileHandle& source, std::uint64_t sourceOffset,
                                             std::uint64_t offset, std::uint64_t length) const {
    auto in = static_cast<off_t>(sourceOffset);
    auto out = static_cast<off_t>(offset);
    for (;;) {
        const ssize_t n = ::copy_file_range(fdOf(source.m_native), &in, fdOf(m_native), &out,
                                            static_cast<std::size_t>(length), 0);
        if (n >= 0)
            return IoResult{static_cast<std::uint64_t>(n), 0};
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)
            return std::nullopt;
        return IoResult{0, errno};
    }
}

int FileHandle::resize(std::uint64_t size) const {
    return ::ftruncate(fdOf(m_native), static_cast<off_t>(size)) == 0 ? 0 : errno;
}

int FileHandle::close() {
    if (m_native == Closed)
        return 0;
    const int result = ::close(fdOf(std::exchange(m_native, Closed)));
    return result == 0 || errno == EINTR ? 0 : errno;
}

std::string FileHandle::errorText(int error) {
    return std::strerror(error);
}

} // namespace plexifold::files
