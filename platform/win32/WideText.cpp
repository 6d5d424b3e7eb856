#include "WideText.h"

#include "PathText.h"

namespace plexifold::win32 {

// wchar_t is a UTF-16 unit on Windows.
std::wstring WideFromUtf8(std::string_view text) {
    const std::u16string utf16 = files::Utf16FromUtf8(text);
    return {utf16.begin(), utf16.end()};
}

std::string Utf8FromWide(std::wstring_view text) {
    return files::Utf8FromUtf16({reinterpret_cast<const char16_t*>(text.data()), text.size()});
}

} // namespace plexifold::win32
