#pragma once

#include <cstdint>

namespace plexifold::imaging {

// Decides where each copied range of image data goes in the page file. Ranges follow
// one another; a range that continues the previous one in the source continues it in
// the page file too, so that the copy can be one. A run of at least AlignFrom bytes starts
// at the same offset modulo 4096 as in the source, which lets the kernel copy whole pages.
class DataPlacer {
public:
    static constexpr std::uint64_t AlignFrom = 64 * 1024;

    explicit DataPlacer(std::uint64_t start) : m_cursor(start) {}

    /// The offset in the page file of `length` bytes found at `source`. An empty range
    /// takes no room (and keeps offset 0 when it had it).
    std::uint64_t place(std::uint64_t source, std::uint64_t length);

    /// The end of the last range placed.
    std::uint64_t end() const { return m_cursor; }

private:
    std::uint64_t m_cursor;
    std::uint64_t m_sourceEnd = UINT64_MAX;
};

} // namespace plexifold::imaging
