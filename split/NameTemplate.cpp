#include "NameTemplate.h"

#include <array>
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
    return PathFromUtf8(std::string(utf8)).native();
}

Native asciiNative(const std::string& text) {
    return Native(text.begin(), text.end());
}

} // namespace

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

} // namespace plexifold
