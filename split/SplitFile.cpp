#include "SplitFile.h"

#include <exception>
#include <new>
#include <optional>
#include <stdexcept>

#include "OutputTree.h"
#include "PageImageDocument.h"
#include "PageNaming.h"
#include "PathText.h"

namespace plexifold {
namespace {

using imaging::PageImageDocument;

// Built by concatenation: a file name is never read as a pattern.
std::string progressText(const std::filesystem::path& path, std::int32_t page, std::int32_t total) {
    return "Processing " + files::Utf8Of(FileTitleOf(path)) + " (" + std::to_string(page) +
           " from " + std::to_string(total) + ")";
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

// One file's split: the document, where its pages go and what became of them so far.
struct FileSplit {
    const std::filesystem::path& path;
    const PageImageDocument& document;
    const SplitSettings& settings;
    SplitProgress& progress;
    SplitOutcome& outcome;
    std::vector<std::string> failures;
    std::optional<std::string> folderError; // set once the folder was made or refused

    std::filesystem::path pagePath(std::int32_t page) const {
        const std::filesystem::path name = settings.name.fileName(path, document.PageCount(), page);
        if (settings.outputRoot.empty())
            return FolderOf(path).native() + name.native(); // as PageFilePath
        return settings.outputRoot / settings.outputSubfolder / name;
    }
};

// True when the page file is left as it is: kept, or failed because something is there.
bool settleExisting(FileSplit& split, std::int32_t page, const std::filesystem::path& target) {
    const bool underOutput = !split.settings.outputRoot.empty();
    const files::ExistingFile existing = files::existingFileAt(target);
    const IfExists rule = split.settings.ifExists;
    std::string why;
    if (existing.kind == files::ExistingFile::Link && underOutput)
        why = files::Utf8Of(target) + " is a symbolic link";
    else if (existing.kind == files::ExistingFile::None || rule == IfExists::Replace)
        return false; // what cannot be replaced fails as it is written
    else if (existing.kind != files::ExistingFile::Regular)
        why = files::Utf8Of(target) + " is there and is not a file";
    else if (rule == IfExists::Fail)
        why = files::Utf8Of(target) + " is there already";
    if (why.empty()) {
        ++split.outcome.pagesKept;
        split.outcome.pageFiles.push_back({page, target, existing.bytes, true});
    } else {
        ++split.outcome.pagesFailed;
        split.failures.push_back(pageFailure(page, split.document.PageCount(), why));
    }
    return true;
}

// Makes the page files' folder under the output folder, once per file.
void makeFolder(FileSplit& split) {
    if (split.settings.outputRoot.empty() || split.settings.dryRun)
        return;
    if (!split.folderError) {
        split.folderError.emplace();
        try {
            files::makeFoldersBeneath(split.settings.outputRoot, split.settings.outputSubfolder);
        } catch (const std::exception& error) {
            *split.folderError = error.what();
        }
    }
    if (!split.folderError->empty())
        throw std::runtime_error(*split.folderError);
}

// Writes one page, or adds why it cannot be written to the failures.
void splitPage(FileSplit& split, std::int32_t page) {
    const std::int32_t total = split.document.PageCount();
    std::vector<std::string> warnings;
    std::uint64_t bytes = 0;
    const std::filesystem::path target = split.pagePath(page);
    try {
        makeFolder(split);
        if (settleExisting(split, page, target))
            return;
        if (!split.settings.dryRun)
            bytes = split.document.GetPage(page - 1).SaveFile(target, &warnings);
    } catch (const std::bad_alloc&) {
        split.failures.push_back(pageFailure(page, total, "not enough memory to copy the page"));
    } catch (const std::exception& error) {
        split.failures.push_back(pageFailure(page, total, error.what()));
    }
    if (split.failures.size() > static_cast<std::size_t>(split.outcome.pagesFailed)) {
        ++split.outcome.pagesFailed;
        return;
    }
    ++split.outcome.pagesWritten;
    split.outcome.bytesWritten += bytes;
    split.outcome.pageFiles.push_back({page, target, bytes, false});
    split.outcome.warnings.insert(split.outcome.warnings.end(), warnings.begin(), warnings.end());
    split.progress.saved(page, bytes);
}

// A page that cannot be written costs only itself: the walk goes on with the next.
bool splitPages(FileSplit& split, const std::vector<std::int32_t>& pages,
                const std::atomic<bool>* stopRequested) {
    const std::int32_t total = split.document.PageCount();
    SplitOutcome& outcome = split.outcome;
    split.progress.begin(total);
    for (const std::int32_t page : pages) {
        if (stopRequested && stopRequested->load()) {
            const std::string stop = "stopped before page " + std::to_string(page);
            outcome.reason =
                split.failures.empty() ? stop : failureReason(split.failures) + "; " + stop;
            return false;
        }
        split.progress.page(progressText(split.path, page, total), page);
        splitPage(split, page);
    }
    split.progress.end();
    outcome.reason = failureReason(split.failures);
    return split.failures.empty();
}

bool splitDocument(const std::filesystem::path& path, SplitProgress& progress, SplitOutcome& result,
                   const std::atomic<bool>* stopRequested, const SplitSettings& settings) {
    PageImageDocument document;
    if (!document.LoadFile(path)) {
        result.reason = document.errorText();
        return false;
    }
    result.pageCount = document.PageCount();
    if (result.pageCount <= 0) {
        result.reason = "the file has no pages";
        return false;
    }
    std::vector<std::int32_t> pages;
    if (!settings.pages.resolve(result.pageCount, pages, result.reason))
        return false;
    FileSplit split{path, document, settings, progress, result, {}, {}};
    return splitPages(split, pages, stopRequested);
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
               const std::atomic<bool>* stopRequested, const SplitSettings& settings) {
    SplitOutcome local;
    SplitOutcome& result = outcome ? *outcome : local;
    result = {};
    try {
        return splitDocument(path, progress, result, stopRequested, settings);
    } catch (const std::exception& error) {
        result.reason = error.what();
    } catch (...) {
        result.reason = "unexpected failure";
    }
    return false;
}

} // namespace plexifold
