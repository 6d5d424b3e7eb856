#pragma once

#include <filesystem>
#include <vector>

namespace plexifold::fuzz {

/// Writes small TIFF files of every kind the fuzz targets should start from into
/// `folder`: each compression, both byte orders, BigTIFF, tiles, planes, several
/// pages, EXIF and GPS directories, SubIFDs, blobs and private tags, old-style JPEG,
/// looping chains and strips that overlap at will.
/// Returns the paths written.
std::vector<std::filesystem::path> writeSeedCorpus(const std::filesystem::path& folder);

} // namespace plexifold::fuzz
