#include "PageNaming.h"

#include <algorithm>

#include "PathText.h"

namespace plexifold {
namespace {

using Native = std::filesystem::path::string_type;
using Char = Native::value_type;

// Longest file title we hand out, in UTF-16 units; longer names are refused as unnamable.
constexpr std::size_t kMaxTitleLength = 499;

bool isSeparator(Char c) {
    return c == Char('/') || c == std::filesystem::path::preferred_separator;
}

// The index just past the last separator, 0 when there is none.
std::size_t titleStart(const Native& path) {
    const auto last = std::find_if(path.rbegin(), path.rend(), isSeparator);
    return static_cast<std::size_t>(path.rend() - last);
}

// The length of `text` in UTF-16 units, whatever the system's form of a path.
std::size_t utf16Length(const Native& text) {
    const std::u32string codePoints = files::CodePointsOf(text);
    return codePoints.size() + static_cast<std::size_t>(std::ranges::count_if(
                                   codePoints, [](char32_t c) { return c > 0xFFFF; }));
}

Native titleText(const std::filesystem::path& path) {
    const Native& native = path.native();
    Native title = native.substr(titleStart(native));
    return utf16Length(title) > kMaxTitleLength ? Native() : title;
}

} // namespace

std::filesystem::path FileTitleOf(const std::filesystem::path& path) {
    return titleText(path);
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    if (titleText(path).empty())
        return {};
    return path.native().substr(0, titleStart(path.native()));
}

std::filesystem::path ExtensionOf(const std::filesystem::path& path) {
    const Native title = titleText(path);
    const auto dot = title.find(Char('.'));
    return dot == Native::npos ? Native() : title.substr(dot + 1);
}

std::filesystem::path BaseNameOf(const std::filesystem::path& path) {
    const Native title = titleText(path);
    return title.substr(0, title.find(Char('.')));
}

std::filesystem::path PageSuffix(const std::filesystem::path& baseName) {
    Native suffix = baseName.native();
    for (const char c : std::string_view("_page_"))
        suffix += Char(c);
    return suffix;
}

std::string PageNumberText(std::int32_t total, std::int32_t page) {
    std::string digits = std::to_string(static_cast<std::int64_t>(total));
    std::erase(digits, '-');
    const std::string number = std::to_string(page);
    return std::string(number.size() < digits.size() ? digits.size() - number.size() : 0, '0') +
           number;
}

std::filesystem::path PageFilePath(const std::filesystem::path& path, std::int32_t total,
                                   std::int32_t page) {
    const Native extension = ExtensionOf(path).native();
    Native name = FolderOf(path).native() + PageSuffix(BaseNameOf(path)).native();
    for (const char c : PageNumberText(total, page))
        name += Char(c);
    if (!extension.empty())
        name += Char('.') + extension;
    return name;
}

} // namespace plexifold
