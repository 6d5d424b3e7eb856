#pragma once

#include <cstdint>

#include "PagePlan.h"

namespace plexifold::imaging {

class TiffSource;

/// Reads the directory at `pageOffset` into `plan.directories` and, recursively, the
/// SubIFDs, EXIF, GPS and Interoperability directories it points at. Entries come sorted
/// by tag; entries of an unknown type, repeated tags and FreeOffsets/FreeByteCounts are
/// left out. An entry the image does not need whose value lies past the end of the file,
/// and a damaged EXIF, GPS or Interoperability directory, are left out with a warning in
/// `plan.warnings`. Throws TiffError (starting with `plan.context`) for such damage to
/// what the image needs, a page or SubIFD directory that cannot be read, a loop, or more
/// nesting or directories than allowed.
void readDirectoryTree(const TiffSource& source, std::uint64_t pageOffset, PagePlan& plan);

} // namespace plexifold::imaging
