#include "PageSelection.h"

#include <algorithm>
#include <charconv>
#include <ranges>
#include <string_view>

namespace plexifold {
namespace {

constexpr std::int64_t kMaxPage = 2147483647;

// One page number, optionally negative; false when `text` is none or is 0.
bool parseNumber(std::string_view text, std::int64_t& number) {
    const bool negative = text.starts_with('-');
    const std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty() || !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || number == 0 ||
        number > kMaxPage)
        return false;
    number = negative ? -number : number;
    return true;
}

// "5" or "-1" alone, or a range "2-4", "-3--1", "2--1".
bool parseItem(std::string_view item, std::int64_t& first, std::int64_t& last) {
    const std::size_t dash = item.find('-', 1);
    if (dash == std::string_view::npos) {
        if (!parseNumber(item, first))
            return false;
        last = first;
        return true;
    }
    if (!parseNumber(item.substr(0, dash), first) || !parseNumber(item.substr(dash + 1), last))
        return false;
    // Numbers of the same sign are ordered here; a mix depends on the file.
    return (first < 0) != (last < 0) || first <= last;
}

std::int64_t pageOf(std::int64_t number, std::int32_t total) {
    return number > 0 ? number : total + 1 + number;
}

} // namespace

bool PageSelection::parse(const std::string& text, std::string& error) {
    m_ranges.clear();
    for (const auto part : std::views::split(text, ',')) {
        const std::string_view item(part.begin(), part.end());
        Range range{0, 0, std::string(item)};
        if (!parseItem(item, range.first, range.last)) {
            error = "the page list '" + text + "' does not read at '" + range.text +
                    "' (pages as in 1-3,7,-1)";
            m_ranges.clear();
            return false;
        }
        m_ranges.push_back(std::move(range));
    }
    return true;
}

bool PageSelection::resolve(std::int32_t total, std::vector<std::int32_t>& pages,
                            std::string& reason) const {
    pages.clear();
    if (all()) {
        for (std::int32_t page = 1; page <= total; ++page)
            pages.push_back(page);
        return true;
    }
    for (const Range& range : m_ranges) {
        const std::int64_t first = pageOf(range.first, total);
        const std::int64_t last = pageOf(range.last, total);
        if (first < 1 || last > total || first > last) {
            const bool one = range.first == range.last;
            reason = (one ? "page " : "pages ") + range.text + (one ? " is" : " are") +
                     " not among the file's " + std::to_string(total) + " pages";
            return false;
        }
        for (std::int64_t page = first; page <= last; ++page)
            pages.push_back(static_cast<std::int32_t>(page));
    }
    std::ranges::sort(pages);
    const auto repeated = std::ranges::unique(pages);
    pages.erase(repeated.begin(), repeated.end());
    return true;
}

} // namespace plexifold
