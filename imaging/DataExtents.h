#pragma once

#include <cstddef>

#include "PagePlan.h"

namespace plexifold::imaging {

class TiffSource;

/// Mends the extents of image data that readers compute themselves when a file leaves
/// them out or gets them wrong, and notes each in the plan's warnings: the StripByteCounts
/// of a page of one strip (missing, 0, or not fitting uncompressed data), taken from the
/// rows and row size or up to the next structure or the end of the file; and the length of
/// an old-style JPEG stream (missing, 0 or past the end of the file), found by walking its
/// markers to the end-of-image marker. `page` (from 0) is the page planned.
void mendDataExtents(const TiffSource& source, std::size_t page, PagePlan& plan);

} // namespace plexifold::imaging
