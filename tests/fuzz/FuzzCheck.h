#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

// What every input of the fuzz targets must satisfy, whatever its bytes. The seeds
// and the hostile files go through the same checks in every build.
namespace plexifold::fuzz {

/// The most pages of one input that are saved, to keep each run short.
inline constexpr std::int32_t kMaxPages = 16;

enum class CheckMode {
    Save,      // load, then save each page
    SaveReload // and load each saved page back: one page, which saves again, unchanged
};

/// Writes `data` to a file in `folder`, loads it with PageImageDocument and saves
/// up to kMaxPages of its pages beside it. Returns "" when every guarantee held,
/// otherwise which one broke: a load that fails without a reason, a failed save
/// that changed its target or left a temporary file, an exception other than
/// TiffError, pages that add up to more than 4 times the input plus 64 MiB, a saved
/// page that does not load back as one page or save again into the same bytes. Page
/// files are compared a block at a time, never held whole.
std::string checkInput(const std::uint8_t* data, std::size_t size,
                       const std::filesystem::path& folder, CheckMode mode);

} // namespace plexifold::fuzz
