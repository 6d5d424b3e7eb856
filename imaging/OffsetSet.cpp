#include "OffsetSet.h"

namespace plexifold::imaging {

bool OffsetSet::insert(std::uint64_t offset) {
    std::size_t slot = slotOf(offset);
    while (m_slots[slot] != 0) {
        if (m_slots[slot] == offset)
            return false;
        slot = (slot + 1) & (m_slots.size() - 1);
    }
    m_slots[slot] = offset;
    if (++m_count * 2 > m_slots.size())
        grow();
    return true;
}

bool OffsetSet::contains(std::uint64_t offset) const {
    for (std::size_t slot = slotOf(offset); m_slots[slot] != 0;
         slot = (slot + 1) & (m_slots.size() - 1))
        if (m_slots[slot] == offset)
            return true;
    return false;
}

void OffsetSet::grow() {
    std::vector<std::uint64_t> old(m_slots.size() * 2);
    old.swap(m_slots);
    for (const std::uint64_t offset : old) {
        if (offset == 0)
            continue;
        std::size_t slot = slotOf(offset);
        while (m_slots[slot] != 0)
            slot = (slot + 1) & (m_slots.size() - 1);
        m_slots[slot] = offset;
    }
}

std::size_t OffsetSet::slotOf(std::uint64_t offset) const {
    // A 64-bit mix, so that offsets sharing their low bits spread over the table.
    offset ^= offset >> 33;
    offset *= 0xff51afd7ed558ccdULL;
    offset ^= offset >> 33;
    return static_cast<std::size_t>(offset) & (m_slots.size() - 1);
}

} // namespace plexifold::imaging
