#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace plexifold {

// How a page file is named from its source: a UTF-8 text with the fields {stem} (the source's
// name before its first "."), {ext} (after it), {page} (the page number, zero-filled to the
// digits of the page count) and {pages} (the page count). A "." just before {ext} is left out
// when the source has no extension, so the default gives today's names exactly:
// "a.b.tiff" -> "a_page_1.b.tiff", "scan" -> "scan_page_1".
class NameTemplate {
public:
    static constexpr const char* Default = "{stem}_page_{page}.{ext}";

    NameTemplate() : m_text(Default) {}

    /// The template `text`, or nothing with `error` set: it needs {page}, holds no folder
    /// separator and no field other than the four.
    static std::optional<NameTemplate> parse(const std::string& text, std::string& error);

    /// The file name (without folder) of page `page` of a `total`-page `source`.
    std::filesystem::path fileName(const std::filesystem::path& source, std::int32_t total,
                                   std::int32_t page) const;

    const std::string& text() const { return m_text; }

private:
    explicit NameTemplate(std::string text) : m_text(std::move(text)) {}

    std::string m_text;
};

} // namespace plexifold
