#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "SplitProgress.h"

namespace plexifold {

// What became of one file beyond the yes or no of SplitFile. Texts are UTF-8.
struct SplitOutcome {
    std::string reason; // why the file failed; "" when it went through
    std::int32_t pagesWritten = 0;
    std::int32_t pagesFailed = 0; // pages that could not be written
    std::uint64_t bytesWritten = 0;
    std::vector<std::string> warnings; // what was left out of pages that were written
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
/// (see PageFilePath) and reports each page to `progress`. True when the file was
/// loaded, had at least one page and every page was saved. A page that cannot be
/// saved is left out and named in the reason, and the pages after it are still
/// written; a file that cannot be read ends at once. The page in work is never
/// left half-written. `stopRequested` is looked at before each page and, by the copier,
/// between blocks of a page's data: a page of many megabytes is given up at once and
/// leaves nothing behind. A page whose file would replace one that `runFiles` holds fails.
bool SplitFile(const std::filesystem::path& path, SplitProgress& progress,
               SplitOutcome* outcome = nullptr, const std::atomic<bool>* stopRequested = nullptr,
               const RunFiles* runFiles = nullptr);

/// The page files that SplitFile would write for `path`, without writing any.
/// False, with the reason, for a file that cannot be split.
bool PlanPageFiles(const std::filesystem::path& path, std::vector<std::filesystem::path>& pageFiles,
                   std::string* reason = nullptr);

} // namespace plexifold
