#pragma once

#include <atomic>
#include <filesystem>
#include <vector>

#include "CommandLine.h"

namespace plexifold::cli {

/// --check: compares the page files of `files` with their pages and prints each page's
/// state. Files that are page files of another of `files` are taken as outputs, not
/// sources. `missing` paths named nothing. Returns the exit status.
int checkAll(const std::vector<std::filesystem::path>& files, const Options& options,
             std::size_t missing, const std::atomic<bool>& stopRequested);

} // namespace plexifold::cli
