#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace plexifold::test {

/// The whole content of a file.
std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path);

/// Writes `bytes` to `path`, replacing it.
void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

} // namespace plexifold::test
