#include "CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "FileList.h"
#include "PageNaming.h"

namespace plexifold::cli {

bool parseCommandLine(const std::vector<std::string>& arguments, Options& options,
                      std::string& error) {
    CLI::App app;
    app.set_help_flag(); // our own help text, below
    app.allow_extras();  // unknown options are reported in our words
    std::vector<std::string> paths;
    std::string checksums;
    app.add_flag("-n,--dry-run", options.dryRun);
    app.add_flag("--verify", options.verify);
    app.add_flag("--check", options.check);
    app.add_option("--checksums", checksums);
    app.add_flag("-q,--quiet", options.quiet);
    app.add_flag("-h,--help", options.help);
    app.add_flag("--version", options.version);
    app.add_option("paths", paths);
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& failure) {
        error = failure.what();
        return false;
    }
    for (const std::string& extra : app.remaining()) {
        if (extra != "--") { // the mark that ends the options is kept among the extras
            error = "unknown option '" + extra + "'";
            return false;
        }
    }
    std::ranges::transform(paths, std::back_inserter(options.paths), PathFromUtf8);
    if (!checksums.empty())
        options.checksums = PathFromUtf8(checksums);
    if (options.check && options.dryRun) {
        error = "--check writes nothing already; it does not take --dry-run";
        return false;
    }
    if (options.paths.empty() && !options.help && !options.version) {
        error = "no file or folder given";
        return false;
    }
    return true;
}

std::string usageText() {
    return "Usage: plexifold-split [options] PATH...\n"
           "Writes each page of every TIFF file to a file of its own beside it:\n"
           "the pages of a 12-page doc.tif become doc_page_01.tif ... doc_page_12.tif.\n"
           "A PATH is a TIFF file, or a folder whose *.tif and *.tiff files are split.\n"
           "\n"
           "Options:\n"
           "  -n, --dry-run       print the page files that would be written, write nothing\n"
           "      --verify        read each page file back and compare it with its page\n"
           "                      before it appears\n"
           "      --check         write nothing: compare the page files there are with\n"
           "                      their pages, each ok, missing or differs\n"
           "      --checksums FILE  write the SHA-256 of each page file to FILE\n"
           "                      (\"<sha256>  <path>\"); with --check, compare with FILE\n"
           "  -q, --quiet         print nothing but errors\n"
           "  -h, --help          show this help\n"
           "      --version       show the version\n"
           "\n"
           "Exit status: 0 every file split (or every page ok), 1 a file failed (or a page\n"
           "is missing or differs), 2 usage error, 130 interrupted.\n";
}

std::vector<std::filesystem::path> expandPaths(const std::vector<std::filesystem::path>& paths,
                                               std::vector<std::filesystem::path>& missing) {
    std::vector<std::filesystem::path> files;
    for (const std::filesystem::path& path : paths) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            FileList list;
            list.setPath(path);
            list.setPattern("*.tif;*.tiff");
            for (int i = 0; i < list.count(); ++i)
                files.push_back(list.filePath(i));
        } else if (std::filesystem::exists(path, error)) {
            files.push_back(path);
        } else {
            missing.push_back(path);
        }
    }
    return files;
}

} // namespace plexifold::cli
