#include <atomic>
#include <cstdio>

#include "CommandLine.h"
#include "Console.h"
#include "PageNaming.h"
#include "PathText.h"
#include "SplitFile.h"
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
    print(stderr,
          "plexifold-split: " + files::Utf8Of(fs::path(file).make_preferred()) + ": " + reason);
}

std::string counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

struct Totals {
    std::size_t files = 0;
    std::size_t failed = 0;
    std::int64_t pages = 0;
    std::int64_t pagesFailed = 0;
};

// Silent stand-in for runs that show no progress line.
class NoProgress : public SplitProgress {
public:
    void begin(std::int32_t) override {}
    void page(const std::string&, std::int32_t) override {}
    void end() override {}
};

// What became of one file, once its progress line is gone.
void report(const fs::path& file, bool ok, const SplitOutcome& outcome, const Options& options,
            Totals& totals) {
    totals.pages += outcome.pagesWritten;
    totals.pagesFailed += outcome.pagesFailed;
    for (const std::string& warning : outcome.warnings)
        reportFile(file, warning);
    if (!ok) {
        ++totals.failed;
        reportFile(file, outcome.reason);
    } else if (!options.quiet && !isTerminal(stdout)) {
        print(stdout, files::Utf8Of(file) + ": " + counted(outcome.pagesWritten, "page", "pages"));
    }
}

std::string summary(const Totals& totals, bool stopped) {
    std::string text = counted(static_cast<std::int64_t>(totals.files), "file", "files") + ", " +
                       counted(totals.pages, "page", "pages") + " written, ";
    if (totals.pagesFailed > 0)
        text += counted(totals.pagesFailed, "page", "pages") + " not written, ";
    return text + std::to_string(totals.failed) + " failed" + (stopped ? ", interrupted" : "");
}

int splitAll(const std::vector<fs::path>& files, const Options& options, Totals& totals) {
    const bool live = !options.quiet && isTerminal(stdout);
    TerminalProgress terminal(stdout, files.size());
    NoProgress silent;
    SplitProgress& progress = live ? static_cast<SplitProgress&>(terminal) : silent;
    for (std::size_t i = 0; i < files.size() && !g_stopRequested.load(); ++i) {
        terminal.startFile(i, files::Utf8Of(FileTitleOf(files[i])));
        SplitOutcome outcome;
        const bool ok = SplitFile(files[i], progress, &outcome, &g_stopRequested);
        terminal.clear();
        if (g_stopRequested.load()) // the file stopped is not reported, its pages are counted
            totals.pages += outcome.pagesWritten;
        else
            report(files[i], ok, outcome, options, totals);
    }
    const bool stopped = g_stopRequested.load();
    if (!options.quiet)
        print(stdout, summary(totals, stopped));
    if (stopped)
        return kExitInterrupted;
    return totals.failed > 0 ? kExitFailed : 0;
}

int planAll(const std::vector<fs::path>& files, Totals& totals) {
    for (const fs::path& file : files) {
        std::vector<fs::path> pages;
        std::string reason;
        if (!PlanPageFiles(file, pages, &reason)) {
            ++totals.failed;
            reportFile(file, reason);
            continue;
        }
        for (const fs::path& page : pages)
            print(stdout, files::Utf8Of(page));
    }
    return totals.failed > 0 ? kExitFailed : 0;
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
    Totals totals;
    totals.files = files.size() + missing.size();
    totals.failed = missing.size();
    for (const fs::path& path : missing)
        reportFile(path, "no such file or folder");

    const int status = options.dryRun ? planAll(files, totals) : splitAll(files, options, totals);
    return status == 0 && !missing.empty() ? kExitFailed : status;
}

} // namespace plexifold::cli
