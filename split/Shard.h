#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace plexifold {

/// FNV-1a, 64 bits, of `bytes`.
std::uint64_t Fnv1a64(std::string_view bytes);

// One of N parts of a list, the same on every system and in every order of the list: a path
// belongs to part K when the FNV-1a 64 hash of its UTF-8 text, as given, modulo N is K.
struct Shard {
    std::uint64_t index = 0;
    std::uint64_t count = 1;

    /// Reads "K/N" with 0 <= K < N; false, with `error` set, otherwise.
    bool parse(const std::string& text, std::string& error);

    bool holds(const std::filesystem::path& path) const;
};

} // namespace plexifold
