#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <unordered_map>
#include <vector>

#include "SplitFile.h"
#include "SplitProgress.h"

namespace plexifold {

/// Hands out the files of a run one at a time, so that a run need not hold its whole list,
/// and tells which files are the run's: no page file replaces one of them.
class FileSource : public RunFiles {
public:
    /// The next file into `path`; false when there are no more.
    virtual bool next(std::filesystem::path& path) = 0;
};

/// A source over a list held in memory.
class FileListSource : public FileSource {
public:
    explicit FileListSource(const std::vector<std::filesystem::path>& files);
    bool next(std::filesystem::path& path) override;
    /// Whether `path` is the same file as one of the list, its name in any letter case.
    bool holds(const std::filesystem::path& path) const override;

private:
    const std::vector<std::filesystem::path>& m_files;
    std::unordered_multimap<std::size_t, std::size_t> m_byName; // folded path's hash -> index
    std::size_t m_next = 0;
};

/// What became of one file of a run.
struct FileResult {
    bool ok = false;      // what SplitFile returned
    bool stopped = false; // the stop came while the file was in work: its result is partial
    SplitOutcome outcome;
};

/// How the whole run went.
struct BatchTotals {
    std::size_t files = 0;  // files tried
    std::size_t failed = 0; // files tried that failed, not counting one cut short by the stop
    std::int64_t pagesWritten = 0;
    std::int64_t pagesFailed = 0; // pages that could not be written, as above
    std::uint64_t bytesWritten = 0;
    bool stopped = false; // the run was asked to stop
};

/// What a run tells the one who started it; called on the thread that runs the batch.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    /// File `index` (from 0, in the source's order) starts; the splitter reports its pages
    /// to the progress returned, which must live until fileFinished.
    virtual SplitProgress& fileStarted(std::size_t index, const std::filesystem::path& path) = 0;
    virtual void fileFinished(std::size_t index, const std::filesystem::path& path,
                              const FileResult& result) = 0;
};

/// Splits the files of a source one after the other with SplitFile (or, to check page
/// files already written, CheckFile). It never prints and never touches a window: the
/// observer shows what it wants of the run. `stopRequested` is looked at before each file
/// and, by the splitter, before each page.
class SplitBatch {
public:
    enum class Mode { Split, Check };

    SplitBatch(BatchObserver& observer, const std::atomic<bool>* stopRequested = nullptr,
               const SplitOptions& options = {}, Mode mode = Mode::Split)
        : m_observer(observer), m_stopRequested(stopRequested), m_options(options), m_mode(mode) {}

    BatchTotals run(FileSource& files);
    BatchTotals run(const std::vector<std::filesystem::path>& files);

private:
    void ProcessFile(std::size_t index, const std::filesystem::path& path, const FileSource& files,
                     BatchTotals& totals);
    bool stopRequested() const { return m_stopRequested && m_stopRequested->load(); }
    void count(const FileResult& result, BatchTotals& totals) const;

    BatchObserver& m_observer;
    const std::atomic<bool>* m_stopRequested;
    SplitOptions m_options;
    Mode m_mode;
};

} // namespace plexifold
