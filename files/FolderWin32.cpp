#include "Folder.h"

#include <string_view>
#include <windows.h>

#include "SystemPath.h"

namespace plexifold::files {
namespace {

constexpr DWORD Unseen = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// A link to a file counts as the file it names, as on Linux.
bool isShownFile(const std::filesystem::path& folder, const WIN32_FIND_DATAW& found) {
    if ((found.dwFileAttributes & (Unseen | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return true;
    const DWORD target = ::GetFileAttributesW(systemPath(folder / found.cFileName).c_str());
    return target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A folder shown that is no link or junction, "." and ".." left out.
bool isShownFolder(const WIN32_FIND_DATAW& found) {
    const std::wstring_view name = found.cFileName;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (found.dwFileAttributes & (Unseen | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
           name != L"." && name != L"..";
}

} // namespace

bool Exists(const std::filesystem::path& path) {
    return ::GetFileAttributesW(systemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(systemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::vector<std::filesystem::path>>
ShownFilesIn(const std::filesystem::path& folder, std::vector<std::filesystem::path>* folders) {
    if (folders)
        folders->clear();
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        ::FindFirstFileExW(systemPath(folder / L"*", true).c_str(), FindExInfoBasic, &found,
                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    std::vector<std::filesystem::path> names;
    if (search == INVALID_HANDLE_VALUE) // a drive's root alone may hold nothing at all
        return ::GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional(names) : std::nullopt;
    do {
        if (isShownFile(folder, found))
            names.emplace_back(found.cFileName);
        else if (folders && isShownFolder(found))
            folders->emplace_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    const DWORD ended = ::GetLastError();
    ::FindClose(search);
    if (ended != ERROR_NO_MORE_FILES)
        return std::nullopt;
    return names;
}

} // namespace plexifold::files
