#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace plexifold::imaging {

// The bytes the page files of one source may add up to, shared by all its pages (and
// threads). Far above what real files need, it keeps a small damaged or hostile file from
// filling the disk with pages that each stay within their own limit.
class OutputBudget {
public:
    explicit OutputBudget(std::uint64_t limit) : m_limit(limit) {}

    // Bytes taken from the budget for one page file, given back unless kept.
    class Share {
    public:
        Share(OutputBudget& budget, std::uint64_t bytes) : m_budget(budget), m_bytes(bytes) {}
        ~Share() {
            if (m_bytes != 0)
                m_budget.m_used.fetch_sub(m_bytes);
        }
        Share(const Share&) = delete;
        Share& operator=(const Share&) = delete;

        /// The page file was written: its bytes stay counted.
        void keep() { m_bytes = 0; }

    private:
        OutputBudget& m_budget;
        std::uint64_t m_bytes;
    };

    /// Takes `bytes` from the budget. Throws TiffError ("page 812: the pages would be more
    /// than 4 times the size of the file itself") when they do not fit; `context` starts it.
    [[nodiscard]] Share take(std::uint64_t bytes, const std::string& context);

private:
    const std::uint64_t m_limit;
    std::atomic<std::uint64_t> m_used{0};
};

} // namespace plexifold::imaging
