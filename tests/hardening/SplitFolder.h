#pragma once

#include <string>
#include <vector>

// The names splitting leaves in a folder.
namespace plexifold::test {

/// The names in `folder` (hidden ones too, sub-folders with a trailing "/"), sorted.
std::vector<std::string> folderEntries(const std::string& folder);

/// The name of page `page` (from 1) of a `total`-page file "BASE.EXT".
std::string pageFileName(const std::string& base, const std::string& extension, int total,
                         int page);

} // namespace plexifold::test
