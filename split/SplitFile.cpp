#include "SplitFile.h"

#include <QFile>
#include <exception>

#include "PageImageDocument.h"
#include "PageNaming.h"

namespace plexifold {
namespace {

using imaging::PageImageDocument;

QString progressText(const QString& path, qint32 page, qint32 total) {
    return QStringLiteral("Processing %1 (%2 from %3)").arg(FileTitleOf(path)).arg(page).arg(total);
}

bool splitPages(const QString& path, const PageImageDocument& document, SplitProgress& progress,
                SplitOutcome& outcome, const std::atomic<bool>* stopRequested) {
    const qint32 total = document.PageCount();
    progress.begin(total);
    for (qint32 i = 0; i < total; ++i) {
        if (stopRequested && stopRequested->load()) {
            outcome.reason = QStringLiteral("stopped before page %1").arg(i + 1);
            return false;
        }
        const PageImageDocument page = document.GetPage(i);
        progress.page(progressText(path, i + 1, total), i + 1);
        const quint64 bytes = page.SaveFile(NativePath(PageFilePath(path, total, i + 1)));
        ++outcome.pagesWritten;
        outcome.bytesWritten += bytes;
        progress.saved(i + 1, bytes);
    }
    progress.end();
    return true;
}

} // namespace

std::filesystem::path NativePath(const QString& path) {
#ifdef Q_OS_WIN
    return path.toStdWString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

bool PlanPageFiles(const QString& path, QStringList& pageFiles, QString* reason) {
    pageFiles.clear();
    PageImageDocument document;
    if (!document.LoadFile(NativePath(path))) {
        if (reason)
            *reason = QString::fromStdString(document.errorText());
        return false;
    }
    const qint32 total = document.PageCount();
    for (qint32 page = 1; page <= total; ++page)
        pageFiles.append(PageFilePath(path, total, page));
    return true;
}

bool SplitFile(const QString& path, SplitProgress& progress, SplitOutcome* outcome,
               const std::atomic<bool>* stopRequested) {
    SplitOutcome local;
    SplitOutcome& result = outcome ? *outcome : local;
    result = {};
    try {
        PageImageDocument document;
        if (!document.LoadFile(NativePath(path))) {
            result.reason = QString::fromStdString(document.errorText());
            return false;
        }
        if (document.PageCount() <= 0) {
            result.reason = QStringLiteral("the file has no pages");
            return false;
        }
        return splitPages(path, document, progress, result, stopRequested);
    } catch (const std::exception& error) {
        result.reason = QString::fromUtf8(error.what());
    } catch (...) {
        result.reason = QStringLiteral("unexpected failure");
    }
    return false;
}

} // namespace plexifold
