#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PagePlan.h"

namespace plexifold::imaging {

class TiffSource;

/// Reads the directory at `pageOffset` and, recursively, the SubIFDs, EXIF, GPS and
/// Interoperability directories it points at. Entries come sorted by tag; entries of an
/// unknown type, repeated tags and FreeOffsets/FreeByteCounts are left out. Throws
/// TiffError (starting with `context`) for a value past the end of the file, a
/// directory that cannot be read, a loop, or more nesting or directories than allowed.
std::vector<PlannedDirectory> readDirectoryTree(const TiffSource& source, std::uint64_t pageOffset,
                                                const std::string& context);

} // namespace plexifold::imaging
