#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "NameTemplate.h"
#include "PageSelection.h"
#include "SplitProgress.h"

namespace plexifold {

/// What becomes of a page file that is there already.
enum class IfExists {
    Replace, // a complete new file takes its place
    Skip,    // it stays as it is and counts as done
    Fail,    // it stays and the page fails
};

/// One page file written, kept or (in a dry run) planned.
struct PageFile {
    std::int32_t page = 0; // from 1, as in the source
    std::filesystem::path path;
    std::uint64_t bytes = 0;
    bool kept = false; // there already and left alone
};

// What became of one file beyond the yes or no of SplitFile. Texts are UTF-8.
struct SplitOutcome {
    std::string reason;         // why the file failed; "" when it went through
    std::int32_t pageCount = 0; // the source's pages, once it is loaded
    std::int32_t pagesWritten = 0;
    std::int32_t pagesFailed = 0; // pages that could not be written
    std::int32_t pagesKept = 0;   // page files there already, left alone
    std::uint64_t bytesWritten = 0;
    std::vector<std::string> warnings; // what was left out of pages that were written
    std::vector<PageFile> pageFiles;   // in page order
};

/// Where and how one file's pages are written. The default writes every page beside its
/// source under today's names, replacing what is there.
struct SplitSettings {
    std::filesystem::path outputRoot;      // "": pages go beside the source
    std::filesystem::path outputSubfolder; // under outputRoot, made as needed
    NameTemplate name;
    PageSelection pages;
    IfExists ifExists = IfExists::Replace;
    bool dryRun = false; // plan the page files, write nothing
};

/// The files of a run, which a page file never replaces: a user's own "x_page_1.tif" is
/// split, not overwritten by page 1 of "x.tif".
class RunFiles {
public:
    virtual ~RunFiles() = default;
    /// True when `path` is one of the run's files, done or still to come.
    virtual bool holds(const std::filesystem::path& path) const = 0;
};

/// Writes every page of the TIFF file at `path` to a file of its own beside it
/// (see PageFilePath), or as `settings` say, and reports each page to `progress`. True
/// when the file was loaded, had at least one page and every page asked for was saved (or,
/// with IfExists::Skip, kept). A page that cannot be saved is left out and named in the
/// reason, and the pages after it are still written; a file that cannot be read ends at
/// once. The page in work is never left half-written. `stopRequested` is looked at before
/// each page and, by the copier, between blocks of a page's data: a page of many megabytes
/// is given up at once and leaves nothing behind. A page whose file would replace one that
/// `runFiles` holds fails.
bool SplitFile(const std::filesystem::path& path, SplitProgress& progress,
               SplitOutcome* outcome = nullptr, const std::atomic<bool>* stopRequested = nullptr,
               const RunFiles* runFiles = nullptr, const SplitSettings& settings = {});

/// The page files that SplitFile would write for `path`, without writing any.
/// False, with the reason, for a file that cannot be split.
bool PlanPageFiles(const std::filesystem::path& path, std::vector<std::filesystem::path>& pageFiles,
                   std::string* reason = nullptr);

} // namespace plexifold
