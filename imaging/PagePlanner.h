#pragma once

#include <cstddef>

#include "PagePlan.h"

namespace plexifold::imaging {

class TiffSource;

/// Plans the single-page file of page `page` (from 0) of `source`: which directories and
/// values it holds, where each goes, and whether it must be a BigTIFF file (more than
/// 4 GiB, or 8-byte values TIFF cannot hold). Reads and checks the page's structure and
/// the extent of all its data; throws TiffError with the reason when the page cannot be
/// copied.
PagePlan planPage(const TiffSource& source, std::size_t page);

} // namespace plexifold::imaging
