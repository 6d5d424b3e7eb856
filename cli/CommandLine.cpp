#include "CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "FileList.h"
#include "Folder.h"
#include "PathText.h"

namespace plexifold::cli {

namespace {

// The arguments that `texts` were read from, each taken once: a name that UTF-8 cannot hold
// keeps its exact form.
std::vector<std::filesystem::path> argumentsOf(const std::vector<std::string>& texts,
                                               const std::vector<std::filesystem::path>& arguments,
                                               const std::vector<std::string>& argumentTexts) {
    std::vector<bool> taken(arguments.size(), false);
    std::vector<std::filesystem::path> paths;
    for (const std::string& text : texts) {
        std::size_t i = 0;
        while (i < arguments.size() && (taken[i] || argumentTexts[i] != text))
            ++i;
        if (i == arguments.size()) {
            paths.push_back(files::PathFromUtf8(text));
        } else {
            taken[i] = true;
            paths.push_back(arguments[i]);
        }
    }
    return paths;
}

} // namespace

bool parseCommandLine(const std::vector<std::filesystem::path>& arguments, Options& options,
                      std::string& error) {
    std::vector<std::string> texts;
    std::ranges::transform(arguments, std::back_inserter(texts), files::Utf8Of);
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
    std::vector<std::string> reversed(texts.rbegin(), texts.rend());
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
    options.paths = argumentsOf(paths, arguments, texts);
    if (!checksums.empty())
        options.checksums = files::PathFromUtf8(checksums);
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
    std::vector<std::filesystem::path> found;
    for (const std::filesystem::path& path : paths) {
        if (files::IsFolder(path)) {
            FileList list;
            list.setPath(path);
            list.setPattern(kTiffPattern);
            for (int i = 0; i < list.count(); ++i)
                found.push_back(list.filePath(i));
        } else if (files::Exists(path)) {
            found.push_back(path);
        } else {
            missing.push_back(path);
        }
    }
    return found;
}

} // namespace plexifold::cli
