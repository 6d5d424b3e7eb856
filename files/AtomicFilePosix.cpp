#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "AtomicFileSystem.h"
#include "FileError.h"
#include "PathText.h"

namespace plexifold::files {
namespace {

std::filesystem::path folderOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

// An unnamed file is linked in through its /proc entry (linkat with AT_EMPTY_PATH would
// need a privilege), so it is used only where /proc is there.
bool unnamedFilesUsable(bool namedOnly) {
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable && !namedOnly;
}

// Written as a file with no name in the target's folder (O_TMPFILE) and linked in by
// commit(): at the target when nothing is there, else under a temporary name
// (".NAME.XXXXXX") renamed over the target. Where the file system cannot make unnamed
// files, the temporary name is used from the start. Permissions follow the umask.
// Temporary names are used relative to the folder, held open, so that they are removed
// even when the folder moves meanwhile.
class PosixFile final : public AtomicFile::System {
public:
    explicit PosixFile(const std::filesystem::path& target);
    ~PosixFile() override;

    void commit() override;

private:
    bool openUnnamed();
    void openNamed();
    void openFolder();
    bool linkAtTarget();
    void linkUnderTemporaryName();
    void closeFile();
    [[noreturn]] void fail(int error) const { failWriting(m_target, error); }
    int folderFd() const { return static_cast<int>(nativeOf(m_folder)); }

    std::filesystem::path m_target;
    std::string m_name;      // the target's file name
    FileHandle m_folder;     // opened for temporary names only
    std::string m_temporary; // the temporary name in the folder; "" while the file has none
    std::string m_procPath;  // "/proc/self/fd/N" of an unnamed file
    bool m_committed = false;
};

PosixFile::PosixFile(const std::filesystem::path& target)
    : m_target(target), m_name(target.filename().native()) {
    if (m_name.empty())
        fail(EISDIR);
    if (!openUnnamed())
        openNamed();
}

PosixFile::~PosixFile() {
    if (!m_committed && !m_temporary.empty())
        ::unlinkat(folderFd(), m_temporary.c_str(), 0);
}

void PosixFile::commit() {
    if (m_temporary.empty()) {
        if (linkAtTarget()) {
            try {
                closeFile();
            } catch (const FileError&) {
                ::unlink(m_target.c_str()); // published already: it must not stay there
                throw;
            }
            m_committed = true;
            return;
        }
        openFolder();
        linkUnderTemporaryName();
    }
    closeFile();
    if (::renameat(folderFd(), m_temporary.c_str(), folderFd(), m_name.c_str()) != 0)
        fail(errno);
    m_committed = true;
}

bool PosixFile::openUnnamed() {
    if (!unnamedFilesUsable(namedFilesOnly()))
        return false;
    int fd;
    do
        fd = ::open(folderOf(m_target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        m_file = adopt(fd, Utf8Of(m_target));
        m_procPath = "/proc/self/fd/" + std::to_string(fd);
        return true;
    }
    // Kernels and file systems without unnamed files say so in one of these ways.
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)
        return false;
    fail(errno);
}

void PosixFile::openNamed() {
    openFolder();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = "." + m_name + "." + randomSuffix();
        const int fd =
            ::openat(folderFd(), name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_file = adopt(fd, Utf8Of(m_target));
            m_temporary = name;
            return;
        }
        if (errno != EEXIST && errno != EINTR)
            fail(errno);
    }
    fail(EEXIST);
}

void PosixFile::openFolder() {
    const int fd = ::open(folderOf(m_target).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        fail(errno);
    m_folder = adopt(fd, Utf8Of(folderOf(m_target)));
}

// Links the unnamed file at the target; false when something is there already.
bool PosixFile::linkAtTarget() {
    if (::linkat(AT_FDCWD, m_procPath.c_str(), AT_FDCWD, m_target.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != EEXIST)
        fail(errno);
    return false;
}

void PosixFile::linkUnderTemporaryName() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = "." + m_name + "." + randomSuffix();
        if (::linkat(AT_FDCWD, m_procPath.c_str(), folderFd(), name.c_str(), AT_SYMLINK_FOLLOW) ==
            0) {
            m_temporary = name;
            return;
        }
        if (errno != EEXIST)
            fail(errno);
    }
    fail(EEXIST);
}

void PosixFile::closeFile() {
    if (const int error = m_file.close())
        fail(error);
}

} // namespace

std::unique_ptr<AtomicFile::System>
AtomicFile::System::create(const std::filesystem::path& target) {
    return std::make_unique<PosixFile>(target);
}

} // namespace plexifold::files
