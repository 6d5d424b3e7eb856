#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// File names compared and matched without regard to letter case, with no locale:
// each character is folded to lower case by a small table that covers the Latin,
// Greek, Cyrillic and Armenian letters and the full-width Latin ones.
namespace plexifold {

/// The characters of a file name, each folded. Bytes that are not UTF-8 (on
/// systems whose names are bytes) stay distinct characters of their own.
std::u32string FoldedName(const std::filesystem::path& name);

/// The characters of UTF-8 text, each folded.
std::u32string FoldedText(std::string_view utf8);

/// Whether `name` matches `pattern`, both folded: "*" stands for any run of
/// characters, none included, "?" for any one character.
bool WildcardMatch(std::u32string_view name, std::u32string_view pattern);

} // namespace plexifold
