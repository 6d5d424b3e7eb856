#pragma once

#include <filesystem>
#include <vector>

namespace plexifold::fuzz {

/// Writes small TIFF files of every kind the fuzz targets should start from into
/// `folder`: each compression, both byte orders, BigTIFF, tiles, planes, several
/// pages, and hand-made pages with EXIF, SubIFD and out-of-line private entries.
/// Returns the paths written.
std::vector<std::filesystem::path> writeSeedCorpus(const std::filesystem::path& folder);

} // namespace plexifold::fuzz
