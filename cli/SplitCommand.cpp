#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <optional>

#include "CheckCommand.h"
#include "CommandLine.h"
#include "Console.h"
#include "Inputs.h"
#include "JobsProgress.h"
#include "JsonReport.h"
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

// Shows the run: a live line on a terminal while a file is split, then what became of it,
// as text or as a JSON record. Messages go to stderr; with --json, the progress line too.
class RunObserver : public BatchObserver {
public:
    RunObserver(const Options& options, Manifest* manifest)
        : m_options(options), m_lineStream(options.json ? stderr : stdout),
          m_terminal(m_lineStream, 0), m_jobs(m_lineStream),
          m_live(!options.quiet && isTerminal(m_lineStream)), m_manifest(manifest) {}

    SplitProgress& fileStarted(std::size_t index, const fs::path& path) override {
        if (!m_live)
            return m_silent;
        if (m_options.jobs > 1)
            return m_jobs.startFile(index);
        m_terminal.startFile(index, files::Utf8Of(FileTitleOf(path)));
        return m_terminal;
    }
    void fileFinished(std::size_t index, const fs::path& path, const FileResult& result) override {
        if (m_live && m_options.jobs > 1) {
            m_jobs.finishFile(index, [&] { show(path, result); });
        } else {
            m_terminal.clear();
            show(path, result);
        }
    }
    const StatusCounts& counts() const { return m_counts; }

private:
    void show(const fs::path& path, const FileResult& result) {
        m_counts.add(StatusOf(result));
        if (m_manifest)
            for (const PageFileRecord& page : result.outcome.pages)
                m_manifest->add(page.path, page.sha256);
        if (m_options.json)
            print(stdout, FileRecord(path, result));
        if (!result.stopped) // the file stopped is not reported, its pages are counted
            report(path, result);
    }
    void report(const fs::path& file, const FileResult& result) const {
        for (const std::string& warning : result.outcome.warnings)
            reportFile(file, warning);
        if (!result.ok)
            reportFile(file, result.outcome.reason);
        else if (result.output && !m_options.quiet)
            print(m_options.json ? stderr : stdout,
                  files::Utf8Of(file) + ": " + result.outcome.reason);
        else if (m_options.dryRun && !m_options.json)
            for (const PageFileRecord& page : result.outcome.pages)
                print(stdout, files::Utf8Of(page.path));
        else if (!m_options.quiet && !m_options.json && !m_options.dryRun && !isTerminal(stdout))
            print(stdout, files::Utf8Of(file) + ": " +
                              counted(result.outcome.pagesWritten, "page", "pages"));
    }

    const Options& m_options;
    std::FILE* m_lineStream;
    TerminalProgress m_terminal;
    JobsProgress m_jobs;
    NoProgress m_silent;
    bool m_live;
    Manifest* m_manifest;
    StatusCounts m_counts;
};

std::string summary(const BatchTotals& batch) {
    std::string text = counted(static_cast<std::int64_t>(batch.files), "file", "files") + ", " +
                       counted(batch.pagesWritten, "page", "pages") + " written, ";
    if (batch.pagesKept > 0)
        text += counted(batch.pagesKept, "page", "pages") + " kept, ";
    if (batch.pagesFailed > 0)
        text += counted(batch.pagesFailed, "page", "pages") + " not written, ";
    return text + std::to_string(batch.failed) + " failed" + (batch.stopped ? ", interrupted" : "");
}

int splitAll(FileSource& files, const Options& options) {
    const auto start = std::chrono::steady_clock::now();
    std::optional<Manifest> manifest;
    if (!options.checksums.empty() && !options.dryRun)
        manifest.emplace(options.checksums);
    RunObserver observer(options, manifest ? &*manifest : nullptr);
    BatchSettings settings{.split = options.split,
                           .base = options.base,
                           .jobs = options.jobs,
                           .recogniseOutputs = true};
    settings.split.checksums = manifest.has_value();
    const BatchTotals batch = SplitBatch(observer, &g_stopRequested, settings).run(files);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::string reason;
    const bool listed = !manifest || manifest->write(reason);
    if (!listed)
        print(stderr, "plexifold-split: " + reason);
    if (options.json)
        print(stdout, SummaryRecord(observer.counts(), batch, seconds.count()));
    if (!options.quiet && !options.dryRun)
        print(options.json ? stderr : stdout, summary(batch));
    if (batch.stopped)
        return stopExitStatus();
    return batch.failed > 0 || !listed ? kExitFailed : 0;
}

int run(const std::vector<fs::path>& arguments) {
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
    Inputs inputs;
    if (!inputs.open(options, error)) {
        print(stderr, "plexifold-split: " + error);
        return kExitUsage;
    }
    if (options.json)
        useBinaryOutput();
    if (options.check)
        return checkAll(inputs.source(), options, g_stopRequested);
    return splitAll(inputs.source(), options);
}

} // namespace

int runSplit(const std::vector<fs::path>& arguments) {
    try {
        return run(arguments);
    } catch (const std::exception& failure) { // never the 255 that stops xargs
        print(stderr, std::string("plexifold-split: ") + failure.what());
    } catch (...) {
        print(stderr, "plexifold-split: unexpected failure");
    }
    return kExitFailed;
}

} // namespace plexifold::cli
