#include "CheckCommand.h"

#include <optional>

#include "Console.h"
#include "JsonReport.h"
#include "Manifest.h"
#include "PathText.h"
#include "Report.h"

namespace plexifold::cli {
namespace {

namespace fs = std::filesystem;

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
    CheckObserver(const Options& options, const Manifest* manifest)
        : m_options(options), m_manifest(manifest) {}

    SplitProgress& fileStarted(std::size_t, const fs::path&) override { return m_silent; }

    void fileFinished(std::size_t, const fs::path& path, const FileResult& result) override {
        if (result.output)
            return; // a page file beside its source: checked with that source
        ++m_files;
        FileResult checked = result;
        for (PageFileRecord& page : checked.outcome.pages) {
            compareWithManifest(page);
            checked.ok = checked.ok && page.state == PageFileRecord::Ok;
            report(page);
        }
        if (!checked.ok && !checked.stopped && !checked.outcome.reason.empty()) {
            ++m_totals.failed;
            reportFile(path, checked.outcome.reason);
        }
        if (m_options.json)
            print(stdout, FileRecord(path, checked, true));
    }

    const CheckTotals& totals() const { return m_totals; }
    std::size_t files() const { return m_files; }

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
            print(m_options.json ? stderr : stdout, line);
        else if (page.state != PageFileRecord::Ok)
            print(stderr, "plexifold-split: " + line);
    }

    const Options& m_options;
    const Manifest* m_manifest;
    NoProgress m_silent;
    CheckTotals m_totals;
    std::size_t m_files = 0;
};

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

int checkAll(FileSource& files, const Options& options, const std::atomic<bool>& stopRequested) {
    std::optional<Manifest> manifest;
    if (!options.checksums.empty()) {
        std::string reason;
        manifest.emplace(options.checksums);
        if (!manifest->read(reason)) {
            print(stderr, "plexifold-split: " + reason);
            return kExitFailed;
        }
    }
    CheckObserver observer(options, manifest ? &*manifest : nullptr);
    BatchSettings settings{.split = options.split,
                           .base = options.base,
                           .jobs = options.jobs,
                           .recogniseOutputs = true,
                           .mode = BatchSettings::Mode::Check};
    settings.split.checksums = manifest.has_value();
    const BatchTotals batch = SplitBatch(observer, &stopRequested, settings).run(files);
    const CheckTotals& totals = observer.totals();
    if (!options.quiet)
        print(options.json ? stderr : stdout,
              summary(observer.files(), totals, totals.failed, batch.stopped));
    if (batch.stopped)
        return stopExitStatus();
    return totals.failed > 0 || totals.missing > 0 || totals.differs > 0 ? kExitFailed : 0;
}

} // namespace plexifold::cli
