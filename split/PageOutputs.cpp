#include "PageOutputs.h"

#include <exception>

#include "PageImageDocument.h"
#include "PageNaming.h"

namespace plexifold {
namespace {

using Native = std::filesystem::path::string_type;
using Char = Native::value_type;

bool isDigit(Char c) {
    return c >= Char('0') && c <= Char('9');
}

// The page number of digits that fit an int32 page; nothing for any other text.
std::optional<std::int32_t> pageNumber(const Native& digits) {
    if (digits.empty() || digits.size() > 9)
        return std::nullopt;
    std::int32_t number = 0;
    for (const Char c : digits) {
        if (!isDigit(c))
            return std::nullopt;
        number = number * 10 + static_cast<std::int32_t>(c - Char('0'));
    }
    return number > 0 ? std::optional(number) : std::nullopt;
}

} // namespace

std::filesystem::path DefaultPageNames::pagePath(const std::filesystem::path& source,
                                                 std::int32_t total, std::int32_t page) const {
    return PageFilePath(source, total, page);
}

// "<base>_page_<digits>[.<extension>]" comes from "<base>[.<extension>]".
std::vector<PageGuess> DefaultPageNames::guess(const std::filesystem::path& file) const {
    const Native base = BaseNameOf(file).native();
    const Native suffix = PageSuffix(std::filesystem::path()).native();
    const std::size_t digitsEnd = base.size();
    std::size_t digitsStart = digitsEnd;
    while (digitsStart > 0 && isDigit(base[digitsStart - 1]))
        --digitsStart;
    if (digitsStart < suffix.size() ||
        base.compare(digitsStart - suffix.size(), suffix.size(), suffix) != 0)
        return {};
    const auto page = pageNumber(base.substr(digitsStart));
    const Native stem = base.substr(0, digitsStart - suffix.size());
    if (!page || stem.empty())
        return {};
    Native source = FolderOf(file).native() + stem;
    if (const Native extension = ExtensionOf(file).native(); !extension.empty())
        source += Char('.') + extension;
    return {{source, *page}};
}

PageOutputs::PageOutputs(const PageNames& names, IsListed isListed, CountPages countPages)
    : m_names(names), m_isListed(std::move(isListed)), m_countPages(std::move(countPages)) {}

std::optional<std::filesystem::path> PageOutputs::sourceOf(const std::filesystem::path& file) {
    for (const PageGuess& guess : m_names.guess(file)) {
        if (guess.source == file || !m_isListed(guess.source))
            continue;
        const auto total = sourcePages(guess.source);
        if (!total || *total < guess.page ||
            m_names.pagePath(guess.source, *total, guess.page) != file)
            continue;
        if (m_countPages(file) == 1)
            return guess.source;
    }
    return std::nullopt;
}

std::optional<std::int32_t> PageOutputs::sourcePages(const std::filesystem::path& source) {
    const auto [at, added] = m_counts.try_emplace(source.native());
    if (added)
        at->second = m_countPages(source);
    return at->second;
}

std::optional<std::int32_t> PageOutputs::CountTiffPages(const std::filesystem::path& path) {
    try {
        imaging::PageImageDocument document;
        if (document.LoadFile(path))
            return document.PageCount();
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

} // namespace plexifold
