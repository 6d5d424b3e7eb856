#include "SplitFile.h"

#include <exception>
#include <new>

#include "PageImageDocument.h"
#include "PageNaming.h"
#include "PageRun.h"

namespace plexifold {
namespace {

using imaging::PageImageDocument;

bool runPages(const std::filesystem::path& path, SplitProgress& progress, SplitOutcome& result,
              const std::atomic<bool>* stopRequested, const RunFiles* runFiles,
              const SplitOptions& options, PageRun::Mode mode) {
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
        if (!options.pages.resolve(result.pageCount, pages, result.reason))
            return false;
        return PageRun(path, document, progress, result, options, mode)
            .run(pages, stopRequested, runFiles);
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
    if (FileTitleOf(path).empty()) {
        if (reason)
            *reason = std::string("the page files cannot be named: ") + PageRun::NameTooLong;
        return false;
    }
    const std::int32_t total = document.PageCount();
    for (std::int32_t page = 1; page <= total; ++page)
        pageFiles.push_back(PageFilePath(path, total, page));
    return true;
}

bool SplitFile(const std::filesystem::path& path, SplitProgress& progress, SplitOutcome* outcome,
               const std::atomic<bool>* stopRequested, const RunFiles* runFiles,
               const SplitOptions& options) {
    SplitOutcome local;
    return runPages(path, progress, outcome ? *outcome : local, stopRequested, runFiles, options,
                    PageRun::Mode::Split);
}

std::filesystem::path PagePathOf(const SplitOptions& options, const std::filesystem::path& source,
                                 std::int32_t total, std::int32_t page) {
    const std::filesystem::path name = options.name.fileName(source, total, page);
    if (options.outputRoot.empty())
        return FolderOf(source).native() + name.native(); // as PageFilePath
    return options.outputRoot / options.outputSubfolder / name;
}

bool CheckFile(const std::filesystem::path& path, SplitProgress& progress, SplitOutcome& outcome,
               const std::atomic<bool>* stopRequested, const SplitOptions& options) {
    return runPages(path, progress, outcome, stopRequested, nullptr, options, PageRun::Mode::Check);
}

} // namespace plexifold
