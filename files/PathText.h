#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Paths as text and text as paths. Text is
// UTF-8; a path stays in the system's own form, so that it names its file exactly.
// Nothing here throws on a name the system allows.
namespace plexifold::files {

/// The path as UTF-8 text, for display: the one place a path becomes text. What UTF-8
/// cannot hold (an unpaired UTF-16 surrogate on Windows, bytes that are not UTF-8 on
/// Linux) becomes U+FFFD.
std::string Utf8Of(const std::filesystem::path& path);

/// The path that UTF-8 text names; Utf8Of read back. On Linux the bytes are kept as they
/// are; on Windows a malformed sequence becomes U+FFFD.
std::filesystem::path PathFromUtf8(std::string_view text);

/// UTF-8 of UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);

/// UTF-16 of UTF-8 text; a malformed sequence becomes U+FFFD.
std::u16string Utf16FromUtf8(std::string_view text);

/// The code points of UTF-8 text. A byte that starts no valid sequence becomes U+DC00 plus
/// the byte, in the surrogate range that UTF-8 never holds, so that different texts keep
/// different code points.
std::u32string CodePointsOfUtf8(std::string_view text);

/// The code points of UTF-16 text, an unpaired surrogate kept as itself.
std::u32string CodePointsOfUtf16(std::u16string_view text);

/// The code points of a path: of its UTF-16 on Windows, of its bytes on Linux.
std::u32string CodePointsOf(const std::filesystem::path& path);

/// UTF-8 of code points; a surrogate or a value past U+10FFFF becomes U+FFFD.
std::string Utf8FromCodePoints(std::u32string_view codePoints);

} // namespace plexifold::files
