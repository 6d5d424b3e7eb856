#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plexifold::imaging {

// A set of non-zero file offsets in one flat table (8 to 16 bytes an offset), used to
// notice a chain of directories that comes back on itself.
class OffsetSet {
public:
    /// Adds `offset`, which must not be 0. False when it was there already.
    bool insert(std::uint64_t offset);
    /// True when `offset` was added before.
    bool contains(std::uint64_t offset) const;

    std::size_t size() const { return m_count; }

private:
    void grow();
    std::size_t slotOf(std::uint64_t offset) const;

    std::vector<std::uint64_t> m_slots = std::vector<std::uint64_t>(64);
    std::size_t m_count = 0;
};

} // namespace plexifold::imaging
