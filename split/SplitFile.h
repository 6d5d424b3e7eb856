#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <filesystem>

#include "SplitProgress.h"

namespace plexifold {

// What became of one file beyond the yes or no of SplitFile.
struct SplitOutcome {
    QString reason; // why the file failed; "" when it went through
    qint32 pagesWritten = 0;
    quint64 bytesWritten = 0;
};

/// Writes every page of the TIFF file at `path` to a file of its own beside it
/// (see PageFilePath) and reports each page to `progress`. True when the file was
/// loaded, had at least one page and every page was saved. Pages saved before a
/// failure stay; the page in work is never left half-written. `stopRequested` is
/// looked at before each page.
bool SplitFile(const QString& path, SplitProgress& progress, SplitOutcome* outcome = nullptr,
               const std::atomic<bool>* stopRequested = nullptr);

/// The page files that SplitFile would write for `path`, without writing any.
/// False, with the reason, for a file that cannot be split.
bool PlanPageFiles(const QString& path, QStringList& pageFiles, QString* reason = nullptr);

/// The operating system's name for `path`.
std::filesystem::path NativePath(const QString& path);

} // namespace plexifold
