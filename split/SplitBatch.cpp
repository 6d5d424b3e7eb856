#include "SplitBatch.h"

#include <functional>
#include <system_error>

#include "CaseFold.h"

namespace plexifold {
namespace {

namespace fs = std::filesystem;

// Equal for two spellings of one path, whatever their letter case.
std::size_t nameKey(const fs::path& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return std::hash<std::u32string>{}(FoldedName((error ? path : absolute).lexically_normal()));
}

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
        ProcessFile(totals.files++, path, files, totals);
    totals.stopped = stopRequested();
    return totals;
}

BatchTotals SplitBatch::run(const std::vector<std::filesystem::path>& files) {
    FileListSource source(files);
    return run(source);
}

void SplitBatch::ProcessFile(std::size_t index, const std::filesystem::path& path,
                             const FileSource& files, BatchTotals& totals) {
    SplitProgress& progress = m_observer.fileStarted(index, path);
    FileResult result;
    result.ok =
        m_mode == Mode::Check
            ? CheckFile(path, progress, result.outcome, m_stopRequested, m_options)
            : SplitFile(path, progress, &result.outcome, m_stopRequested, &files, m_options);
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
