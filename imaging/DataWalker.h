#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "PagePlan.h"

namespace plexifold::imaging {

class DataPlacer;
class TiffSource;

// A range of image data: where it is in the source and where it goes in the page file.
struct DataRange {
    std::uint64_t source = 0;
    std::uint64_t length = 0;
    std::uint64_t output = 0;
    bool repeated = false; // placed before: nothing to copy
};

// Walks every strip, tile, JPEG stream and table of a planned page in chunks, checks that
// each lies inside the source and places it after the plan's dataStart. Planning and
// writing walk the same way, so both see the same places.
class DataWalker {
public:
    /// Gets the group, the index of the chunk's first item and the chunk's ranges.
    using Visitor =
        std::function<void(const DataGroup&, std::uint64_t, std::span<const DataRange>)>;

    DataWalker(const TiffSource& source, const PagePlan& plan);

    /// Hands every chunk to `visit` and returns the end of the data. Throws TiffError
    /// ("page 5: strip 3 lies past the end of the file").
    std::uint64_t walk(const Visitor& visit);

private:
    void walkGroup(const DataGroup& group, DataPlacer& placer, const Visitor& visit);
    /// The length of the source-contiguous run each of the `n` ranges starts, within the
    /// chunk: many small strips in a row are aligned like one large one.
    static void measureRuns(const std::uint64_t* offsets, const std::uint64_t* lengths,
                            std::size_t n, std::uint64_t* runs);
    std::uint64_t tableLength(const DataGroup& group, std::uint64_t offset,
                              std::uint64_t index) const;
    [[noreturn]] void pastEnd(const DataGroup& group, std::uint64_t index) const;

    const TiffSource& m_source;
    const PagePlan& m_plan;
};

} // namespace plexifold::imaging
