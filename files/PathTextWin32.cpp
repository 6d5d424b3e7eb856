#include "PathText.h"

namespace plexifold::files {
namespace {

std::u16string_view utf16Of(const std::filesystem::path& path) {
    const std::wstring& native = path.native();
    return {reinterpret_cast<const char16_t*>(native.data()), native.size()};
}

} // namespace

std::string Utf8Of(const std::filesystem::path& path) {
    return Utf8FromUtf16(utf16Of(path));
}

std::filesystem::path PathFromUtf8(std::string_view text) {
    const std::u16string utf16 = Utf16FromUtf8(text);
    return std::wstring(utf16.begin(), utf16.end());
}

std::u32string CodePointsOf(const std::filesystem::path& path) {
    return CodePointsOfUtf16(utf16Of(path));
}

} // namespace plexifold::files
