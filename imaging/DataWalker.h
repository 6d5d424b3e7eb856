#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "PagePlan.h"

namespace plexifold::imaging {

class TiffSource;

// A range of image data in the source.
struct DataRange {
    std::uint64_t source = 0;
    std::uint64_t length = 0;
};

// Walks every strip, tile, JPEG stream and table of a planned page in chunks and checks
// that each lies inside the source. Planning and writing walk the same way, so both see
// the same ranges.
class DataWalker {
public:
    /// Gets the group, the index of the chunk's first item and the chunk's ranges.
    using Visitor =
        std::function<void(const DataGroup&, std::uint64_t, std::span<const DataRange>)>;

    DataWalker(const TiffSource& source, const PagePlan& plan);

    /// Hands every chunk of every group to `visit`. Throws TiffError
    /// ("page 5: strip 3 lies past the end of the file").
    void walk(const Visitor& visit);

    /// Hands every chunk of `group` to `visit`.
    void walkGroup(const DataGroup& group, const Visitor& visit);

private:
    std::uint64_t tableLength(const DataGroup& group, std::uint64_t offset,
                              std::uint64_t index) const;
    [[noreturn]] void pastEnd(const DataGroup& group, std::uint64_t index) const;

    const TiffSource& m_source;
    const PagePlan& m_plan;
};

} // namespace plexifold::imaging
