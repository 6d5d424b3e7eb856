#include <atomic>
#include <cstdio>

#include "CommandLine.h"
#include "Console.h"
#include "PageNaming.h"
#include "SplitBatch.h"
#include "TerminalProgress.h"

namespace plexifold::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

std::atomic<bool> g_stopRequested{false};

void print(std::FILE* out, const std::string& text) {
    std::fputs(text.c_str(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

void reportFile(const fs::path& file, const std::string& reason) {
    print(stderr, "plexifold-split: " + Utf8Of(fs::path(file).make_preferred()) + ": " + reason);
}

std::string counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Files named on the command line that were not there, beside the run's own totals.
struct Totals {
    std::size_t files = 0;
    std::size_t missing = 0;
};

// Silent stand-in for runs that show no progress line.
class NoProgress : public SplitProgress {
public:
    void begin(std::int32_t) override {}
    void page(const std::string&, std::int32_t) override {}
    void end() override {}
};

// Shows the run on the terminal: a live line while a file is split, then what became of it.
class TerminalObserver : public BatchObserver {
public:
    TerminalObserver(const Options& options, std::size_t fileCount)
        : m_options(options), m_terminal(stdout, fileCount),
          m_live(!options.quiet && isTerminal(stdout)) {}

    SplitProgress& fileStarted(std::size_t index, const fs::path& path) override {
        m_terminal.startFile(index, Utf8Of(FileTitleOf(path)));
        return m_live ? static_cast<SplitProgress&>(m_terminal) : m_silent;
    }
    void fileFinished(std::size_t, const fs::path& path, const FileResult& result) override {
        m_terminal.clear();
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
            print(stdout,
                  Utf8Of(file) + ": " + counted(result.outcome.pagesWritten, "page", "pages"));
    }

    const Options& m_options;
    TerminalProgress m_terminal;
    NoProgress m_silent;
    bool m_live;
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
    TerminalObserver observer(options, files.size());
    const BatchTotals batch = SplitBatch(observer, &g_stopRequested).run(files);
    if (!options.quiet)
        print(stdout, summary(totals, batch));
    if (batch.stopped)
        return kExitInterrupted;
    return batch.failed + totals.missing > 0 ? kExitFailed : 0;
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
            print(stdout, Utf8Of(page));
    }
    return failed > 0 ? kExitFailed : 0;
}

} // namespace

int runSplit(const std::vector<std::string>& arguments) {
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
    return options.dryRun ? planAll(files, totals) : splitAll(files, options, totals);
}

} // namespace plexifold::cli
