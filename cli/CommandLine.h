#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace plexifold::cli {

struct Options {
    std::vector<std::filesystem::path> paths;
    bool dryRun = false;
    bool verify = false;             // read each page file back before it appears
    bool check = false;              // compare the page files there are, write nothing
    std::filesystem::path checksums; // the manifest to write, or with check to compare with
    bool quiet = false;
    bool help = false;
    bool version = false;
};

/// Reads the arguments after the program name, each in the system's own form; the paths
/// among them are kept exactly. False, with `error` set, on a usage error.
bool parseCommandLine(const std::vector<std::filesystem::path>& arguments, Options& options,
                      std::string& error);

/// The text --help prints.
std::string usageText();

/// The files named by `paths`: a file as given, a folder's "*.tif;*.tiff" files as
/// the window lists them. A path that is neither goes to `missing`.
std::vector<std::filesystem::path> expandPaths(const std::vector<std::filesystem::path>& paths,
                                               std::vector<std::filesystem::path>& missing);

} // namespace plexifold::cli
