#pragma once

#include <string>
#include <string_view>

#include <windows.h>

// The shell's folder browser, modal over the window.
namespace plexifold::win32 {

/// Shows the shell's folder browser over `owner` with `prompt` above the tree, which
/// starts at the desktop with nothing chosen and has a box to type a folder into.
/// Returns the chosen folder's full path, or "" on Cancel or when the choice has no
/// file-system path. The calling thread must have initialised COM.
std::wstring BrowseForFolder(HWND owner, const std::wstring& prompt);

/// The folder the shell wrote into `buffer`, up to its first NUL, with a trailing "\"
/// only on a drive's root ("D:\").
std::wstring FolderFromShellPath(std::wstring_view buffer);

} // namespace plexifold::win32
