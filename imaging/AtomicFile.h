#pragma once

#include <filesystem>
#include <string>

namespace plexifold::imaging {

// A new file that appears at its target only when complete: it is written as a
// temporary file beside the target (".NAME.XXXXXX", permissions after the umask) and
// renamed over the target by commit(). Until then the target is untouched; the
// temporary file is removed unless committed.
class AtomicFile {
public:
    /// Creates the temporary file. Throws TiffError ("cannot write TARGET: reason").
    explicit AtomicFile(const std::filesystem::path& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    int fd() const { return m_fd; }
    const std::filesystem::path& target() const { return m_target; }

    /// Closes the temporary file and renames it over the target. Throws TiffError.
    void commit();

private:
    [[noreturn]] void fail(int error) const;
    [[noreturn]] void failAndClose(int error);

    std::filesystem::path m_target;
    std::string m_name;      // the target's file name
    std::string m_temporary; // the temporary file's name, in the same folder
    int m_folder = -1;
    int m_fd = -1;
    bool m_committed = false;
};

} // namespace plexifold::imaging
