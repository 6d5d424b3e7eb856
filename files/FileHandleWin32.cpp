#include "FileHandle.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <windows.h>

#include "FileError.h"
#include "PathText.h"
#include "SystemPath.h"

namespace plexifold::files {
namespace {

constexpr std::size_t MaxOneCall = std::size_t{1} << 30;

HANDLE handleOf(std::intptr_t native) {
    return reinterpret_cast<HANDLE>(native);
}

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED overlapped{};
    overlapped.Offset = static_cast<DWORD>(offset);
    overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return overlapped;
}

[[noreturn]] void failWith(const char* what, const std::string& path, int error) {
    throw FileError(std::string(what) + " " + path + ": " + FileHandle::errorText(error));
}

} // namespace

FileHandle FileHandle::openForReading(const std::filesystem::path& path) {
    // Others may read the file meanwhile, and delete or rename it, as on Linux.
    const HANDLE handle =
        ::CreateFileW(systemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        failWith("cannot open", Utf8Of(path), systemError(::GetLastError(), path));
    FileHandle file(reinterpret_cast<std::intptr_t>(handle), Utf8Of(path));
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        throw FileError("cannot open " + Utf8Of(path) + ": not a regular file");
    return file;
}

std::uint64_t FileHandle::size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handleOf(m_native), &size))
        failWith("cannot read", m_path, systemError(::GetLastError()));
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::size_t FileHandle::readUpTo(std::uint64_t offset, void* out, std::size_t length) const {
    auto* bytes = static_cast<unsigned char*>(out);
    std::size_t done = 0;
    while (done < length) {
        OVERLAPPED overlapped = at(offset);
        DWORD n = 0;
        const auto wanted = static_cast<DWORD>(std::min(length - done, MaxOneCall));
        if (!::ReadFile(handleOf(m_native), bytes + done, wanted, &n, &overlapped)) {
            if (::GetLastError() == ERROR_HANDLE_EOF)
                break;
            failWith("cannot read", m_path, systemError(::GetLastError()));
        }
        if (n == 0)
            break;
        done += n;
        offset += n;
    }
    return done;
}

IoResult FileHandle::writeAt(std::uint64_t offset,
                             std::span<const std::span<const std::uint8_t>> parts) const {
    const auto part = std::find_if(parts.begin(), parts.end(), [](auto p) { return !p.empty(); });
    if (part == parts.end())
        return {};
    OVERLAPPED overlapped = at(offset);
    DWORD n = 0;
    const auto wanted = static_cast<DWORD>(std::min(part->size(), MaxOneCall));
    if (!::WriteFile(handleOf(m_native), part->data(), wanted, &n, &overlapped))
        return {0, systemError(::GetLastError())};
    return {n, n == 0 ? ENOSPC : 0};
}

std::optional<IoResult> FileHandle::copyFrom(const FileHandle&, std::uint64_t, std::uint64_t,
                                             std::uint64_t) const {
    return std::nullopt; // Windows copies whole files only
}

int FileHandle::resize(std::uint64_t size) const {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFileInformationByHandle(handleOf(m_native), FileEndOfFileInfo, &end, sizeof end))
        return systemError(::GetLastError());
    return 0;
}

int FileHandle::close() {
    if (m_native == Closed)
        return 0;
    return ::CloseHandle(handleOf(std::exchange(m_native, Closed))) ? 0
                                                                    : systemError(::GetLastError());
}

std::string FileHandle::errorText(int error) {
    return error >= 0 ? std::strerror(error) : systemErrorText(static_cast<DWORD>(-error));
}

} // namespace plexifold::files
