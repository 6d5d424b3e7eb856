#include "SplitBatch.h"

namespace plexifold {

bool FileListSource::next(std::filesystem::path& path) {
    if (m_next >= m_files.size())
        return false;
    path = m_files[m_next++];
    return true;
}

BatchTotals SplitBatch::run(FileSource& files) {
    BatchTotals totals;
    std::filesystem::path path;
    while (!stopRequested() && files.next(path))
        ProcessFile(totals.files++, path, totals);
    totals.stopped = stopRequested();
    return totals;
}

BatchTotals SplitBatch::run(const std::vector<std::filesystem::path>& files) {
    FileListSource source(files);
    return run(source);
}

void SplitBatch::ProcessFile(std::size_t index, const std::filesystem::path& path,
                             BatchTotals& totals) {
    SplitProgress& progress = m_observer.fileStarted(index, path);
    FileResult result;
    result.ok = m_mode == Mode::Check
                    ? CheckFile(path, progress, result.outcome, m_stopRequested, m_options)
                    : SplitFile(path, progress, &result.outcome, m_stopRequested, m_options);
    result.stopped = stopRequested();
    count(result, totals);
    m_observer.fileFinished(index, path, result);
}

void SplitBatch::count(const FileResult& result, BatchTotals& totals) const {
    totals.pagesWritten += result.outcome.pagesWritten;
    totals.bytesWritten += result.outcome.bytesWritten;
    if (result.stopped)
        return; // what the stop cut short is neither a failure nor done
    totals.pagesFailed += result.outcome.pagesFailed;
    if (!result.ok)
        ++totals.failed;
}

} // namespace plexifold
