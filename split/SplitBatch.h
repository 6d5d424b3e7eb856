#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "NameTemplate.h"
#include "PageOutputs.h"
#include "SplitFile.h"
#include "SplitProgress.h"

namespace plexifold {

/// Hands out the files of a run one at a time, so that a run need not hold its whole list,
/// and tells which files are the run's: no page file replaces one of them.
class FileSource : public RunFiles {
public:
    /// The next file into `path`; false when there are no more (and from then on).
    virtual bool next(std::filesystem::path& path) = 0;
    /// The folder whose tree the last file handed out mirrors under an output folder;
    /// "" for the run's own base.
    virtual std::filesystem::path base() const { return {}; }
    /// Why the last entry handed out cannot be split (a folder that cannot be read); ""
    /// when it can.
    virtual std::string failure() const { return {}; }
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
    bool output = false;  // a page file of another file of the run, left alone
    SplitOutcome outcome;
};

/// How the whole run went.
struct BatchTotals {
    std::size_t files = 0;  // files tried
    std::size_t failed = 0; // files tried that failed, not counting one cut short by the stop
    std::int64_t pagesWritten = 0;
    std::int64_t pagesFailed = 0; // pages that could not be written, as above
    std::int64_t pagesKept = 0;   // page files there already, left alone
    std::uint64_t bytesWritten = 0;
    bool stopped = false; // the run was asked to stop
};

/// What a run tells the one who started it. With one job it is called on the thread that
/// runs the batch; with several, on the workers' threads, one call at a time.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    /// File `index` (from 0, in the source's order) starts; the splitter reports its pages
    /// to the progress returned, which must live until fileFinished. With several jobs, the
    /// progress is called on the file's worker while other files are in work.
    virtual SplitProgress& fileStarted(std::size_t index, const std::filesystem::path& path) = 0;
    virtual void fileFinished(std::size_t index, const std::filesystem::path& path,
                              const FileResult& result) = 0;
};

/// How a run writes its pages, or checks those written before.
struct BatchSettings {
    enum class Mode { Split, Check };
    /// Where and how pages are written; with an output root, each file's pages go to its
    /// folder's place under the root, relative to the source's base().
    SplitOptions split;
    /// The base of files whose source names none; "": the working folder.
    std::filesystem::path base;
    unsigned jobs = 1; // files split at once
    /// A file that is a page file beside another file of the run (PageOutputs, with the
    /// settings' names) is left alone as that file's output. The window lists as it always has.
    bool recogniseOutputs = false;
    Mode mode = Mode::Split; // Check: CheckFile instead of SplitFile, nothing written
};

/// Splits the files of a source with SplitFile (or, to check page files already written,
/// CheckFile), `jobs` at a time. It never prints and
/// never touches a window: the observer shows what it wants of the run. `stopRequested`
/// is looked at before each file and, by the splitter, before each page.
class SplitBatch {
public:
    SplitBatch(BatchObserver& observer, const std::atomic<bool>* stopRequested = nullptr,
               BatchSettings settings = {})
        : m_observer(observer), m_stopRequested(stopRequested), m_settings(std::move(settings)),
          m_names(m_settings.split.name), m_outputs(m_names, isSourceFile) {}

    BatchTotals run(FileSource& files);
    /// Whether a page file's would-be source is a file that a run takes: its list is not held,
    /// so a regular file of a TIFF name that a folder listing would take stands for it.
    static bool isSourceFile(const std::filesystem::path& path);
    BatchTotals run(const std::vector<std::filesystem::path>& files);

private:
    struct Entry {
        std::size_t index = 0;
        std::filesystem::path path;
        std::filesystem::path base;
        std::string failure;
    };

    void work(FileSource& files, BatchTotals& totals);
    bool take(FileSource& files, Entry& entry, BatchTotals& totals);
    void ProcessFile(const Entry& entry, const FileSource& files, BatchTotals& totals);
    bool splitEntry(const Entry& entry, const FileSource& files, SplitProgress& progress,
                    SplitOutcome& outcome);
    bool isOutput(const Entry& entry, SplitOutcome& outcome);
    bool stopRequested() const { return m_stopRequested && m_stopRequested->load(); }
    void count(const FileResult& result, BatchTotals& totals) const;

    BatchObserver& m_observer;
    const std::atomic<bool>* m_stopRequested;
    BatchSettings m_settings;
    std::mutex m_mutex; // the source, the totals and the observer, between workers
    TemplatePageNames m_names;
    PageOutputs m_outputs; // its counts of pages, under m_outputsMutex
    std::mutex m_outputsMutex;
};

/// The folder of `source` relative to `base`, both taken as absolute; false, with `reason`
/// set, when the source does not lie under the base.
bool SubfolderUnder(const std::filesystem::path& source, const std::filesystem::path& base,
                    std::filesystem::path& subfolder, std::string& reason);

} // namespace plexifold
