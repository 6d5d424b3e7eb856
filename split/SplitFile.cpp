#include "SplitFile.h"

#include <exception>

#include "PageImageDocument.h"
#include "PageNaming.h"

namespace plexifold {
namespace {

using imaging::PageImageDocument;

// Built by concatenation: a file name is never read as a pattern.
std::string progressText(const std::filesystem::path& path, std::int32_t page, std::int32_t total) {
    return "Processing " + Utf8Of(FileTitleOf(path)) + " (" + std::to_string(page) + " from " +
           std::to_string(total) + ")";
}

bool splitPages(const std::filesystem::path& path, const PageImageDocument& document,
                SplitProgress& progress, SplitOutcome& outcome,
                const std::atomic<bool>* stopRequested) {
    const std::int32_t total = document.PageCount();
    progress.begin(total);
    for (std::int32_t i = 0; i < total; ++i) {
        if (stopRequested && stopRequested->load()) {
            outcome.reason = "stopped before page " + std::to_string(i + 1);
            return false;
        }
        const PageImageDocument page = document.GetPage(i);
        progress.page(progressText(path, i + 1, total), i + 1);
        const std::uint64_t bytes = page.SaveFile(PageFilePath(path, total, i + 1));
        ++outcome.pagesWritten;
        outcome.bytesWritten += bytes;
        progress.saved(i + 1, bytes);
    }
    progress.end();
    return true;
}

} // namespace

bool PlanPageFiles(const std::filesystem::path& path, std::vector<std::filesystem::path>& pageFiles,
                   std::string* reason) {
    pageFiles.clear();
    PageImageDocument document;
    if (!document.LoadFile(path)) {
        if (reason)
            *reason = document.errorText();
        return false;
    }
    const std::int32_t total = document.PageCount();
    for (std::int32_t page = 1; page <= total; ++page)
        pageFiles.push_back(PageFilePath(path, total, page));
    return true;
}

bool SplitFile(const std::filesystem::path& path, SplitProgress& progress, SplitOutcome* outcome,
               const std::atomic<bool>* stopRequested) {
    SplitOutcome local;
    SplitOutcome& result = outcome ? *outcome : local;
    result = {};
    try {
        PageImageDocument document;
        if (!document.LoadFile(path)) {
            result.reason = document.errorText();
            return false;
        }
        if (document.PageCount() <= 0) {
            result.reason = "the file has no pages";
            return false;
        }
        return splitPages(path, document, progress, result, stopRequested);
    } catch (const std::exception& error) {
        result.reason = error.what();
    } catch (...) {
        result.reason = "unexpected failure";
    }
    return false;
}

} // namespace plexifold
