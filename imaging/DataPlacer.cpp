#include "DataPlacer.h"

namespace plexifold::imaging {

DataPlacer::Place DataPlacer::place(std::uint64_t source, std::uint64_t length,
                                    std::uint64_t runLength) {
    if (length == 0)
        return {source == 0 ? 0 : m_cursor, true};
    if (const auto seen = m_placed.find({source, length}); seen != m_placed.end())
        return {seen->second, true};
    std::uint64_t output = m_cursor;
    // Unsigned wrap-around gives the distance modulo 4096 either way.
    if (source != m_sourceEnd && runLength >= AlignFrom)
        output += (source - m_cursor) & 4095;
    m_cursor = output + length;
    m_sourceEnd = source + length;
    if (m_placed.size() < MaxRemembered)
        m_placed.emplace(std::pair{source, length}, output);
    return {output, false};
}

} // namespace plexifold::imaging
