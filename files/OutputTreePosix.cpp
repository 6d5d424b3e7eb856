#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileError.h"
#include "FileHandle.h"
#include "OutputTree.h"
#include "PathText.h"

namespace plexifold::files {
namespace {

// A descriptor that closes itself.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

[[noreturn]] void fail(const std::filesystem::path& folder, int error) {
    if (error == ELOOP)
        throw FileError(Utf8Of(folder) + " is a symbolic link");
    if (error == ENOTDIR)
        throw FileError(Utf8Of(folder) + " is not a folder");
    throw FileError("cannot make the folder " + Utf8Of(folder) + ": " +
                    FileHandle::errorText(error));
}

} // namespace

ExistingFile existingFileAt(const std::filesystem::path& path) {
    struct stat status = {};
    if (::lstat(path.c_str(), &status) != 0)
        return {};
    if (S_ISLNK(status.st_mode))
        return {ExistingFile::Link};
    if (!S_ISREG(status.st_mode))
        return {ExistingFile::Other};
    return {ExistingFile::Regular, static_cast<std::uint64_t>(status.st_size)};
}

void makeFoldersBeneath(const std::filesystem::path& root, const std::filesystem::path& subfolder) {
    std::error_code ignored;
    std::filesystem::create_directories(root, ignored);
    Descriptor folder(::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd() < 0)
        fail(root, errno);
    std::filesystem::path reached = root;
    for (const std::filesystem::path& step : subfolder) {
        reached /= step;
        if (::mkdirat(folder.fd(), step.c_str(), 0777) != 0 && errno != EEXIST)
            fail(reached, errno);
        Descriptor next(
            ::openat(folder.fd(), step.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (next.fd() < 0) {
            // With O_PATH a link is opened as itself and then is no folder.
            const int error = errno;
            struct stat status = {};
            const bool link =
                ::fstatat(folder.fd(), step.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(status.st_mode);
            fail(reached, link ? ELOOP : error);
        }
        folder = std::move(next);
    }
}

} // namespace plexifold::files
