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

// A page file is named after its source's file title; a title longer than the system
// allows for one gives none, and the page's name would lose its folder.
constexpr const char* kNameTooLong = "its file name would be longer than the system allows";

// Walks the pages of one loaded file. A page that cannot be written costs only itself:
// the walk goes on with the next.
class PageWalk {
public:
    PageWalk(const std::filesystem::path& path, const PageImageDocument& document,
             SplitProgress& progress, SplitOutcome& outcome, const std::atomic<bool>* stopRequested,
             const RunFiles* runFiles, const SplitSettings& settings)
        : m_path(path), m_document(document), m_total(document.PageCount()), m_progress(progress),
          m_outcome(outcome), m_stopRequested(stopRequested), m_runFiles(runFiles),
          m_settings(settings) {}

    bool run(const std::vector<std::int32_t>& pages) {
        m_progress.begin(m_total);
        for (const std::int32_t page : pages) {
            const std::int32_t i = page - 1;
            if (stopRequested())
                return stop("stopped before page " + std::to_string(i + 1));
            m_progress.page(progressText(m_path, i + 1, m_total), i + 1);
            if (!splitPage(i))
                return stop("stopped in page " + std::to_string(i + 1) + ", which is not written");
        }
        m_progress.end();
        m_outcome.reason = failureReason(m_failures);
        return m_failures.empty();
    }

private:
    bool stopRequested() const { return m_stopRequested && m_stopRequested->load(); }

    bool stop(const std::string& where) {
        m_outcome.reason = m_failures.empty() ? where : failureReason(m_failures) + "; " + where;
        return false;
    }

    std::filesystem::path pagePath(std::int32_t page) const {
        const std::filesystem::path name = m_settings.name.fileName(m_path, m_total, page);
        if (m_settings.outputRoot.empty())
            return FolderOf(m_path).native() + name.native(); // as PageFilePath
        return m_settings.outputRoot / m_settings.outputSubfolder / name;
    }

    // Makes the page files' folder under the output folder, once per file.
    void makeFolder() {
        if (m_settings.outputRoot.empty() || m_settings.dryRun)
            return;
        if (!m_folderError) {
            m_folderError.emplace();
            try {
                files::makeFoldersBeneath(m_settings.outputRoot, m_settings.outputSubfolder);
            } catch (const std::exception& error) {
                *m_folderError = error.what();
            }
        }
        if (!m_folderError->empty())
            throw std::runtime_error(*m_folderError);
    }

    // Why something at the page's name stops it, "" when it is to be written; a page file
    // there already and kept is recorded.
    std::string settleExisting(std::int32_t page, const std::filesystem::path& target, bool& kept) {
        const files::ExistingFile existing = files::existingFileAt(target);
        const IfExists rule = m_settings.ifExists;
        kept = false;
        if (existing.kind == files::ExistingFile::Link && !m_settings.outputRoot.empty())
            return files::Utf8Of(target) + " is a symbolic link";
        if (existing.kind == files::ExistingFile::None || rule == IfExists::Replace)
            return {}; // what cannot be replaced fails as it is written
        if (existing.kind != files::ExistingFile::Regular)
            return files::Utf8Of(target) + " is there and is not a file";
        if (rule == IfExists::Fail)
            return files::Utf8Of(target) + " is there already";
        kept = true;
        ++m_outcome.pagesKept;
        m_outcome.pageFiles.push_back({page, target, existing.bytes, true});
        return {};
    }

    // Writes one page, or notes why it cannot be written. False when it was given up on a
    // stop request: it is neither written nor failed.
    bool splitPage(std::int32_t index) {
        std::vector<std::string> warnings;
        std::uint64_t bytes = 0;
        std::filesystem::path target;
        try {
            if (FileTitleOf(m_path).empty())
                throw std::length_error(kNameTooLong);
            target = pagePath(index + 1);
            if (m_runFiles && m_runFiles->holds(target))
                throw std::invalid_argument(files::Utf8Of(FileTitleOf(target)) +
                                            " is one of the files being split");
            makeFolder();
            bool kept = false;
            if (const std::string why = settleExisting(index + 1, target, kept); !why.empty())
                throw std::invalid_argument(why);
            if (kept)
                return true;
            if (!m_settings.dryRun)
                bytes = m_document.GetPage(index).SaveFile(target, &warnings, m_stopRequested);
        } catch (const imaging::StopRequested&) {
            return false;
        } catch (const std::bad_alloc&) {
            return failed(index, "not enough memory to copy the page");
        } catch (const std::exception& error) {
            return failed(index, error.what());
        }
        ++m_outcome.pagesWritten;
        m_outcome.bytesWritten += bytes;
        m_outcome.pageFiles.push_back({index + 1, target, bytes, false});
        m_outcome.warnings.insert(m_outcome.warnings.end(), warnings.begin(), warnings.end());
        m_progress.saved(index + 1, bytes);
        return true;
    }

    bool failed(std::int32_t index, const std::string& why) {
        m_failures.push_back(pageFailure(index + 1, m_total, why));
        ++m_outcome.pagesFailed;
        return true;
    }

    const std::filesystem::path& m_path;
    const PageImageDocument& m_document;
    const std::int32_t m_total;
    SplitProgress& m_progress;
    SplitOutcome& m_outcome;
    const std::atomic<bool>* m_stopRequested;
    const RunFiles* m_runFiles;
    const SplitSettings& m_settings;
    std::vector<std::string> m_failures;
    std::optional<std::string> m_folderError; // set once the folder was made or refused
};

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
               const std::atomic<bool>* stopRequested, const RunFiles* runFiles,
               const SplitSettings& settings) {
    SplitOutcome local;
    SplitOutcome& result = outcome ? *outcome : local;
    result = {};
    try {
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
        return PageWalk(path, document, progress, result, stopRequested, runFiles, settings)
            .run(pages);
    } catch (const std::exception& error) {
        result.reason = error.what();
    } catch (...) {
        result.reason = "unexpected failure";
    }
    return false;
}

} // namespace plexifold
