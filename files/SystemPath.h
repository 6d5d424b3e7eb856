#pragma once

#include <filesystem>
#include <string>

// Helpers of the Windows file layer.
namespace plexifold::files {

/// `path` as the wide functions take it: made absolute and given the "\\?\" prefix when it
/// is too long for the classic limit of 260 characters, else as given or, with `absolute`,
/// made absolute.
std::wstring systemPath(const std::filesystem::path& path, bool absolute = false);

/// A Windows error as the number FileHandle reports: the C library's errno where it has
/// one, else minus the Windows code. Access to a folder `path` is refused as "Is a directory".
int systemError(unsigned long code, const std::filesystem::path& path = {});

/// The system's text for a Windows error code, as UTF-8 without the closing full stop.
std::string systemErrorText(unsigned long code);

} // namespace plexifold::files
