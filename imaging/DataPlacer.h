#pragma once

#include <cstdint>
#include <unordered_map>

namespace plexifold::imaging {

// Decides where each copied range of image data goes in the page file. Ranges follow
// one another; a range that continues the previous one in the source continues it in
// the page file too, so that the copy can be one. A run of at least AlignFrom bytes (one
// range, or many small strips or tiles that follow one another in the source) starts at the
// same offset modulo 4096 as in the source, which lets the kernel copy whole pages.
// A range placed before (tiles sharing one blank tile) is not placed again: both point at
// the one copy.
class DataPlacer {
public:
    static constexpr std::uint64_t AlignFrom = 64 * 1024;
    static constexpr std::size_t MaxRemembered = std::size_t{1} << 16;

    struct Place {
        std::uint64_t offset = 0;
        bool repeated = false; // the range was placed before and is not copied again
    };

    explicit DataPlacer(std::uint64_t start) : m_cursor(start) {}

    /// Where `length` bytes found at `source` go in the page file; `runLength` is the length
    /// of the source-contiguous run the range starts. An empty range takes no room (and
    /// keeps offset 0 when it had it).
    Place place(std::uint64_t source, std::uint64_t length, std::uint64_t runLength);

    /// The end of the last range placed.
    std::uint64_t end() const { return m_cursor; }

private:
    struct RangeHash {
        std::size_t operator()(const std::pair<std::uint64_t, std::uint64_t>& range) const {
            return std::hash<std::uint64_t>()(range.first * 0x9e3779b97f4a7c15ULL ^ range.second);
        }
    };

    std::uint64_t m_cursor;
    std::uint64_t m_sourceEnd = UINT64_MAX;
    std::unordered_map<std::pair<std::uint64_t, std::uint64_t>, std::uint64_t, RangeHash> m_placed;
};

} // namespace plexifold::imaging
