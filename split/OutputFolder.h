#pragma once

#include <cstdint>
#include <filesystem>

// The folders and names under an output folder, where nothing is reached through a symbolic link.
namespace plexifold {

/// What stands at a path, its last step not followed.
struct ExistingFile {
    enum Kind { None, Regular, Link, Other } kind = None;
    std::uint64_t bytes = 0; // of a regular file
};

ExistingFile ExistingFileAt(const std::filesystem::path& path);

/// Makes `root` (as given, created when missing) and the folders of `subfolder` under it,
/// one step at a time. A step under `root` that is a symbolic link or not a folder is
/// refused: throws std::runtime_error with the reason.
void MakeOutputFolder(const std::filesystem::path& root, const std::filesystem::path& subfolder);

} // namespace plexifold
