#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "AtomicFile.h"

// What each system's side of AtomicFile provides (AtomicFilePosix.cpp, AtomicFileWin32.cpp)
// and the parts they share.
namespace plexifold::files {

class AtomicFile::System {
public:
    /// The system's own kind, created for `target`. Throws FileError.
    static std::unique_ptr<System> create(const std::filesystem::path& target);

    virtual ~System() = default;

    /// Closes the file and puts it at the target. Throws FileError.
    virtual void commit() = 0;

    const FileHandle& file() const { return m_file; }

protected:
    /// Six random letters and digits for a temporary name.
    static std::string randomSuffix();
    /// True when temporary names are to be used from the start (useNamedFilesForTesting).
    static bool namedFilesOnly();
    [[noreturn]] static void failWriting(const std::filesystem::path& target, int error);

    static FileHandle adopt(std::intptr_t native, std::string path) {
        return FileHandle(native, std::move(path));
    }
    static std::intptr_t nativeOf(const FileHandle& file) { return file.m_native; }

    FileHandle m_file;
};

} // namespace plexifold::files
