#include "CheckCommand.h"
#include "PathText.h"

#include <optional>
#include <set>

#include "Console.h"
#include "Manifest.h"
#include "PageOutputs.h"
#include "Report.h"
#include "SplitBatch.h"

namespace plexifold::cli {
namespace {

namespace fs = std::filesystem;
using PathSet = std::set<fs::path::string_type>;

struct CheckTotals {
    std::int64_t ok = 0;
    std::int64_t missing = 0;
    std::int64_t differs = 0;
    std::size_t failed = 0; // sources that could not be read
};

// Prints each page's state as its file is checked, after comparing its checksum with the
// manifest's when one is given.
class CheckObserver : public BatchObserver {
public:
    CheckObserver(const Options& options, const Manifest* manifest, const PathSet& outputs)
        : m_options(options), m_manifest(manifest), m_outputs(outputs) {}

    SplitProgress& fileStarted(std::size_t, const fs::path&) override { return m_silent; }

    void fileFinished(std::size_t, const fs::path& path, const FileResult& result) override {
        for (PageFileRecord page : result.outcome.pages) {
            if (page.state != PageFileRecord::Ok && m_outputs.contains(page.path.native()))
                m_suspects.push_back(page.path);
            compareWithManifest(page);
            report(page);
        }
        if (!result.ok && !result.stopped && !result.outcome.reason.empty()) {
            ++m_totals.failed;
            reportFile(path, result.outcome.reason);
        }
    }

    const CheckTotals& totals() const { return m_totals; }
    const std::vector<fs::path>& suspects() const { return m_suspects; }

private:
    void compareWithManifest(PageFileRecord& page) const {
        if (!m_manifest || page.state != PageFileRecord::Ok)
            return;
        const auto listed = m_manifest->find(page.path);
        if (listed == page.sha256)
            return;
        page.state = PageFileRecord::Differs;
        page.difference = listed ? "its SHA-256 is not the one in " + shownPath(m_manifest->file())
                                 : "it is not listed in " + shownPath(m_manifest->file());
    }

    void report(const PageFileRecord& page) {
        std::string line = shownPath(page.path) + ": ";
        switch (page.state) {
        case PageFileRecord::Missing:
            ++m_totals.missing;
            line += "missing";
            break;
        case PageFileRecord::Differs:
            ++m_totals.differs;
            line += "differs: " + page.difference;
            break;
        default:
            ++m_totals.ok;
            line += "ok";
        }
        if (!m_options.quiet)
            print(stdout, line);
        else if (page.state != PageFileRecord::Ok)
            print(stderr, "plexifold-split: " + line);
    }

    const Options& m_options;
    const Manifest* m_manifest;
    const PathSet& m_outputs;
    NoProgress m_silent;
    CheckTotals m_totals;
    std::vector<fs::path> m_suspects;
};

// The files that are sources: a page file of another listed file is its output. Whether it
// has one page, as an output must, is left to its check (see notSingle), which reads it.
std::vector<fs::path> sourcesAmong(const std::vector<fs::path>& files, PathSet& outputs) {
    PathSet listed;
    for (const fs::path& file : files)
        listed.insert(file.native());
    const DefaultPageNames names;
    PageOutputs rule(names, [&](const fs::path& path) { return listed.contains(path.native()); });
    std::vector<fs::path> sources;
    for (const fs::path& file : files) {
        if (rule.sourceByName(file))
            outputs.insert(file.native());
        else
            sources.push_back(file);
    }
    return sources;
}

// Taken as outputs by their names, these were not found as pages: those of several pages
// are sources after all.
std::vector<fs::path> notSingle(const std::vector<fs::path>& suspects) {
    std::vector<fs::path> sources;
    for (const fs::path& file : suspects)
        if (PageOutputs::CountTiffPages(file).value_or(1) > 1)
            sources.push_back(file);
    return sources;
}

std::string summary(std::size_t files, const CheckTotals& totals, std::size_t failed,
                    bool stopped) {
    const std::int64_t pages = totals.ok + totals.missing + totals.differs;
    std::string text = counted(static_cast<std::int64_t>(files), "file", "files") + ", " +
                       counted(pages, "page", "pages") + " checked: " + std::to_string(totals.ok) +
                       " ok, " + std::to_string(totals.missing) + " missing, " +
                       std::to_string(totals.differs) + " differ";
    if (failed > 0)
        text += ", " + std::to_string(failed) + " failed";
    return text + (stopped ? ", interrupted" : "");
}

} // namespace

int checkAll(const std::vector<fs::path>& files, const Options& options, std::size_t missing,
             const std::atomic<bool>& stopRequested) {
    std::optional<Manifest> manifest;
    if (!options.checksums.empty()) {
        std::string reason;
        manifest.emplace(options.checksums);
        if (!manifest->read(reason)) {
            print(stderr, "plexifold-split: " + reason);
            return kExitFailed;
        }
    }
    PathSet outputs;
    const std::vector<fs::path> sources = sourcesAmong(files, outputs);
    CheckObserver observer(options, manifest ? &*manifest : nullptr, outputs);
    const SplitOptions check{.checksums = manifest.has_value()};
    SplitBatch batchRun(observer, &stopRequested, check, SplitBatch::Mode::Check);
    BatchTotals batch = batchRun.run(sources);
    const std::vector<fs::path> more =
        batch.stopped ? std::vector<fs::path>{} : notSingle(observer.suspects());
    if (!more.empty())
        batch.stopped = batchRun.run(more).stopped;
    const CheckTotals& totals = observer.totals();
    const std::size_t failed = totals.failed + missing;
    if (!options.quiet)
        print(stdout,
              summary(sources.size() + more.size() + missing, totals, failed, batch.stopped));
    if (batch.stopped)
        return kExitInterrupted;
    return failed > 0 || totals.missing > 0 || totals.differs > 0 ? kExitFailed : 0;
}

} // namespace plexifold::cli
