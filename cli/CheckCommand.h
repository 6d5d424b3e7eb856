#pragma once

#include <atomic>
#include <filesystem>
#include <vector>

#include "CommandLine.h"
#include "SplitBatch.h"

namespace plexifold::cli {

/// --check: compares the page files of `files` with their pages, found where a split with
/// the same options puts them, and prints each page's state (or, with --json, a record a
/// file). A page file beside its source is taken as its output, not a source, by the rule
/// a split follows. Returns the exit status.
int checkAll(FileSource& files, const Options& options, const std::atomic<bool>& stopRequested);

} // namespace plexifold::cli
