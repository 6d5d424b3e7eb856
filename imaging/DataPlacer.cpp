#include "DataPlacer.h"

#include <algorithm>

namespace plexifold::imaging {

void DataPlacer::add(std::uint64_t source, std::uint64_t length) {
    if (length == 0)
        return;
    m_pending.emplace_back(source, source + length);
    // Merging when the pending ranges match the extents in number keeps the work
    // proportional to n log n.
    if (m_pending.size() >= std::max<std::size_t>(std::size_t{1} << 16, m_extents.size()))
        mergePending();
}

void DataPlacer::mergePending() {
    std::sort(m_pending.begin(), m_pending.end());
    std::vector<Span> merged;
    merged.reserve(m_extents.size() + m_pending.size());
    auto a = m_extents.begin();
    auto b = m_pending.begin();
    while (a != m_extents.end() || b != m_pending.end()) {
        const bool fromA = b == m_pending.end() || (a != m_extents.end() && *a < *b);
        const Span next = fromA ? *a++ : *b++;
        if (!merged.empty() &&
            next.first - std::min(next.first, merged.back().second) <= m_joinedGap)
            merged.back().second = std::max(merged.back().second, next.second);
        else
            merged.push_back(next);
    }
    m_extents = std::move(merged);
    m_pending.clear();
    if (m_extents.size() > MaxExtents)
        joinGaps();
}

// Doubles the gap that joins neighbours until at most half of MaxExtents are left.
void DataPlacer::joinGaps() {
    while (m_extents.size() > MaxExtents / 2) {
        m_joinedGap = std::max<std::uint64_t>(1, 2 * m_joinedGap);
        std::size_t kept = 0;
        for (std::size_t i = 1; i < m_extents.size(); ++i) {
            if (m_extents[i].first - m_extents[kept].second <= m_joinedGap)
                m_extents[kept].second = m_extents[i].second;
            else
                m_extents[++kept] = m_extents[i];
        }
        m_extents.resize(kept + 1);
    }
    m_extents.shrink_to_fit();
}

std::vector<DataExtent> DataPlacer::place(std::uint64_t start) {
    mergePending();
    std::vector<DataExtent> placed;
    placed.reserve(m_extents.size());
    std::uint64_t cursor = start;
    for (const auto& [first, end] : m_extents) {
        std::uint64_t output = cursor;
        // Unsigned wrap-around gives the distance modulo 4096 either way.
        if (end - first >= AlignFrom)
            output += (first - cursor) & 4095;
        placed.push_back({first, end - first, output});
        cursor = output + (end - first);
    }
    return placed;
}

std::optional<std::uint64_t> outputOf(std::span<const DataExtent> extents, std::uint64_t start,
                                      std::uint64_t source, std::uint64_t length) {
    const auto after = std::upper_bound(
        extents.begin(), extents.end(), source,
        [](std::uint64_t wanted, const DataExtent& extent) { return wanted < extent.source; });
    const DataExtent* holder = after == extents.begin() ? nullptr : &*std::prev(after);
    const bool inside = holder && source - holder->source < holder->length;
    if (length == 0 && (source == 0 || !inside))
        return source == 0 ? 0 : start;
    if (!inside || length > holder->length - (source - holder->source))
        return std::nullopt;
    return holder->output + (source - holder->source);
}

} // namespace plexifold::imaging
