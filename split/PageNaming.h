#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// Names of the page files written beside a source file: the pages of a 12-page
// "/scans/doc.tif" are "/scans/doc_page_01.tif" ... "/scans/doc_page_12.tif".
// Paths stay in the system's own form throughout; text is UTF-8.
namespace plexifold {

/// The file name after the last separator, or "" when the path ends in one or is empty.
std::filesystem::path FileTitleOf(const std::filesystem::path& path);

/// The path up to and including its last separator, or "" when it has no file name.
std::filesystem::path FolderOf(const std::filesystem::path& path);

/// The text after the first "." of the file name, or "" when the name has none.
std::filesystem::path ExtensionOf(const std::filesystem::path& path);

/// The file name before its first ".".
std::filesystem::path BaseNameOf(const std::filesystem::path& path);

/// The base name followed by "_page_".
std::filesystem::path PageSuffix(const std::filesystem::path& baseName);

/// `page` in decimal, zero-filled to as many digits as `total` has.
std::string PageNumberText(std::int32_t total, std::int32_t page);

/// The full path of page `page` (from 1) of a `total`-page source file.
std::filesystem::path PageFilePath(const std::filesystem::path& path, std::int32_t total,
                                   std::int32_t page);

} // namespace plexifold
