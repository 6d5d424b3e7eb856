#include "SplitBatch.h"
#include "PathText.h"

#include <algorithm>
#include <functional>
#include <system_error>
#include <thread>

#include "CaseFold.h"
#include "FileList.h"
#include "PageNaming.h"

namespace plexifold {
namespace fs = std::filesystem;

namespace {

// Absolute, without "." and ".." steps and without a separator at the end.
fs::path comparable(const fs::path& path) {
    std::error_code error;
    fs::path result = fs::absolute(path.empty() ? fs::path(".") : path, error).lexically_normal();
    if (!result.has_filename() && result != result.root_path())
        result = result.parent_path();
    return result;
}

// Equal for two spellings of one path, whatever their letter case.
std::size_t nameKey(const fs::path& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return std::hash<std::u32string>{}(FoldedName((error ? path : absolute).lexically_normal()));
}

// The run's files, asked while other workers may take the next from the source. A page file
// of the file in work that the run left alone as its output is that file's to replace.
class LockedRunFiles : public RunFiles {
public:
    LockedRunFiles(const RunFiles& files, std::mutex& mutex,
                   std::function<bool(const fs::path&)> isOwnOutput)
        : m_files(files), m_mutex(mutex), m_isOwnOutput(std::move(isOwnOutput)) {}
    bool holds(const fs::path& path) const override {
        {
            const std::lock_guard lock(m_mutex);
            if (!m_files.holds(path))
                return false;
        }
        return !m_isOwnOutput(path);
    }

private:
    const RunFiles& m_files;
    std::mutex& m_mutex;
    std::function<bool(const fs::path&)> m_isOwnOutput;
};

} // namespace

FileListSource::FileListSource(const std::vector<fs::path>& files) : m_files(files) {
    m_byName.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        m_byName.emplace(nameKey(files[i]), i);
}

bool FileListSource::holds(const fs::path& path) const {
    const auto [first, last] = m_byName.equal_range(nameKey(path));
    for (auto it = first; it != last; ++it) {
        // Names that differ in case only are one file on some systems and two on others.
        std::error_code error;
        if (fs::equivalent(path, m_files[it->second], error))
            return true;
    }
    return false;
}

bool FileListSource::next(fs::path& path) {
    if (m_next >= m_files.size())
        return false;
    path = m_files[m_next++];
    return true;
}

bool SubfolderUnder(const fs::path& source, const fs::path& base, fs::path& subfolder,
                    std::string& reason) {
    const fs::path folder = comparable(source).parent_path();
    const fs::path root = comparable(base);
    const fs::path relative = folder.lexically_relative(root);
    if (relative.empty() || *relative.begin() == "..") {
        reason = "it lies outside its base folder " + files::Utf8Of(root);
        return false;
    }
    subfolder = relative == "." ? fs::path() : relative;
    return true;
}

BatchTotals SplitBatch::run(FileSource& files) {
    BatchTotals totals;
    const unsigned jobs = std::max(1u, m_settings.jobs);
    if (jobs == 1) {
        work(files, totals);
    } else {
        std::vector<std::jthread> workers;
        for (unsigned i = 0; i < jobs; ++i)
            workers.emplace_back([&] { work(files, totals); });
    }
    totals.stopped = stopRequested();
    return totals;
}

BatchTotals SplitBatch::run(const std::vector<fs::path>& files) {
    FileListSource source(files);
    return run(source);
}

void SplitBatch::work(FileSource& files, BatchTotals& totals) {
    Entry entry;
    while (take(files, entry, totals))
        ProcessFile(entry, files, totals);
}

bool SplitBatch::take(FileSource& files, Entry& entry, BatchTotals& totals) {
    const std::lock_guard lock(m_mutex);
    if (stopRequested() || !files.next(entry.path))
        return false;
    entry.index = totals.files++;
    entry.base = files.base();
    entry.failure = files.failure();
    return true;
}

void SplitBatch::ProcessFile(const Entry& entry, const FileSource& files, BatchTotals& totals) {
    SplitProgress* progress = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        progress = &m_observer.fileStarted(entry.index, entry.path);
    }
    FileResult result;
    result.output = entry.failure.empty() && isOutput(entry, result.outcome);
    result.ok = result.output || splitEntry(entry, files, *progress, result.outcome);
    result.stopped = stopRequested() && !result.ok;
    const std::lock_guard lock(m_mutex);
    count(result, totals);
    m_observer.fileFinished(entry.index, entry.path, result);
}

bool SplitBatch::splitEntry(const Entry& entry, const FileSource& files, SplitProgress& progress,
                            SplitOutcome& outcome) {
    const LockedRunFiles runFiles(files, m_mutex, [&](const fs::path& page) {
        if (!m_settings.recogniseOutputs)
            return false;
        const std::lock_guard lock(m_outputsMutex);
        const std::optional<fs::path> source = m_outputs.sourceOf(page);
        return source && *source == entry.path;
    });
    if (!entry.failure.empty()) {
        outcome.reason = entry.failure;
        return false;
    }
    SplitOptions options = m_settings.split;
    const fs::path& base = entry.base.empty() ? m_settings.base : entry.base;
    if (!options.outputRoot.empty() &&
        !SubfolderUnder(entry.path, base, options.outputSubfolder, outcome.reason))
        return false;
    if (m_settings.mode == BatchSettings::Mode::Check)
        return CheckFile(entry.path, progress, outcome, m_stopRequested, options);
    return SplitFile(entry.path, progress, &outcome, m_stopRequested, &runFiles, options);
}

bool SplitBatch::isSourceFile(const fs::path& path) {
    std::error_code error;
    return !files::Utf8Of(path.filename()).starts_with('.') && fs::is_regular_file(path, error) &&
           FileNameMatches(path.filename(), kTiffPattern);
}

bool SplitBatch::isOutput(const Entry& entry, SplitOutcome& outcome) {
    if (!m_settings.recogniseOutputs)
        return false;
    const std::lock_guard lock(m_outputsMutex);
    const std::optional<fs::path> source = m_outputs.sourceOf(entry.path);
    if (source) {
        outcome.pageCount = 1;
        outcome.reason = "a page file of " + files::Utf8Of(*source) + ", left alone";
    }
    return source.has_value();
}

void SplitBatch::count(const FileResult& result, BatchTotals& totals) const {
    totals.pagesWritten += result.outcome.pagesWritten;
    totals.bytesWritten += result.outcome.bytesWritten;
    totals.pagesKept += result.outcome.pagesKept;
    if (result.stopped)
        return; // what the stop cut short is neither a failure nor done
    totals.pagesFailed += result.outcome.pagesFailed;
    if (!result.ok)
        ++totals.failed;
}

} // namespace plexifold
