#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SplitFile.h"

namespace plexifold {

namespace imaging {
class PageImageDocument;
}

// The walk over the pages of one loaded file, writing or checking each. A page's work has a
// head, done in page order on the caller's thread, and a tail (checks, naming the file). For
// pages of some megabytes the tail runs on a thread of its own: a split checks a page while
// it writes the next, a check checks two pages at once. Results are taken in page order. A
// page that fails costs only itself.
class PageRun {
public:
    enum class Mode { Split, Check };

    PageRun(const std::filesystem::path& path, const imaging::PageImageDocument& document,
            SplitProgress& progress, SplitOutcome& outcome, const SplitOptions& options, Mode mode);
    ~PageRun();

    /// A page file is named after its source's file title; a title longer than the system
    /// allows for one gives none, and the page's name would lose its folder.
    static constexpr const char* NameTooLong =
        "its file name would be longer than the system allows";

    /// The `pages` (from 1) in turn; false when one failed or the stop came first. A page
    /// whose file would replace one that `runFiles` holds fails.
    bool run(const std::vector<std::int32_t>& pages, const std::atomic<bool>* stopRequested,
             const RunFiles* runFiles);

private:
    struct Work;

    std::unique_ptr<Work> head(std::int32_t index);
    std::unique_ptr<Work> splitHead(std::int32_t index);
    std::unique_ptr<Work> checkHead(std::int32_t index);
    void settle();
    void record(Work& work);
    bool stop(const std::string& where);
    std::filesystem::path target(std::int32_t index) const;
    void makeFolder();
    bool settleExisting(Work& work);

    const std::filesystem::path& m_path;
    const imaging::PageImageDocument& m_document;
    SplitProgress& m_progress;
    SplitOutcome& m_outcome;
    const SplitOptions& m_options;
    Mode m_mode;
    std::int32_t m_total;
    const std::atomic<bool>* m_stopRequested = nullptr;
    const RunFiles* m_runFiles = nullptr;
    bool m_beside = false; // tails run beside the next head
    std::vector<std::string> m_failures;
    std::optional<std::string> m_folderError; // set once the pages' folder was made or refused
    std::unique_ptr<Work> m_pending;          // a page whose tail runs
    std::future<void> m_tail;
};

} // namespace plexifold
