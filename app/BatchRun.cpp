#include "BatchRun.h"

#include "PageNaming.h"
#include "PathText.h"
#include "SplitBatch.h"

#include <utility>

namespace plexifold::app {

// Leaves the splitter's reports in the run's mailbox.
class MailboxProgress : public SplitProgress {
public:
    explicit MailboxProgress(BatchRun& run) : m_run(run) {}

    void begin(std::int32_t pageCount) override {
        m_run.post([pageCount](ProgressState& p) {
            p.minimum = 1;
            p.maximum = pageCount;
        });
    }
    void page(const std::string& text, std::int32_t value) override {
        m_run.post([&text, value](ProgressState& p) {
            p.text = text;
            p.value = value;
        });
    }
    void end() override {
        m_run.post([](ProgressState& p) { p.value = p.minimum; });
    }

private:
    BatchRun& m_run;
};

// Gathers what the box at the end names: the files that failed, and why.
class WindowObserver : public BatchObserver {
public:
    WindowObserver(BatchRun& run, BatchReport& report) : m_progress(run), m_report(report) {}

    SplitProgress& fileStarted(std::size_t, const std::filesystem::path&) override {
        return m_progress;
    }
    void fileFinished(std::size_t, const std::filesystem::path& path,
                      const FileResult& result) override {
        if (!result.ok)
            m_report.failures.push_back({files::Utf8Of(FileTitleOf(path)), result.outcome.reason});
    }

private:
    MailboxProgress m_progress;
    BatchReport& m_report;
};

BatchRun::BatchRun(WindowView& view, Finished finished)
    : m_view(view), m_finished(std::move(finished)) {}

BatchRun::~BatchRun() {
    stop();
}

void BatchRun::start(std::vector<std::filesystem::path> paths) {
    if (isRunning())
        return;
    m_stopRequested = false;
    m_mailbox = {};
    m_posted = false;
    m_frameOpen = false;
    const std::uint64_t runId = ++m_runId;
    m_thread = std::thread([this, runId, paths = std::move(paths)] { run(runId, paths); });
}

void BatchRun::stop() {
    if (!isRunning())
        return;
    m_stopRequested = true;
    m_thread.join();
    ++m_runId; // whatever the stopped run left on its way is dropped
}

void BatchRun::run(std::uint64_t runId, const std::vector<std::filesystem::path>& paths) {
    BatchReport report;
    report.fileCount = paths.size();
    WindowObserver observer(*this, report);
    report.stopped = SplitBatch(observer, &m_stopRequested).run(paths).stopped;
    postToWindow([this, runId, report] { workerDone(runId, report); });
}

void BatchRun::postToWindow(std::function<void()> task, std::chrono::milliseconds delay) {
    const std::uint64_t runId = m_runId;
    m_view.post(
        [this, alive = std::weak_ptr<bool>(m_alive), runId, task = std::move(task)] {
            if (alive.lock() && runId == m_runId)
                task();
        },
        delay);
}

void BatchRun::workerDone(std::uint64_t runId, const BatchReport& report) {
    if (runId != m_runId || !isRunning())
        return;
    m_thread.join();
    showLatest();
    m_finished(report);
}

void BatchRun::post(const std::function<void(ProgressState&)>& change) {
    bool tell = false;
    {
        const std::lock_guard lock(m_mailboxLock);
        change(m_mailbox);
        tell = !std::exchange(m_posted, true);
    }
    if (tell)
        postToWindow([this] { deliver(); });
}

void BatchRun::deliver() {
    // Within a frame of the last state shown, the frame's end shows the news.
    if (!m_frameOpen && isRunning())
        showLatest();
}

void BatchRun::frameEnd() {
    m_frameOpen = false;
    bool news = false;
    {
        const std::lock_guard lock(m_mailboxLock);
        news = m_posted;
    }
    if (news && isRunning())
        showLatest();
}

void BatchRun::showLatest() {
    ProgressState latest;
    {
        const std::lock_guard lock(m_mailboxLock);
        m_posted = false;
        latest = m_mailbox;
    }
    if (latest.text.empty())
        return; // no page has started yet: nothing to show
    m_view.showProgress(latest);
    if (!m_frameOpen) {
        m_frameOpen = true;
        postToWindow([this] { frameEnd(); }, kFrame);
    }
}

} // namespace plexifold::app
