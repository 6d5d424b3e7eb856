#include "Shard.h"
#include "PathText.h"

#include <charconv>
#include <type_traits>

#include "PageNaming.h"

namespace plexifold {
namespace {

bool parseCount(std::string_view text, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// The bytes of the path as given on Linux (its UTF-8 when it is UTF-8), its UTF-8 on Windows.
template <typename Native>
std::string hashedText(const Native& native, const std::filesystem::path& path) {
    if constexpr (std::is_same_v<Native, std::string>)
        return native;
    else
        return files::Utf8Of(path);
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
    return count <= 1 || Fnv1a64(hashedText(path.native(), path)) % count == index;
}

} // namespace plexifold
