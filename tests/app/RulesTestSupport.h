#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#endif

#include "FileList.h"
#include "PageNaming.h"
#include "PathText.h"

// Small helpers shared by the tests of the window's rules.
namespace plexifold::test {

inline const std::string kPrompt = "Select a folder with '.TIF' files";
inline const std::string kWarning = "This folder does not contain '.TIF' files";

/// The display text of `path`, as the window shows it.
inline std::string text(const std::filesystem::path& path) {
    return files::Utf8Of(path);
}

/// Creates empty files with the given names (UTF-8) in `folder`.
inline void touchFiles(const std::filesystem::path& folder, const std::vector<std::string>& names) {
    for (const auto& name : names)
        std::ofstream(folder / files::PathFromUtf8(name)).put('\0');
}

/// Creates an empty file that folder lists leave out: a leading dot hides it on Linux, its
/// hidden attribute on Windows.
inline void touchHiddenFile(const std::filesystem::path& folder, const std::string& name) {
    touchFiles(folder, {name});
#ifdef _WIN32
    SetFileAttributesW((folder / files::PathFromUtf8(name)).c_str(), FILE_ATTRIBUTE_HIDDEN);
#endif
}

/// The names the list holds, in its order.
inline std::vector<std::string> names(const FileList& list) {
    std::vector<std::string> result;
    for (int i = 0; i < list.count(); ++i)
        result.push_back(files::Utf8Of(list.name(i)));
    return result;
}

} // namespace plexifold::test
