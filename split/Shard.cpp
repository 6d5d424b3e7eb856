#include "Shard.h"

#include <charconv>

#include "PageNaming.h"

namespace plexifold {
namespace {

bool parseCount(std::string_view text, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

} // namespace

std::uint64_t Fnv1a64(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

bool Shard::parse(const std::string& text, std::string& error) {
    const std::size_t slash = text.find('/');
    const std::string_view all = text;
    if (slash == std::string::npos || !parseCount(all.substr(0, slash), index) ||
        !parseCount(all.substr(slash + 1), count) || count == 0 || index >= count) {
        error = "the shard '" + text + "' is not K/N with 0 <= K < N";
        return false;
    }
    return true;
}

bool Shard::holds(const std::filesystem::path& path) const {
    return count <= 1 || Fnv1a64(Utf8Of(path)) % count == index;
}

} // namespace plexifold
