#include "SystemPath.h"

#include <cerrno>
#include <windows.h>

namespace plexifold::imaging {
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

std::wstring systemPath(const std::filesystem::path& path) {
    std::error_code error;
    std::wstring text = std::filesystem::absolute(path, error).make_preferred().wstring();
    if (error || text.size() < MAX_PATH - 12 || text.starts_with(LR"(\\?\)"))
        return path.wstring();
    if (text.starts_with(LR"(\\)"))
        return LR"(\\?\UNC\)" + text.substr(2);
    return LR"(\\?\)" + text;
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
    const std::u8string utf8 = std::filesystem::path(wide).u8string();
    return {utf8.begin(), utf8.end()};
}

} // namespace plexifold::imaging
