#include "SystemPath.h"

#include <cerrno>
#include <windows.h>

#include "PathText.h"

namespace plexifold::files {
namespace {

struct ErrorNumber {
    DWORD code;
    int error;
};

constexpr ErrorNumber errorNumbers[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},      {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_INVALID_DRIVE, ENOENT},       {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_ACCESS_DENIED, EACCES},       {ERROR_SHARING_VIOLATION, EACCES},
    {ERROR_LOCK_VIOLATION, EACCES},      {ERROR_WRITE_PROTECT, EROFS},
    {ERROR_DISK_FULL, ENOSPC},           {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_FILE_EXISTS, EEXIST},         {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},   {ERROR_OUTOFMEMORY, ENOMEM},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE}, {ERROR_FILE_TOO_LARGE, EFBIG},
    {ERROR_DIRECTORY, ENOTDIR},          {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
};

} // namespace

std::wstring systemPath(const std::filesystem::path& path, bool absolute) {
    const std::wstring& given = path.native();
    if (given.starts_with(LR"(\\?\)") || given.starts_with(LR"(\\.\)"))
        return given;
    // GetFullPathNameW, not std::filesystem::absolute, which takes "\\server" for a
    // folder of the current drive.
    constexpr std::size_t Limit = MAX_PATH - 12; // leaves room for a file name of 8.3
    const DWORD size = ::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (size == 0 || (size < Limit && !absolute))
        return given;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return given;
    full.resize(length);
    if (full.size() < Limit)
        return full;
    if (full.starts_with(LR"(\\)"))
        return LR"(\\?\UNC\)" + full.substr(2);
    return LR"(\\?\)" + full;
}

int systemError(unsigned long code, const std::filesystem::path& path) {
    if (code == ERROR_ACCESS_DENIED && !path.empty()) {
        const DWORD attributes = ::GetFileAttributesW(systemPath(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return EISDIR;
    }
    for (const ErrorNumber& known : errorNumbers)
        if (known.code == code)
            return known.error;
    return -static_cast<int>(code);
}

std::string systemErrorText(unsigned long code) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring wide = length > 0 ? std::wstring(text, length) : std::wstring();
    ::LocalFree(text);
    while (!wide.empty() && (wide.back() == L'.' || iswspace(wide.back())))
        wide.pop_back();
    if (wide.empty())
        return "Windows error " + std::to_string(code);
    return Utf8FromUtf16({reinterpret_cast<const char16_t*>(wide.data()), wide.size()});
}

} // namespace plexifold::files
