#include "CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <map>

#include "FileList.h"
#include "Folder.h"
#include "PathText.h"

namespace plexifold::cli {
namespace {

// What the options take as text, read into their types once CLI11 is done.
struct Texts {
    std::vector<std::string> paths;
    std::string outputDir;
    std::string base;
    std::string shard;
    std::string pages;
    std::string name;
    std::string filesFrom;
    std::string checksums;
};

void addOptions(CLI::App& app, Options& options, Texts& texts) {
    app.add_flag("-n,--dry-run", options.dryRun);
    app.add_flag("--verify", options.verify);
    app.add_flag("--check", options.check);
    app.add_option("--checksums", texts.checksums);
    app.add_flag("-q,--quiet", options.quiet);
    app.add_flag("-h,--help", options.help);
    app.add_flag("--version", options.version);
    app.add_flag("--json", options.json);
    app.add_flag("-r,--recursive", options.recursive);
    app.add_option("--files-from", texts.filesFrom);
    app.add_flag("-0,--null", options.nullSeparated);
    app.add_option("--shard", texts.shard);
    app.add_option("-o,--output-dir", texts.outputDir);
    app.add_option("--base", texts.base);
    const std::map<std::string, IfExists> rules{
        {"replace", IfExists::Replace}, {"skip", IfExists::Skip}, {"fail", IfExists::Fail}};
    app.add_option("--if-exists", options.split.ifExists)
        ->transform(CLI::CheckedTransformer(rules, CLI::ignore_case));
    app.add_option("--pages", texts.pages);
    app.add_option("--name", texts.name);
    app.add_option("-j,--jobs", options.jobs)->check(CLI::Range(1u, 256u));
    app.add_option("paths", texts.paths);
}

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

// The option texts in their types; false, with `error` set, for one that does not read.
// Paths are the arguments themselves, so that a name UTF-8 cannot hold keeps its form.
bool readTexts(const Texts& texts, const std::vector<std::filesystem::path>& arguments,
               const std::vector<std::string>& argumentTexts, Options& options,
               std::string& error) {
    options.paths = argumentsOf(texts.paths, arguments, argumentTexts);
    const auto exact = [&](const std::string& text) {
        return text.empty() ? std::filesystem::path()
                            : argumentsOf({text}, arguments, argumentTexts).front();
    };
    options.split.outputRoot = exact(texts.outputDir);
    options.base = exact(texts.base);
    options.filesFrom = exact(texts.filesFrom);
    options.checksums = exact(texts.checksums);
    options.split.dryRun = options.dryRun;
    options.split.verify = options.verify;
    if (options.check && options.dryRun) {
        error = "--check writes nothing already; it does not take --dry-run";
        return false;
    }
    if (!texts.shard.empty() && !options.shard.parse(texts.shard, error))
        return false;
    if (!texts.pages.empty() && !options.split.pages.parse(texts.pages, error))
        return false;
    if (!texts.name.empty()) {
        const std::optional<NameTemplate> name = NameTemplate::parse(texts.name, error);
        if (!name)
            return false;
        options.split.name = *name;
    }
    if (options.nullSeparated && options.filesFrom.empty()) {
        error = "-0, --null goes with --files-from";
        return false;
    }
    return true;
}

} // namespace

bool parseCommandLine(const std::vector<std::filesystem::path>& arguments, Options& options,
                      std::string& error) {
    std::vector<std::string> argumentTexts;
    std::ranges::transform(arguments, std::back_inserter(argumentTexts), files::Utf8Of);
    CLI::App app;
    app.set_help_flag(); // our own help text, below
    app.allow_extras();  // unknown options are reported in our words
    Texts texts;
    addOptions(app, options, texts);
    std::vector<std::string> reversed(argumentTexts.rbegin(), argumentTexts.rend());
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
    if (!readTexts(texts, arguments, argumentTexts, options, error))
        return false;
    if (options.paths.empty() && options.filesFrom.empty() && !options.help && !options.version) {
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
           "  -n, --dry-run         print the page files that would be written, write nothing\n"
           "      --verify          read each page file back and compare it with its page\n"
           "                        before it appears\n"
           "      --check           write nothing: compare the page files there are with\n"
           "                        their pages, each ok, missing or differs\n"
           "      --checksums FILE  write the SHA-256 of each page file to FILE\n"
           "                        (\"<sha256>  <path>\"); with --check, compare with FILE\n"
           "  -q, --quiet           print nothing but errors\n"
           "  -h, --help            show this help\n"
           "      --version         show the version\n"
           "\n"
           "Inputs:\n"
           "  -r, --recursive       folders with their subfolders, depth first\n"
           "      --files-from FILE the paths of FILE, one a line ('-': standard input)\n"
           "  -0, --null            --files-from's paths end in NUL, not a new line\n"
           "      --shard K/N       only the paths whose FNV-1a 64 hash modulo N is K\n"
           "\n"
           "Outputs:\n"
           "  -o, --output-dir DIR  pages under DIR, in the sources' folders relative to\n"
           "                        the folder given or to --base\n"
           "      --base DIR        what listed and given files mirror (default: .)\n"
           "      --if-exists RULE  replace (default), skip or fail a page file there\n"
           "      --pages LIST      only these pages, as in 1-3,7,-1 (-1: the last)\n"
           "      --name TEMPLATE   page file names from {stem} {page} {pages} {ext}\n"
           "                        (default {stem}_page_{page}.{ext})\n"
           "  -j, --jobs N          split N files at once (default 1)\n"
           "      --json            results as JSON Lines on standard output\n"
           "\n"
           "Exit status: 0 every file split or skipped (or every page ok), 1 a file failed\n"
           "(or a page is missing or differs), 2 usage error, 130 interrupted, 143 terminated.\n";
}

} // namespace plexifold::cli
