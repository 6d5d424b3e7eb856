#include "PathText.h"

// The conversions that are the same on every system; PathTextPosix.cpp and
// PathTextWin32.cpp say what a path is.
namespace plexifold::files {
namespace {

constexpr char32_t Replacement = 0xFFFD;
constexpr char32_t StrayByte = 0xDC00;

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

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
    return overlong || c > 0x10FFFF || isSurrogate(c) ? 0 : length;
}

void appendUtf8(std::string& out, char32_t c) {
    if (isSurrogate(c) || c > 0x10FFFF)
        c = Replacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    static constexpr unsigned char leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
    const int length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    out += static_cast<char>(leads[length] | (c >> (6 * (length - 1))));
    for (int k = length - 2; k >= 0; --k)
        out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
}

} // namespace

std::u32string CodePointsOfUtf8(std::string_view text) {
    std::u32string codePoints;
    codePoints.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        std::size_t length = decodeUtf8(text, i, c);
        if (length == 0) {
            c = StrayByte + static_cast<unsigned char>(text[i]);
            length = 1;
        }
        codePoints += c;
        i += length;
    }
    return codePoints;
}

std::u32string CodePointsOfUtf16(std::u16string_view text) {
    std::u32string codePoints;
    codePoints.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        codePoints += c;
    }
    return codePoints;
}

std::string Utf8FromCodePoints(std::u32string_view codePoints) {
    std::string utf8;
    utf8.reserve(codePoints.size());
    for (const char32_t c : codePoints)
        appendUtf8(utf8, c);
    return utf8;
}

std::string Utf8FromUtf16(std::u16string_view text) {
    return Utf8FromCodePoints(CodePointsOfUtf16(text));
}

std::u16string Utf16FromUtf8(std::string_view text) {
    std::u16string utf16;
    utf16.reserve(text.size());
    for (char32_t c : CodePointsOfUtf8(text)) {
        if (isSurrogate(c))
            c = Replacement;
        if (c < 0x10000) {
            utf16 += static_cast<char16_t>(c);
        } else {
            utf16 += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            utf16 += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return utf16;
}

} // namespace plexifold::files
