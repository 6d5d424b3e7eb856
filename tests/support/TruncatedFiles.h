#pragma once

#include <vector>

#include "HostileFiles.h"

namespace plexifold::test {

/// A good six-page file cut at 10, 50 and 90 % of its length, in two layouts: each
/// page's data before its directory (as libtiff writes), and all directories first.
/// What each cut leaves follows from where the cut falls: a page whose directory is
/// gone ends the chain, a page whose strip is cut fails.
std::vector<HostileFile> truncatedFiles();

} // namespace plexifold::test
