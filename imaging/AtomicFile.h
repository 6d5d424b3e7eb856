#pragma once

#include <filesystem>
#include <string>

#include "FileHandle.h"

namespace plexifold::imaging {

// A new file that appears at its target only when complete. It is written as a file with
// no name in the target's folder (O_TMPFILE) and linked in by commit(): at the target when
// nothing is there, else under a temporary name (".NAME.XXXXXX") renamed over the target.
// Where the file system cannot make unnamed files, the temporary name is used from the
// start. Permissions follow the umask. Until commit() the target is untouched; a file
// not committed leaves nothing behind. Temporary names are used relative to the folder,
// held open, so that they are removed even when the folder moves meanwhile.
class AtomicFile {
public:
    /// Creates the file. Throws TiffError ("cannot write TARGET: reason").
    explicit AtomicFile(const std::filesystem::path& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    int fd() const { return m_file.fd(); }
    const std::filesystem::path& target() const { return m_target; }

    /// Closes the file and puts it at the target. Throws TiffError.
    void commit();

    /// Makes new AtomicFiles use a temporary name from the start, as where unnamed files
    /// are not supported.
    static void useNamedFilesForTesting(bool named);

private:
    bool openUnnamed();
    void openNamed();
    void openFolder();
    bool linkAtTarget();
    void linkUnderTemporaryName();
    void closeFile();
    [[noreturn]] void fail(int error) const;

    std::filesystem::path m_target;
    std::string m_name;      // the target's file name
    FileHandle m_folder;     // opened for temporary names only
    std::string m_temporary; // the temporary name in the folder; "" while the file has none
    std::string m_procPath;  // "/proc/self/fd/N" of an unnamed file
    FileHandle m_file;
    bool m_committed = false;
};

} // namespace plexifold::imaging
