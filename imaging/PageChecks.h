#pragma once

#include "PagePlan.h"

namespace plexifold::imaging {

class TiffSource;

/// Checks the page's own entries as libtiff does before it reads a page: its size, its
/// samples, its strips or tiles and the values they may take. Throws TiffError (starting
/// with `plan.context`) with the reason when no reader would open the page file written
/// from it: "page 2: ImageWidth is 0", "page 2: BitsPerSample differs from sample to sample".
void checkPageEntries(const TiffSource& source, const PagePlan& plan);

} // namespace plexifold::imaging
