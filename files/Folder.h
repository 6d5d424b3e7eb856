#pragma once

#include <filesystem>
#include <optional>
#include <vector>

// Folders as the system has them, at any length of path (FolderPosix.cpp, FolderWin32.cpp).
namespace plexifold::files {

/// True when something (a file, a folder) is at `path`.
bool Exists(const std::filesystem::path& path);

/// True when `path` names an existing folder.
bool IsFolder(const std::filesystem::path& path);

/// The names of the files in `folder` that the system shows: files, or links to files,
/// that are not hidden (on Linux, a name starting with "."; on Windows, the hidden or the
/// system attribute), in the order the system lists them. With `folders`, the names of its
/// folders that are shown and are no links (on Windows, no reparse points) go there. Nothing
/// when the folder cannot be listed.
std::optional<std::vector<std::filesystem::path>>
ShownFilesIn(const std::filesystem::path& folder,
             std::vector<std::filesystem::path>* folders = nullptr);

} // namespace plexifold::files
