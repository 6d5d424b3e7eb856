#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace plexifold::imaging {

class FileHandle;

// The one way bytes reach a page file: positioned writes, kernel copies from the source
// and the final size. Every failure becomes TiffError("cannot write PATH: reason"), PATH
// being the file the user asked for. Tests can make writes fail after a number of bytes.
class OutputFile {
public:
    OutputFile(int fd, std::string path);

    /// Writes `length` bytes at `offset`.
    void write(std::uint64_t offset, const void* data, std::size_t length);

    /// Copies up to `length` bytes from `source` at `sourceOffset` to `offset` with
    /// copy_file_range. Returns how many were copied (0: the source ended there), or
    /// nothing when the kernel cannot copy between these two files.
    std::optional<std::uint64_t> copyFrom(const FileHandle& source, std::uint64_t sourceOffset,
                                          std::uint64_t offset, std::uint64_t length);

    /// Sets the size of the file.
    void resize(std::uint64_t size);

    /// Makes every OutputFile fail with `error` once it has written `afterBytes` bytes.
    static void failWritesForTesting(std::uint64_t afterBytes, int error);
    static void stopFailingWritesForTesting();

private:
    std::uint64_t allowance(std::uint64_t wanted) const;
    [[noreturn]] void fail(int error) const;

    int m_fd;
    std::string m_path;
    std::uint64_t m_written = 0;
};

} // namespace plexifold::imaging
