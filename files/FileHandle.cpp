#include "FileHandle.h"

#include <utility>

// What a handle is on every system; the system calls are in FileHandlePosix.cpp and
// FileHandleWin32.cpp.
namespace plexifold::files {

FileHandle::FileHandle(std::intptr_t native, std::string path)
    : m_native(native), m_path(std::move(path)) {}

FileHandle::~FileHandle() {
    close();
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : m_native(std::exchange(other.m_native, Closed)), m_path(std::move(other.m_path)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        close();
        m_native = std::exchange(other.m_native, Closed);
        m_path = std::move(other.m_path);
    }
    return *this;
}

bool FileHandle::readAt(std::uint64_t offset, void* out, std::size_t length) const {
    return readUpTo(offset, out, length) == length;
}

} // namespace plexifold::files
