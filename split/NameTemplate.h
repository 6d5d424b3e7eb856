#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "PageOutputs.h"

namespace plexifold {

// How a page file is named from its source: a UTF-8 text with the fields {stem} (the source's
// name before its first "."), {ext} (after it), {page} (the page number, zero-filled to the
// digits of the page count) and {pages} (the page count). A "." just before {ext} is left out
// when the source has no extension, so the default gives today's names exactly:
// "a.b.tiff" -> "a_page_1.b.tiff", "scan" -> "scan_page_1".
class NameTemplate {
public:
    static constexpr const char* Default = "{stem}_page_{page}.{ext}";

    NameTemplate();

    /// The template `text`, or nothing with `error` set: it needs {page}, holds no folder
    /// separator and no field other than the four.
    static std::optional<NameTemplate> parse(const std::string& text, std::string& error);

    /// The file name (without folder) of page `page` of a `total`-page `source`.
    std::filesystem::path fileName(const std::filesystem::path& source, std::int32_t total,
                                   std::int32_t page) const;

    /// The sources whose page files could bear the name of `file` beside them, from the
    /// name alone. Without {stem} none; without {ext}, one for each TIFF extension.
    std::vector<PageGuess> guess(const std::filesystem::path& file) const;

    const std::string& text() const { return m_text; }

    struct Pattern; // the name read backwards, made once

private:
    explicit NameTemplate(std::string text);

    std::string m_text;
    std::shared_ptr<const Pattern> m_pattern;
};

// Page files named by a template beside their source, both ways, for PageOutputs.
class TemplatePageNames : public PageNames {
public:
    explicit TemplatePageNames(const NameTemplate& name) : m_name(name) {}

    std::filesystem::path pagePath(const std::filesystem::path& source, std::int32_t total,
                                   std::int32_t page) const override;
    std::vector<PageGuess> guess(const std::filesystem::path& file) const override;

private:
    NameTemplate m_name;
};

} // namespace plexifold
