#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace plexifold::files {

// What one system call did: the bytes it moved, or the error it gave (0: none).
// Errors are errno numbers; on Windows, errors the C library has no number for are kept
// as minus the system's own code, so that no reason is lost.
struct IoResult {
    std::uint64_t bytes = 0;
    int error = 0;
};

// An open file that closes itself, with the path it was opened from for messages. Reads
// and writes are positioned, so one handle serves any number of readers. The system's own
// handle stays inside the file layer (FileHandlePosix.cpp, FileHandleWin32.cpp).
class FileHandle {
public:
    FileHandle() = default;
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    /// Opens `path` read-only, regular files only. Throws FileError ("cannot open PATH: reason").
    static FileHandle openForReading(const std::filesystem::path& path);

    bool isOpen() const { return m_native != Closed; }
    const std::string& path() const { return m_path; }

    /// The current size of the file. Throws FileError when it cannot be asked.
    std::uint64_t size() const;

    /// Reads exactly `length` bytes at `offset`. False when the file ends first;
    /// throws FileError ("cannot read PATH: reason") on an I/O error.
    bool readAt(std::uint64_t offset, void* out, std::size_t length) const;

    /// Reads up to `length` bytes at `offset`, fewer only where the file ends, and returns
    /// how many. Throws FileError on an I/O error.
    std::size_t readUpTo(std::uint64_t offset, void* out, std::size_t length) const;

    /// Writes some of `parts`, one after the other from `offset`, in one system call.
    IoResult writeAt(std::uint64_t offset,
                     std::span<const std::span<const std::uint8_t>> parts) const;

    /// Copies up to `length` bytes from `source` at `sourceOffset` to `offset` inside the
    /// system (0 bytes: the source ended there). Nothing when the system cannot copy
    /// between these two files.
    std::optional<IoResult> copyFrom(const FileHandle& source, std::uint64_t sourceOffset,
                                     std::uint64_t offset, std::uint64_t length) const;

    /// Makes the file `size` bytes long; returns the error, 0 on success.
    int resize(std::uint64_t size) const;

    /// Closes the file; returns 0 or the error closing reported.
    int close();

    /// The system's text for an error of IoResult.
    static std::string errorText(int error);

private:
    friend class AtomicFile;
    static constexpr std::intptr_t Closed = -1;

    FileHandle(std::intptr_t native, std::string path);

    std::intptr_t m_native = Closed; // a descriptor, or a Windows handle
    std::string m_path;
};

} // namespace plexifold::files
