#include "CaseFold.h"

#include "PathText.h"

namespace plexifold {
namespace {

// A run of capitals whose small letters lie `offset` further on; with `step` 2 the
// run alternates capital and small letter, starting with a capital.
struct FoldRange {
    char32_t first;
    char32_t last;
    char32_t offset;
    char32_t step;
};

constexpr FoldRange kFolds[] = {
    {U'A', U'Z', 32, 1},    {0xC0, 0xD6, 32, 1},    {0xD8, 0xDE, 32, 1},     {0x100, 0x137, 1, 2},
    {0x139, 0x148, 1, 2},   {0x14A, 0x177, 1, 2},   {0x179, 0x17E, 1, 2},    {0x386, 0x386, 38, 1},
    {0x388, 0x38A, 37, 1},  {0x38C, 0x38C, 64, 1},  {0x38E, 0x38F, 63, 1},   {0x391, 0x3A1, 32, 1},
    {0x3A3, 0x3AB, 32, 1},  {0x3C2, 0x3C2, 1, 1},   {0x400, 0x40F, 80, 1},   {0x410, 0x42F, 32, 1},
    {0x460, 0x481, 1, 2},   {0x48A, 0x4BF, 1, 2},   {0x4D0, 0x52F, 1, 2},    {0x531, 0x556, 48, 1},
    {0x1E00, 0x1E95, 1, 2}, {0x1EA0, 0x1EFF, 1, 2}, {0xFF21, 0xFF3A, 32, 1},
};

char32_t fold(char32_t c) {
    if (c == 0x178)
        return 0xFF; // Ÿ
    for (const FoldRange& range : kFolds)
        if (c >= range.first && c <= range.last && (c - range.first) % range.step == 0)
            return c + range.offset;
    return c;
}

std::u32string folded(std::u32string codePoints) {
    for (char32_t& c : codePoints)
        c = fold(c);
    return codePoints;
}

} // namespace

std::u32string FoldedText(std::string_view utf8) {
    return folded(files::CodePointsOfUtf8(utf8));
}

std::u32string FoldedName(const std::filesystem::path& name) {
    return folded(files::CodePointsOf(name));
}

bool WildcardMatch(std::u32string_view name, std::u32string_view pattern) {
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starAt = std::u32string_view::npos; // the last "*" seen, to fall back to
    std::size_t starName = 0;                       // where the name stood at that "*"
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            starAt = p++;
            starName = n;
        } else if (starAt != std::u32string_view::npos) {
            p = starAt + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

} // namespace plexifold
