#pragma once

#include <filesystem>

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

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    int m_fd = -1;
    bool m_committed = false;
};

} // namespace plexifold::imaging
