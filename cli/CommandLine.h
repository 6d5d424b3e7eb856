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
    bool json = false;               // results as JSON Lines on stdout, messages on stderr
    bool recursive = false;          // folders with their subfolders
    std::filesystem::path filesFrom; // a list of paths, "-" for stdin; "" none
    bool nullSeparated = false;
    Shard shard;
    std::filesystem::path base; // what file paths mirror under outputDir; "": working folder
    unsigned jobs = 1;
    bool verify = false;             // read each page file back before it appears
    bool check = false;              // compare the page files there are, write nothing
    std::filesystem::path checksums; // the manifest to write, or with check to compare with
    SplitOptions split;              // outputRoot, name, pages, ifExists, dryRun, verify
};

/// Reads the arguments after the program name, each in the system's own form; the paths
/// among them are kept exactly. False, with `error` set, on a usage error.
bool parseCommandLine(const std::vector<std::filesystem::path>& arguments, Options& options,
                      std::string& error);

/// The text --help prints.
std::string usageText();

} // namespace plexifold::cli
