#include "SplitFile.h"

#include <exception>
#include <new>

#include "PageImageDocument.h"
#include "PageNaming.h"
#include "PageOutputs.h"

namespace plexifold {
namespace {

using imaging::PageFileCheck;
using imaging::PageImageDocument;
using imaging::SaveChecks;

// Built by concatenation: a file name is never read as a pattern.
std::string progressText(const std::filesystem::path& path, std::int32_t page, std::int32_t total) {
    return "Processing " + Utf8Of(FileTitleOf(path)) + " (" + std::to_string(page) + " from " +
           std::to_string(total) + ")";
}

// Beyond this many failed pages the reason only counts the rest.
constexpr std::size_t kNamedFailures = 3;

// "page 5 of 14 not written: strip 3 lies past the end of the file", from imaging's
// "page 5: strip 3 lies past the end of the file" or any other reason.
std::string pageFailure(std::int32_t page, std::int32_t total, const std::string& error,
                        const char* what = "not written") {
    const std::string head = "page " + std::to_string(page);
    const bool named = error.starts_with(head) && (error.compare(head.size(), 2, ": ") == 0 ||
                                                   error.compare(head.size(), 2, " (") == 0);
    return head + " of " + std::to_string(total) + " " + what +
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

std::filesystem::path pagePath(const SplitOptions& options, const std::filesystem::path& path,
                               std::int32_t total, std::int32_t page) {
    return options.names ? options.names->pagePath(path, total, page)
                         : PageFilePath(path, total, page);
}

// Writes one page, or adds why it cannot be written to `failures`.
void splitPage(const std::filesystem::path& path, const PageImageDocument& document,
               std::int32_t index, SplitProgress& progress, SplitOutcome& outcome,
               std::vector<std::string>& failures, const SplitOptions& options) {
    const std::int32_t total = document.PageCount();
    std::vector<std::string> warnings;
    PageFileRecord record;
    record.page = index + 1;
    record.path = pagePath(options, path, total, index + 1);
    bool written = false;
    try {
        const SaveChecks checks{options.verify, options.checksums ? &record.sha256 : nullptr};
        record.bytes = document.GetPage(index).SaveFile(record.path, &warnings, checks);
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
    outcome.bytesWritten += record.bytes;
    outcome.warnings.insert(outcome.warnings.end(), warnings.begin(), warnings.end());
    progress.saved(index + 1, record.bytes);
    outcome.pages.push_back(std::move(record));
}

// Compares one page file with its page, or adds why the page cannot be read to `failures`.
void checkPage(const std::filesystem::path& path, const PageImageDocument& document,
               std::int32_t index, SplitProgress&, SplitOutcome& outcome,
               std::vector<std::string>& failures, const SplitOptions& options) {
    const std::int32_t total = document.PageCount();
    PageFileRecord record;
    record.page = index + 1;
    record.path = pagePath(options, path, total, index + 1);
    try {
        const PageFileCheck check =
            document.GetPage(index).CheckFile(record.path, options.checksums);
        record.state = check.state == PageFileCheck::Ok        ? PageFileRecord::Ok
                       : check.state == PageFileCheck::Missing ? PageFileRecord::Missing
                                                               : PageFileRecord::Differs;
        record.difference = check.difference;
        record.sha256 = check.sha256;
    } catch (const std::bad_alloc&) {
        failures.push_back(
            pageFailure(index + 1, total, "not enough memory to read the page", "not checked"));
        ++outcome.pagesFailed;
        return;
    } catch (const std::exception& error) {
        failures.push_back(pageFailure(index + 1, total, error.what(), "not checked"));
        ++outcome.pagesFailed;
        return;
    }
    if (record.state != PageFileRecord::Ok)
        ++outcome.pagesFailed;
    outcome.pages.push_back(std::move(record));
}

using PageStep = void (*)(const std::filesystem::path&, const PageImageDocument&, std::int32_t,
                          SplitProgress&, SplitOutcome&, std::vector<std::string>&,
                          const SplitOptions&);

// A page that cannot be written costs only itself: the walk goes on with the next.
bool splitPages(const std::filesystem::path& path, const PageImageDocument& document,
                SplitProgress& progress, SplitOutcome& outcome,
                const std::atomic<bool>* stopRequested, const SplitOptions& options,
                PageStep step) {
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
        step(path, document, i, progress, outcome, failures, options);
    }
    progress.end();
    outcome.reason = failureReason(failures);
    return outcome.pagesFailed == 0;
}

bool runPages(const std::filesystem::path& path, SplitProgress& progress, SplitOutcome& result,
              const std::atomic<bool>* stopRequested, const SplitOptions& options, PageStep step) {
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
        return splitPages(path, document, progress, result, stopRequested, options, step);
    } catch (const std::exception& error) {
        result.reason = error.what();
    } catch (...) {
        result.reason = "unexpected failure";
    }
    return false;
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
               const std::atomic<bool>* stopRequested, const SplitOptions& options) {
    SplitOutcome local;
    return runPages(path, progress, outcome ? *outcome : local, stopRequested, options, splitPage);
}

bool CheckFile(const std::filesystem::path& path, SplitProgress& progress, SplitOutcome& outcome,
               const std::atomic<bool>* stopRequested, const SplitOptions& options) {
    return runPages(path, progress, outcome, stopRequested, options, checkPage);
}

} // namespace plexifold
