#include <atomic>
#include <cstdio>
#include <optional>

#include "CheckCommand.h"
#include "CommandLine.h"
#include "Console.h"
#include "Manifest.h"
#include "PageNaming.h"
#include "PathText.h"
#include "Report.h"
#include "SplitBatch.h"
#include "TerminalProgress.h"

namespace plexifold::cli {
namespace {

namespace fs = std::filesystem;

std::atomic<bool> g_stopRequested{false};

// Files named on the command line that were not there, beside the run's own totals.
struct Totals {
    std::size_t files = 0;
    std::size_t missing = 0;
};

// Shows the run on the terminal: a live line while a file is split, then what became of it.
class TerminalObserver : public BatchObserver {
public:
    TerminalObserver(const Options& options, std::size_t fileCount, Manifest* manifest)
        : m_options(options), m_terminal(stdout, fileCount),
          m_live(!options.quiet && isTerminal(stdout)), m_manifest(manifest) {}

    SplitProgress& fileStarted(std::size_t index, const fs::path& path) override {
        m_terminal.startFile(index, files::Utf8Of(FileTitleOf(path)));
        return m_live ? static_cast<SplitProgress&>(m_terminal) : m_silent;
    }
    void fileFinished(std::size_t, const fs::path& path, const FileResult& result) override {
        m_terminal.clear();
        if (m_manifest)
            for (const PageFileRecord& page : result.outcome.pages)
                m_manifest->add(page.path, page.sha256);
        if (!result.stopped) // the file stopped is not reported, its pages are counted
            report(path, result);
    }

private:
    void report(const fs::path& file, const FileResult& result) const {
        for (const std::string& warning : result.outcome.warnings)
            reportFile(file, warning);
        if (!result.ok)
            reportFile(file, result.outcome.reason);
        else if (!m_options.quiet && !isTerminal(stdout))
            print(stdout, files::Utf8Of(file) + ": " +
                              counted(result.outcome.pagesWritten, "page", "pages"));
    }

    const Options& m_options;
    TerminalProgress m_terminal;
    NoProgress m_silent;
    bool m_live;
    Manifest* m_manifest;
};

std::string summary(const Totals& totals, const BatchTotals& batch) {
    std::string text = counted(static_cast<std::int64_t>(totals.files), "file", "files") + ", " +
                       counted(batch.pagesWritten, "page", "pages") + " written, ";
    if (batch.pagesFailed > 0)
        text += counted(batch.pagesFailed, "page", "pages") + " not written, ";
    return text + std::to_string(batch.failed + totals.missing) + " failed" +
           (batch.stopped ? ", interrupted" : "");
}

int splitAll(const std::vector<fs::path>& files, const Options& options, const Totals& totals) {
    std::optional<Manifest> manifest;
    if (!options.checksums.empty())
        manifest.emplace(options.checksums);
    TerminalObserver observer(options, files.size(), manifest ? &*manifest : nullptr);
    const SplitOptions split{.verify = options.verify, .checksums = manifest.has_value()};
    const BatchTotals batch = SplitBatch(observer, &g_stopRequested, split).run(files);
    std::string reason;
    const bool listed = !manifest || manifest->write(reason);
    if (!listed)
        print(stderr, "plexifold-split: " + reason);
    if (!options.quiet)
        print(stdout, summary(totals, batch));
    if (batch.stopped)
        return kExitInterrupted;
    return batch.failed + totals.missing > 0 || !listed ? kExitFailed : 0;
}

int planAll(const std::vector<fs::path>& files, const Totals& totals) {
    std::size_t failed = totals.missing;
    for (const fs::path& file : files) {
        std::vector<fs::path> pages;
        std::string reason;
        if (!PlanPageFiles(file, pages, &reason)) {
            ++failed;
            reportFile(file, reason);
            continue;
        }
        for (const fs::path& page : pages)
            print(stdout, files::Utf8Of(page));
    }
    return failed > 0 ? kExitFailed : 0;
}

} // namespace

int runSplit(const std::vector<fs::path>& arguments) {
    Options options;
    std::string error;
    if (!parseCommandLine(arguments, options, error)) {
        print(stderr, "plexifold-split: " + error + "\nTry 'plexifold-split --help'.");
        return kExitUsage;
    }
    if (options.help || options.version) {
        std::fputs(options.help ? usageText().c_str() : "plexifold-split " PLEXIFOLD_VERSION "\n",
                   stdout);
        return 0;
    }

    installStopHandler(g_stopRequested);
    std::vector<fs::path> missing;
    const std::vector<fs::path> files = expandPaths(options.paths, missing);
    const Totals totals{files.size() + missing.size(), missing.size()};
    for (const fs::path& path : missing)
        reportFile(path, "no such file or folder");
    if (options.check)
        return checkAll(files, options, missing.size(), g_stopRequested);
    return options.dryRun ? planAll(files, totals) : splitAll(files, options, totals);
}

} // namespace plexifold::cli
