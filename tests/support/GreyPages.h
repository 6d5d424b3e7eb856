#pragma once

#include <cstdint>
#include <filesystem>

// Multipage files made and read with RawTiff, for tests that run without libtiff.
namespace plexifold::test {

/// Writes `pageCount` grey pages of `side` x `side` pixels in one strip, whose pixels differ
/// from page to page.
void writeGreyPages(const std::filesystem::path& path, int pageCount, std::uint32_t side = 16);

/// How many directories the chain of `path` holds; -1 when the file is missing or damaged.
int countPages(const std::filesystem::path& path);

} // namespace plexifold::test
