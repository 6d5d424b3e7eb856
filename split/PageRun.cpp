#include "PageRun.h"

#include <exception>
#include <new>
#include <stdexcept>

#include "OutputTree.h"
#include "PageImageDocument.h"
#include "PageNaming.h"
#include "PathText.h"
#include "TiffError.h"
#include "WrittenPage.h"

namespace plexifold {
namespace {

using imaging::PageFileCheck;
using imaging::SaveChecks;
using imaging::WrittenPage;

// Pages this big have their checks done beside the next page's writing.
constexpr std::uint64_t kBesideSize = 4 * 1024 * 1024;

// Built by concatenation: a file name is never read as a pattern.
std::string progressText(const std::filesystem::path& path, std::int32_t page, std::int32_t total) {
    return "Processing " + files::Utf8Of(FileTitleOf(path)) + " (" + std::to_string(page) +
           " from " + std::to_string(total) + ")";
}

// Beyond this many failed pages the reason only counts the rest.
constexpr std::size_t kNamedFailures = 3;

// "page 5 of 14 not written: strip 3 lies past the end of the file", from imaging's
// "page 5: strip 3 lies past the end of the file" or any other reason.
std::string pageFailure(std::int32_t page, std::int32_t total, const std::string& error,
                        const char* what) {
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

// Runs `step`; what it throws becomes the text of a failure.
void guarded(const std::function<void()>& step, std::string& failure, const char* memory) {
    try {
        step();
    } catch (const imaging::StopRequested&) {
        throw; // neither done nor failed
    } catch (const std::bad_alloc&) {
        failure = memory;
    } catch (const std::exception& error) {
        failure = error.what();
    }
}

PageFileRecord::State stateOf(PageFileCheck::State state) {
    return state == PageFileCheck::Ok        ? PageFileRecord::Ok
           : state == PageFileCheck::Missing ? PageFileRecord::Missing
                                             : PageFileRecord::Differs;
}

} // namespace

struct PageRun::Work {
    PageFileRecord record;
    std::vector<std::string> warnings;
    std::string failure;        // why the page was not written or checked; "" when it was
    std::function<void()> tail; // what is left to do, if anything
};

PageRun::PageRun(const std::filesystem::path& path, const imaging::PageImageDocument& document,
                 SplitProgress& progress, SplitOutcome& outcome, const SplitOptions& options,
                 Mode mode)
    : m_path(path), m_document(document), m_progress(progress), m_outcome(outcome),
      m_options(options), m_mode(mode), m_total(document.PageCount()) {
    const bool checked = mode == Mode::Check || options.verify || options.checksums;
    std::error_code unknown;
    const std::uintmax_t size = std::filesystem::file_size(path, unknown);
    m_beside = checked && !unknown && m_total > 1 && size / m_total >= kBesideSize;
}

PageRun::~PageRun() {
    if (m_tail.valid())
        m_tail.wait();
}

bool PageRun::run(const std::vector<std::int32_t>& pages, const std::atomic<bool>* stopRequested,
                  const RunFiles* runFiles) {
    m_stopRequested = stopRequested;
    m_runFiles = runFiles;
    m_progress.begin(m_total);
    for (const std::int32_t page : pages) {
        const std::int32_t i = page - 1;
        if (stopRequested && stopRequested->load())
            return stop("stopped before page " + std::to_string(i + 1));
        m_progress.page(progressText(m_path, i + 1, m_total), i + 1);
        std::unique_ptr<Work> work = head(i);
        if (!work)
            return stop("stopped in page " + std::to_string(i + 1) + ", which is not written");
        if (m_mode == Mode::Split)
            settle(); // the page before was checked while this one was written
        if (work->tail && m_beside && !m_pending) {
            m_pending = std::move(work);
            m_tail = std::async(std::launch::async, m_pending->tail);
            continue;
        }
        if (work->tail)
            work->tail(); // when checking, beside the page before
        settle();
        record(*work);
    }
    settle();
    m_progress.end();
    m_outcome.reason = failureReason(m_failures);
    return m_outcome.pagesFailed == 0;
}

bool PageRun::stop(const std::string& where) {
    settle();
    m_outcome.reason = m_failures.empty() ? where : failureReason(m_failures) + "; " + where;
    return false;
}

std::filesystem::path PageRun::target(std::int32_t index) const {
    if (FileTitleOf(m_path).empty())
        throw std::length_error(NameTooLong);
    return PagePathOf(m_options, m_path, m_total, index + 1);
}

std::unique_ptr<PageRun::Work> PageRun::head(std::int32_t index) {
    return m_mode == Mode::Split ? splitHead(index) : checkHead(index);
}

// Makes the page files' folder under the output folder, once per file.
void PageRun::makeFolder() {
    if (m_options.outputRoot.empty() || m_options.dryRun)
        return;
    if (!m_folderError) {
        m_folderError.emplace();
        try {
            files::makeFoldersBeneath(m_options.outputRoot, m_options.outputSubfolder);
        } catch (const std::exception& error) {
            *m_folderError = error.what();
        }
    }
    if (!m_folderError->empty())
        throw std::runtime_error(*m_folderError);
}

// True when the page is not to be written: a page file there already is kept (and recorded
// so), or stops the page with the reason thrown.
bool PageRun::settleExisting(Work& work) {
    const std::filesystem::path& target = work.record.path;
    const files::ExistingFile existing = files::existingFileAt(target);
    const IfExists rule = m_options.ifExists;
    if (existing.kind == files::ExistingFile::Link && !m_options.outputRoot.empty())
        throw std::invalid_argument(files::Utf8Of(target) + " is a symbolic link");
    if (existing.kind == files::ExistingFile::None)
        return false;
    // Only a file that is there can be one of the run's, and only replacing it would lose it.
    if (rule == IfExists::Replace && m_runFiles && m_runFiles->holds(target))
        throw std::invalid_argument(files::Utf8Of(FileTitleOf(target)) +
                                    " is one of the files being split");
    if (rule == IfExists::Replace)
        return false; // what cannot be replaced fails as it is written
    if (existing.kind != files::ExistingFile::Regular)
        throw std::invalid_argument(files::Utf8Of(target) + " is there and is not a file");
    if (rule == IfExists::Fail)
        throw std::invalid_argument(files::Utf8Of(target) + " is there already");
    work.record.kept = true;
    work.record.bytes = existing.bytes;
    return true;
}

// Null when the page was given up on a stop request: it is neither written nor failed.
std::unique_ptr<PageRun::Work> PageRun::splitHead(std::int32_t index) {
    auto work = std::make_unique<Work>();
    work->record.page = index + 1;
    std::shared_ptr<WrittenPage> written;
    try {
        guarded(
            [&] {
                work->record.path = target(index);
                makeFolder();
                if (settleExisting(*work) || m_options.dryRun)
                    return;
                const SaveChecks checks{m_options.verify,
                                        m_options.checksums ? &work->record.sha256 : nullptr};
                written =
                    m_document.GetPage(index).WriteFile(work->record.path, m_stopRequested, checks);
            },
            work->failure, "not enough memory to copy the page");
    } catch (const imaging::StopRequested&) {
        return nullptr;
    }
    if (written)
        work->tail = [w = work.get(), written] {
            guarded([&] { w->record.bytes = written->finish(&w->warnings); }, w->failure,
                    "not enough memory to check the page");
        };
    return work;
}

std::unique_ptr<PageRun::Work> PageRun::checkHead(std::int32_t index) {
    auto work = std::make_unique<Work>();
    work->record.page = index + 1;
    guarded([&] { work->record.path = target(index); }, work->failure,
            "not enough memory to name the page");
    if (!work->failure.empty())
        return work;
    work->tail = [w = work.get(), page = m_document.GetPage(index), this] {
        guarded(
            [&] {
                const PageFileCheck check = page.CheckFile(w->record.path, m_options.checksums);
                w->record.state = stateOf(check.state);
                w->record.difference = check.difference;
                w->record.sha256 = check.sha256;
            },
            w->failure, "not enough memory to read the page");
    };
    return work;
}

void PageRun::settle() {
    if (!m_pending)
        return;
    m_tail.get();
    record(*m_pending);
    m_pending.reset();
}

void PageRun::record(Work& work) {
    const std::int32_t page = work.record.page;
    if (!work.failure.empty()) {
        m_failures.push_back(pageFailure(page, m_total, work.failure,
                                         m_mode == Mode::Split ? "not written" : "not checked"));
        ++m_outcome.pagesFailed;
        return;
    }
    if (m_mode == Mode::Split && work.record.kept) {
        ++m_outcome.pagesKept;
    } else if (m_mode == Mode::Split) {
        ++m_outcome.pagesWritten;
        m_outcome.bytesWritten += work.record.bytes;
        m_outcome.warnings.insert(m_outcome.warnings.end(), work.warnings.begin(),
                                  work.warnings.end());
        m_progress.saved(page, work.record.bytes);
    } else if (work.record.state != PageFileRecord::Ok) {
        ++m_outcome.pagesFailed;
    }
    m_outcome.pages.push_back(std::move(work.record));
}

} // namespace plexifold
