#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plexifold {

// Which pages of a file are written: "1-3,7,-1" takes pages 1 to 3, 7 and the last. Numbers
// count from 1; a negative number counts from the end (-1 the last page). Empty: every page.
class PageSelection {
public:
    /// Reads `text`; false, with `error` set, when it is not such a list.
    bool parse(const std::string& text, std::string& error);

    bool all() const { return m_ranges.empty(); }

    /// The pages (ascending, each once) of a file of `total` pages; false, with `reason`
    /// set, when the list names a page the file does not have.
    bool resolve(std::int32_t total, std::vector<std::int32_t>& pages, std::string& reason) const;

private:
    struct Range {
        std::int64_t first;
        std::int64_t last;
        std::string text;
    };

    std::vector<Range> m_ranges;
};

} // namespace plexifold
