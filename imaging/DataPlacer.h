#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace plexifold::imaging {

// A stretch of the source that the page file holds once, and where it goes there.
struct DataExtent {
    std::uint64_t source = 0;
    std::uint64_t length = 0;
    std::uint64_t output = 0;
};

// Decides where the image data of a page goes in the page file. Every range handed to
// add() is stored once as part of the union of all of them: ranges that overlap or touch
// join one extent, and each range points into its extent at its own distance from the
// extent's start. Extents follow one another in the order of the source, so the layout
// depends on which bytes are referenced and not on the order of the offset arrays: a
// page file split again comes out byte for byte the same. An extent of at least AlignFrom
// bytes keeps its source offset modulo 4096, which lets the kernel copy whole pages.
//
// Memory stays bounded: past MaxExtents separate extents, neighbours with the smallest
// gaps are joined, gap bytes included. The page then holds bytes no entry refers to,
// never more than the source holds.
class DataPlacer {
public:
    static constexpr std::uint64_t AlignFrom = 64 * 1024;
    static constexpr std::size_t MaxExtents = std::size_t{1} << 18;

    /// Adds `length` bytes at `source`; an empty range takes no room.
    void add(std::uint64_t source, std::uint64_t length);

    /// Places the extents from `start` on, in source order.
    std::vector<DataExtent> place(std::uint64_t start);

private:
    using Span = std::pair<std::uint64_t, std::uint64_t>; // [first, second)

    void mergePending();
    void joinGaps();

    std::vector<Span> m_extents; // sorted, apart by more than m_joinedGap
    std::vector<Span> m_pending;
    std::uint64_t m_joinedGap = 0;
};

/// Where the range at `source` goes in the page file: inside the extent that holds it.
/// An empty range at 0 stays at 0; one outside every extent goes to `start` (the start
/// of the data). Nothing when a range of `length` bytes does not lie in one extent.
std::optional<std::uint64_t> outputOf(std::span<const DataExtent> extents, std::uint64_t start,
                                      std::uint64_t source, std::uint64_t length);

} // namespace plexifold::imaging
