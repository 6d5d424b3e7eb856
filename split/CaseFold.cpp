#include "CaseFold.h"

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

// Bytes that start no valid sequence become code points of the low surrogate range,
// which UTF-8 never holds, so that such names still compare and sort consistently.
constexpr char32_t kStrayByte = 0xDC00;

std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Decodes one UTF-8 sequence at `text[i]`; 0 as length when it is not valid.
std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t& c) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = sequenceLength(lead);
    if (length == 0 || i + length > text.size())
        return 0;
    c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (next & 0x3F);
    }
    const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
    const bool invalid = c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF);
    return overlong || invalid ? 0 : length;
}

#ifdef _WIN32
std::u32string foldedUtf16(std::wstring_view text) {
    std::u32string folded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char16_t>(text[i]);
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair)
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(text[++i]) - 0xDC00);
        folded += fold(c);
    }
    return folded;
}
#endif

} // namespace

std::u32string FoldedText(std::string_view utf8) {
    std::u32string folded;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        std::size_t length = decodeUtf8(utf8, i, c);
        if (length == 0) {
            c = kStrayByte + static_cast<unsigned char>(utf8[i]);
            length = 1;
        }
        folded += fold(c);
        i += length;
    }
    return folded;
}

std::u32string FoldedName(const std::filesystem::path& name) {
#ifdef _WIN32
    return foldedUtf16(name.native());
#else
    return FoldedText(name.native());
#endif
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
