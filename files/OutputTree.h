#pragma once

#include <cstdint>
#include <filesystem>

// Folders and names under an output folder, where nothing is reached through a symbolic link
// (on Windows, through any reparse point: a link or a junction). OutputTreePosix.cpp,
// OutputTreeWin32.cpp.
namespace plexifold::files {

/// What stands at a path, its last step not followed.
struct ExistingFile {
    enum Kind { None, Regular, Link, Other } kind = None;
    std::uint64_t bytes = 0; // of a regular file
};

ExistingFile existingFileAt(const std::filesystem::path& path);

/// Makes `root` (as given, with its parents, when missing) and then the folders of
/// `subfolder` under it one step at a time, each opened without following a link from the
/// folder above. Throws FileError when a step is a link or not a folder, or cannot be made.
void makeFoldersBeneath(const std::filesystem::path& root, const std::filesystem::path& subfolder);

} // namespace plexifold::files
