#pragma once

#include <string>
#include <string_view>

// The window speaks UTF-8 to its rules and UTF-16 to Windows; these two cross over.
namespace plexifold::win32 {

/// UTF-16 of UTF-8 `text`; a malformed sequence becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view text);

/// UTF-8 of UTF-16 `text`; a lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

} // namespace plexifold::win32
