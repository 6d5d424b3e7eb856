#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What libtiff, the independent reader, sees in a file.
namespace plexifold::test {

/// The number of directories libtiff reads, or -1 when it cannot open the file.
int libtiffDirectoryCount(const std::string& path);

/// The raw (undecoded) bytes of every strip or tile of directory `directory`
/// (from 0); empty when libtiff cannot read it.
std::vector<std::vector<std::uint8_t>> libtiffRawData(const std::string& path, int directory);

/// The number of strips or tiles of directory `directory`, and the raw bytes of
/// piece `index` (empty when libtiff cannot read it); for pages too big to read whole.
std::uint32_t libtiffPieceCount(const std::string& path, int directory);
std::vector<std::uint8_t> libtiffRawPiece(const std::string& path, int directory,
                                          std::uint32_t index);

/// The names in `folder` (hidden ones too, sub-folders with a trailing "/"), sorted.
std::vector<std::string> folderEntries(const std::string& folder);

/// The name of page `page` (from 1) of a `total`-page file "BASE.EXT".
std::string pageFileName(const std::string& base, const std::string& extension, int total,
                         int page);

} // namespace plexifold::test
