#pragma once

#include <string>

#include <windows.h>

// The program's one setting in the registry, under a key of the current user
// (an ordinary user cannot write the machine's keys). Each call opens the key and
// closes it again; nothing is kept between calls.
namespace plexifold::win32 {

/// The REG_SZ value `valueName` of `root`\`keyPath`, up to its first NUL (all of it when
/// it has none); "" when the key or the value is missing, the value is of another type,
/// or its data cannot be read.
std::wstring ReadRegistryString(HKEY root, const std::wstring& keyPath,
                                const std::wstring& valueName);

/// Stores `text` unchanged as the REG_SZ value `valueName`, creating the key when missing.
/// Failures are silent: the caller goes on as if the value had been stored.
void WriteRegistryString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                         const std::wstring& text);

} // namespace plexifold::win32
