#include "NameTemplate.h"
#include "PathText.h"

#include <array>
#include <regex>
#include <string_view>

#include "PageNaming.h"

namespace plexifold {
namespace {

using Native = std::filesystem::path::string_type;

enum class Field { Stem, Ext, Page, Pages, None };

constexpr std::array<std::pair<std::string_view, Field>, 4> kFields{{{"{stem}", Field::Stem},
                                                                     {"{ext}", Field::Ext},
                                                                     {"{page}", Field::Page},
                                                                     {"{pages}", Field::Pages}}};

Field fieldAt(std::string_view text, std::size_t& length) {
    for (const auto& [name, field] : kFields)
        if (text.starts_with(name)) {
            length = name.size();
            return field;
        }
    return Field::None;
}

Native nativeOf(std::string_view utf8) {
    return files::PathFromUtf8(std::string(utf8)).native();
}

Native asciiNative(const std::string& text) {
    return Native(text.begin(), text.end());
}

using Char = Native::value_type;

} // namespace

// The name a template gives, as a pattern that finds its fields again: the stem has no ".",
// the number digits, a "." before {ext} goes with it.
struct NameTemplate::Pattern {
    std::basic_regex<Char> regex;
    int stem = 0; // the group of each field, 0 when the template has none
    int ext = 0;
    int page = 0;
};

namespace {

Native escaped(std::string_view literal) {
    Native text;
    constexpr std::string_view special = "\\^$.|?*+()[]{}";
    for (const Char c : nativeOf(literal)) {
        if (static_cast<std::uint32_t>(c) < 128 &&
            special.find(static_cast<char>(c)) != std::string_view::npos)
            text += Char('\\');
        text += c;
    }
    return text;
}

NameTemplate::Pattern patternOf(std::string_view text) {
    NameTemplate::Pattern pattern;
    Native regex;
    int group = 0;
    std::size_t literal = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t length = 0;
        const Field field = text[i] == '{' ? fieldAt(text.substr(i), length) : Field::None;
        if (field == Field::None)
            continue;
        const bool dotted = field == Field::Ext && i > literal && text[i - 1] == '.';
        regex += escaped(text.substr(literal, i - literal - (dotted ? 1 : 0)));
        ++group;
        if (field == Field::Stem && !pattern.stem)
            pattern.stem = group;
        if (field == Field::Ext && !pattern.ext)
            pattern.ext = group;
        if (field == Field::Page && !pattern.page)
            pattern.page = group;
        if (field == Field::Stem)
            regex += asciiNative("([^.]*)");
        else if (field == Field::Ext)
            regex += asciiNative(dotted ? "(?:\\.(.+))?" : "(.*)");
        else
            regex += asciiNative("([0-9]+)");
        i += length - 1;
        literal = i + 1;
    }
    regex += escaped(text.substr(literal));
    pattern.regex.assign(regex);
    return pattern;
}

std::int32_t pageOfDigits(const Native& digits) {
    if (digits.size() > 9)
        return 0;
    std::int32_t page = 0;
    for (const Char c : digits)
        page = page * 10 + static_cast<std::int32_t>(c - Char('0'));
    return page;
}

} // namespace

NameTemplate::NameTemplate() : m_text(Default) {
    static const auto pattern = std::make_shared<const Pattern>(patternOf(Default));
    m_pattern = pattern;
}

NameTemplate::NameTemplate(std::string text)
    : m_text(std::move(text)), m_pattern(std::make_shared<const Pattern>(patternOf(m_text))) {}

std::optional<NameTemplate> NameTemplate::parse(const std::string& text, std::string& error) {
    bool hasPage = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '/' || text[i] == '\\') {
            error = "the name '" + text + "' holds a folder separator";
            return std::nullopt;
        }
        if (text[i] != '{' && text[i] != '}')
            continue;
        std::size_t length = 0;
        const Field field = fieldAt(std::string_view(text).substr(i), length);
        if (field == Field::None) {
            error = "the name '" + text + "' holds an unknown field at '" + text.substr(i) + "'";
            return std::nullopt;
        }
        hasPage = hasPage || field == Field::Page;
        i += length - 1;
    }
    if (!hasPage) {
        error = "the name '" + text + "' has no {page}";
        return std::nullopt;
    }
    return NameTemplate(text);
}

std::filesystem::path NameTemplate::fileName(const std::filesystem::path& source,
                                             std::int32_t total, std::int32_t page) const {
    const Native stem = BaseNameOf(source).native();
    const Native ext = ExtensionOf(source).native();
    const std::string_view text = m_text;
    Native name;
    std::size_t literal = 0; // start of the text not yet copied
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t length = 0;
        const Field field = text[i] == '{' ? fieldAt(text.substr(i), length) : Field::None;
        if (field == Field::None)
            continue;
        std::size_t end = i;
        if (field == Field::Ext && ext.empty() && end > literal && text[end - 1] == '.')
            --end;
        name += nativeOf(text.substr(literal, end - literal));
        if (field == Field::Stem)
            name += stem;
        else if (field == Field::Ext)
            name += ext;
        else if (field == Field::Page)
            name += asciiNative(PageNumberText(total, page));
        else
            name += asciiNative(std::to_string(total));
        i += length - 1;
        literal = i + 1;
    }
    name += nativeOf(text.substr(literal));
    return name;
}

std::vector<PageGuess> NameTemplate::guess(const std::filesystem::path& file) const {
    const Pattern& pattern = *m_pattern;
    const Native name = FileTitleOf(file).native();
    std::match_results<Native::const_iterator> match;
    if (!pattern.stem || !std::regex_match(name, match, pattern.regex))
        return {};
    const std::int32_t page = pageOfDigits(match[pattern.page].str());
    if (page <= 0)
        return {};
    const Native source = FolderOf(file).native() + match[pattern.stem].str();
    if (pattern.ext) {
        const Native ext = match[pattern.ext].str();
        return {{ext.empty() ? source : source + Char('.') + ext, page}};
    }
    std::vector<PageGuess> guesses;
    for (const char* ext : {".tif", ".tiff", ".TIF", ".TIFF"})
        guesses.push_back({source + asciiNative(ext), page});
    return guesses;
}

std::filesystem::path TemplatePageNames::pagePath(const std::filesystem::path& source,
                                                  std::int32_t total, std::int32_t page) const {
    return FolderOf(source).native() + m_name.fileName(source, total, page).native();
}

std::vector<PageGuess> TemplatePageNames::guess(const std::filesystem::path& file) const {
    if (m_name.text() == NameTemplate::Default)
        return DefaultPageNames().guess(file); // the same, without a pattern
    return m_name.guess(file);
}

} // namespace plexifold
