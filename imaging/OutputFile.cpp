#include "OutputFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <utility>

#include "FileHandle.h"
#include "TiffError.h"

namespace plexifold::imaging {
namespace {

std::atomic<std::uint64_t> faultAfter{UINT64_MAX};
std::atomic<int> faultError{0};

} // namespace

OutputFile::OutputFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}

void OutputFile::write(std::uint64_t offset, const void* data, std::size_t length) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (length > 0) {
        const auto allowed = static_cast<std::size_t>(allowance(length));
        const ssize_t n = ::pwrite(m_fd, bytes, allowed, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n == 0 ? ENOSPC : errno);
        bytes += n;
        offset += static_cast<std::uint64_t>(n);
        length -= static_cast<std::size_t>(n);
        m_written += static_cast<std::uint64_t>(n);
    }
}

std::optional<std::uint64_t> OutputFile::copyFrom(const FileHandle& source,
                                                  std::uint64_t sourceOffset, std::uint64_t offset,
                                                  std::uint64_t length) {
    auto in = static_cast<off_t>(sourceOffset);
    auto out = static_cast<off_t>(offset);
    for (;;) {
        const auto allowed = static_cast<std::size_t>(allowance(length));
        const ssize_t n = ::copy_file_range(source.fd(), &in, m_fd, &out, allowed, 0);
        if (n >= 0) {
            m_written += static_cast<std::uint64_t>(n);
            return static_cast<std::uint64_t>(n);
        }
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)
            return std::nullopt;
        fail(errno);
    }
}

void OutputFile::resize(std::uint64_t size) {
    allowance(0); // setting the size counts as a write, for the fault hook
    if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0)
        fail(errno);
}

void OutputFile::failWritesForTesting(std::uint64_t afterBytes, int error) {
    faultError = error;
    faultAfter = afterBytes;
}

void OutputFile::stopFailingWritesForTesting() {
    faultAfter = UINT64_MAX;
}

std::uint64_t OutputFile::allowance(std::uint64_t wanted) const {
    constexpr std::uint64_t MaxOneCall = std::uint64_t{1} << 30;
    const std::uint64_t limit = faultAfter.load();
    if (limit != UINT64_MAX && m_written >= limit)
        fail(faultError.load());
    std::uint64_t allowed = wanted < MaxOneCall ? wanted : MaxOneCall;
    if (limit != UINT64_MAX && allowed > limit - m_written)
        allowed = limit - m_written;
    return allowed;
}

void OutputFile::fail(int error) const {
    throw TiffError("cannot write " + m_path + ": " + std::strerror(error));
}

} // namespace plexifold::imaging
