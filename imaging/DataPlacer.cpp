#include "DataPlacer.h"

namespace plexifold::imaging {

std::uint64_t DataPlacer::place(std::uint64_t source, std::uint64_t length) {
    if (length == 0)
        return source == 0 ? 0 : m_cursor;
    std::uint64_t output = m_cursor;
    // Unsigned wrap-around gives the distance modulo 4096 either way.
    if (source != m_sourceEnd && length >= AlignFrom)
        output += (source - m_cursor) & 4095;
    m_cursor = output + length;
    m_sourceEnd = source + length;
    return output;
}

} // namespace plexifold::imaging
