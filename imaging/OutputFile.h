#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plexifold::files {
class FileHandle;
}

namespace plexifold::imaging {

// The one way bytes reach a page file: positioned writes, kernel copies from the source
// and the final size. Every failure becomes TiffError("cannot write PATH: reason"), PATH
// being the file the user asked for. Tests can make writes fail after a number of bytes.
//
// Small writes are staged in memory and reach the file in few system calls: the head of
// the file (header, directories, values) when a size for it is given, and a run of
// adjacent small pieces of data; finish() writes what is staged.
class OutputFile {
public:
    /// The most bytes staged beside the head.
    static constexpr std::size_t StagingSize = 1024 * 1024;
    /// The most head bytes staged.
    static constexpr std::uint64_t MaxHeadSize = 1024 * 1024;

    /// `file` must be a new, empty file open for writing.
    OutputFile(const files::FileHandle& file, std::string path);

    /// Stages bytes [0, size) in memory, when size is at most MaxHeadSize. Call before
    /// anything is written.
    void stageHead(std::uint64_t size);

    /// Memory standing for the first bytes of `length` bytes at `offset`: the part that
    /// lies in the staged head, or all of them when they fit in the staging buffer. Empty
    /// when they are to go to the file at once. Filled memory reaches the file at finish().
    std::span<std::uint8_t> stage(std::uint64_t offset, std::uint64_t length);

    /// Writes `length` bytes at `offset`, staged where stage() takes them.
    void write(std::uint64_t offset, const void* data, std::size_t length);

    /// Copies up to `length` bytes from `source` at `sourceOffset` to `offset` inside the
    /// system. Returns how many were copied (0: the source ended there), or
    /// nothing when the system cannot copy between these two files. The bytes must not
    /// lie in the staged head.
    std::optional<std::uint64_t> copyFrom(const files::FileHandle& source,
                                          std::uint64_t sourceOffset, std::uint64_t offset,
                                          std::uint64_t length);

    /// Writes what is staged and makes the file `size` bytes long.
    void finish(std::uint64_t size);

    /// Makes every OutputFile fail with `error` once it has written `afterBytes` bytes.
    static void failWritesForTesting(std::uint64_t afterBytes, int error);
    static void stopFailingWritesForTesting();

private:
    using Part = std::span<const std::uint8_t>;

    void writeNow(std::uint64_t offset, Part* parts, int count);
    void flushStaged();
    void wrote(std::uint64_t offset, std::uint64_t length);
    std::uint64_t allowance(std::uint64_t wanted) const;
    [[noreturn]] void fail(int error) const;

    const files::FileHandle& m_file;
    std::string m_path;
    std::uint64_t m_written = 0;
    std::uint64_t m_end = 0; // the end of the bytes written or staged so far
    std::vector<std::uint8_t> m_head;
    std::uint64_t m_stagedAt = 0;
    std::vector<std::uint8_t> m_staged;
};

} // namespace plexifold::imaging
