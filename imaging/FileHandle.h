#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace plexifold::imaging {

// An open file descriptor that closes itself, with the path it was opened from for
// messages. Reads are positioned (pread), so one handle serves any number of readers.
class FileHandle {
public:
    FileHandle() = default;
    FileHandle(int fd, std::string path);
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    /// Opens `path` read-only. Throws TiffError ("cannot open PATH: reason").
    static FileHandle openForReading(const std::filesystem::path& path);

    int fd() const { return m_fd; }
    const std::string& path() const { return m_path; }

    /// The current size of the file. Throws TiffError when it cannot be asked.
    std::uint64_t size() const;

    /// Reads exactly `length` bytes at `offset`. False when the file ends first;
    /// throws TiffError ("cannot read PATH: reason") on an I/O error.
    bool readAt(std::uint64_t offset, void* out, std::size_t length) const;

    /// Reads up to `length` bytes at `offset`, fewer only where the file ends, and returns
    /// how many. Throws TiffError on an I/O error.
    std::size_t readUpTo(std::uint64_t offset, void* out, std::size_t length) const;

    /// Closes the descriptor; returns 0 or the error number close reported.
    int close();

private:
    int m_fd = -1;
    std::string m_path;
};

} // namespace plexifold::imaging
