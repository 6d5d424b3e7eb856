#include "PathText.h"

namespace plexifold::files {

std::string Utf8Of(const std::filesystem::path& path) {
    return Utf8FromCodePoints(CodePointsOf(path));
}

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::string(text));
}

std::u32string CodePointsOf(const std::filesystem::path& path) {
    return CodePointsOfUtf8(path.native());
}

} // namespace plexifold::files
