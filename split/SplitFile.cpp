#include "SplitFile.h"

#include <exception>
#include <new>
#include <stdexcept>

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

// Beyond this many failed pages the reason only counts the rest.
constexpr std::size_t kNamedFailures = 3;

// "page 5 of 14 not written: strip 3 lies past the end of the file", from imaging's
// "page 5: strip 3 lies past the end of the file" or any other reason.
std::string pageFailure(std::int32_t page, std::int32_t total, const std::string& error) {
    const std::string head = "page " + std::to_string(page);
    const bool named = error.starts_with(head) && (error.compare(head.size(), 2, ": ") == 0 ||
                                                   error.compare(head.size(), 2, " (") == 0);
    return head + " of " + std::to_string(total) + " not written" +
           (named ? error.substr(head.size()) : ": " + error);
}

std::string failureReason(const std::vector<std::string>& failures) {
    std::string reason;
    for (std::size_t i = 0; i < failures.size() && i < kNamedFailures; ++i)
        reason += (i ? "; " : "") + failures[i];
    if (failures.size() > kNamedFailures)
        reason += "; and " + std::to_string(failures.size() - kNamedFailures) + " more";
    return reason;
}

// A page file is named after its source's file title; a title longer than the system
// allows for one gives none, and the page's name would lose its folder.
constexpr const char* kNameTooLong = "its file name would be longer than the system allows";

// Writes one page, or adds why it cannot be written to `failures`.
void splitPage(const std::filesystem::path& path, const PageImageDocument& document,
               std::int32_t index, SplitProgress& progress, SplitOutcome& outcome,
               std::vector<std::string>& failures) {
    const std::int32_t total = document.PageCount();
    std::vector<std::string> warnings;
    std::uint64_t bytes = 0;
    bool written = false;
    try {
        if (FileTitleOf(path).empty())
            throw std::length_error(kNameTooLong);
        bytes = document.GetPage(index).SaveFile(PageFilePath(path, total, index + 1), &warnings);
        written = true;
    } catch (const std::bad_alloc&) {
        failures.push_back(pageFailure(index + 1, total, "not enough memory to copy the page"));
    } catch (const std::exception& error) {
        failures.push_back(pageFailure(index + 1, total, error.what()));
    }
    if (!written) {
        ++outcome.pagesFailed;
        return;
    }
    ++outcome.pagesWritten;
    outcome.bytesWritten += bytes;
    outcome.warnings.insert(outcome.warnings.end(), warnings.begin(), warnings.end());
    progress.saved(index + 1, bytes);
}

// A page that cannot be written costs only itself: the walk goes on with the next.
bool splitPages(const std::filesystem::path& path, const PageImageDocument& document,
                SplitProgress& progress, SplitOutcome& outcome,
                const std::atomic<bool>* stopRequested) {
    const std::int32_t total = document.PageCount();
    std::vector<std::string> failures;
    progress.begin(total);
    for (std::int32_t i = 0; i < total; ++i) {
        if (stopRequested && stopRequested->load()) {
            const std::string stop = "stopped before page " + std::to_string(i + 1);
            outcome.reason = failures.empty() ? stop : failureReason(failures) + "; " + stop;
            return false;
        }
        progress.page(progressText(path, i + 1, total), i + 1);
        splitPage(path, document, i, progress, outcome, failures);
    }
    progress.end();
    outcome.reason = failureReason(failures);
    return failures.empty();
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
    if (FileTitleOf(path).empty()) {
        if (reason)
            *reason = std::string("the page files cannot be named: ") + kNameTooLong;
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
