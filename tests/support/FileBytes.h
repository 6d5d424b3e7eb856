#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace plexifold::test {

/// The whole content of a file.
std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path);

/// Writes `bytes` to `path`, replacing it; missing folders on the way are made.
void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
void writeFileBytes(const std::filesystem::path& path, std::string_view bytes);

} // namespace plexifold::test
