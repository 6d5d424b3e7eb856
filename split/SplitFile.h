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

// One page file of a source: written, kept or (in a dry run) planned by SplitFile, or found
// by CheckFile.
struct PageFileRecord {
    enum State { Written, Ok, Missing, Differs };
    std::int32_t page = 0; // from 1, as in the source
    std::filesystem::path path;
    State state = Written;
    std::uint64_t bytes = 0;
    bool kept = false;      // there already and left alone
    std::string sha256;     // with SplitOptions::checksums, of each page file there is
    std::string difference; // Differs: the first difference, "page 3: strip 7 differs ..."
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
    std::vector<PageFileRecord> pages; // each page file written, kept or checked, in page order
};

/// Where and how one file's pages are written, and what a split does beyond writing them.
/// The default writes every page beside its source under today's names, replacing what is
/// there.
struct SplitOptions {
    std::filesystem::path outputRoot;      // "": pages go beside the source
    std::filesystem::path outputSubfolder; // under outputRoot, made as needed
    NameTemplate name;
    PageSelection pages;
    IfExists ifExists = IfExists::Replace;
    bool dryRun = false;    // plan the page files, write nothing
    bool verify = false;    // each page file is read back and compared before it appears
    bool checksums = false; // each page file's SHA-256 goes into its record
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
/// (see PageFilePath), or as `options` say, and reports each page to `progress`. True
/// when the file was loaded, had at least one page and every page asked for was saved (or,
/// with IfExists::Skip, kept). A page that cannot be saved is left out and named in the
/// reason, and the pages after it are still written; a file that cannot be read ends at
/// once. The page in work is never left half-written. `stopRequested` is looked at before
/// each page and, by the copier, between blocks of a page's data: a page of many megabytes
/// is given up at once and leaves nothing behind. A page whose file would replace one that
/// `runFiles` holds fails.
bool SplitFile(const std::filesystem::path& path, SplitProgress& progress,
               SplitOutcome* outcome = nullptr, const std::atomic<bool>* stopRequested = nullptr,
               const RunFiles* runFiles = nullptr, const SplitOptions& options = {});

/// Writes nothing: finds each page file of `path` where SplitFile would write it and
/// compares it with its page, into `outcome.pages`. True when the file was loaded and every
/// page file is there and holds its page; a file that cannot be read fails with the reason.
bool CheckFile(const std::filesystem::path& path, SplitProgress& progress, SplitOutcome& outcome,
               const std::atomic<bool>* stopRequested = nullptr, const SplitOptions& options = {});

/// Where SplitFile puts page `page` (from 1) of a `total`-page `source`.
std::filesystem::path PagePathOf(const SplitOptions& options, const std::filesystem::path& source,
                                 std::int32_t total, std::int32_t page);

/// The page files that SplitFile would write for `path`, without writing any.
/// False, with the reason, for a file that cannot be split.
bool PlanPageFiles(const std::filesystem::path& path, std::vector<std::filesystem::path>& pageFiles,
                   std::string* reason = nullptr);

} // namespace plexifold
