#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "Shard.h"
#include "SplitFile.h"

namespace plexifold::cli {

struct Options {
    std::vector<std::filesystem::path> paths;
    bool dryRun = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    bool json = false;      // results as JSON Lines on stdout, messages on stderr
    bool recursive = false; // folders with their subfolders
    std::string filesFrom;  // a list of paths, "-" for stdin; "" none
    bool nullSeparated = false;
    Shard shard;
    std::filesystem::path base; // what file paths mirror under outputDir; "": working folder
    unsigned jobs = 1;
    SplitSettings split; // outputRoot, name, pages, ifExists, dryRun
};

/// Reads the arguments after the program name (UTF-8). False, with `error` set, on a
/// usage error.
bool parseCommandLine(const std::vector<std::string>& arguments, Options& options,
                      std::string& error);

/// The text --help prints.
std::string usageText();

} // namespace plexifold::cli
