#include <windows.h>

#include "FileError.h"
#include "FileHandle.h"
#include "OutputTree.h"
#include "PathText.h"
#include "SystemPath.h"

namespace plexifold::files {
namespace {

bool isReparsePoint(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

} // namespace

ExistingFile existingFileAt(const std::filesystem::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(systemPath(path).c_str(), GetFileExInfoStandard, &data))
        return {};
    if (isReparsePoint(data.dwFileAttributes))
        return {ExistingFile::Link};
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {ExistingFile::Other};
    return {ExistingFile::Regular,
            (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
}

// Each step is made, then looked at without following it: a reparse point fails.
void makeFoldersBeneath(const std::filesystem::path& root, const std::filesystem::path& subfolder) {
    std::error_code ignored;
    std::filesystem::create_directories(root, ignored);
    std::filesystem::path reached = root;
    std::filesystem::path steps = subfolder;
    for (auto step = steps.begin();; ++step) {
        const DWORD attributes = GetFileAttributesW(systemPath(reached).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            throw FileError("cannot make the folder " + Utf8Of(reached) + ": " +
                            systemErrorText(GetLastError()));
        if (reached != root && isReparsePoint(attributes))
            throw FileError(Utf8Of(reached) + " is a symbolic link");
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            throw FileError(Utf8Of(reached) + " is not a folder");
        if (step == steps.end())
            return;
        reached /= *step;
        if (!CreateDirectoryW(systemPath(reached).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            throw FileError("cannot make the folder " + Utf8Of(reached) + ": " +
                            systemErrorText(GetLastError()));
    }
}

} // namespace plexifold::files
