#pragma once

#include <filesystem>
#include <memory>

#include "FileHandle.h"

namespace plexifold::files {

// A new file that appears at its target only when complete. It is written in the target's
// folder, without a name or under a temporary one, and put at the target by commit(),
// replacing what is there in one step. Until commit() the target is untouched; a file not
// committed leaves nothing behind. How is the file layer's business (AtomicFilePosix.cpp,
// AtomicFileWin32.cpp).
class AtomicFile {
public:
    /// Creates the file. Throws FileError ("cannot write TARGET: reason").
    explicit AtomicFile(const std::filesystem::path& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// The file, open for writing.
    const FileHandle& file() const;
    const std::filesystem::path& target() const { return m_target; }

    /// Closes the file and puts it at the target. Throws FileError.
    void commit();

    /// Makes new AtomicFiles use a temporary name from the start, as where unnamed files
    /// are not supported (Linux); Windows always uses one.
    static void useNamedFilesForTesting(bool named);

    /// One system's way of making the file (AtomicFileSystem.h).
    class System;

private:
    std::filesystem::path m_target;
    std::unique_ptr<System> m_system;
};

} // namespace plexifold::files
