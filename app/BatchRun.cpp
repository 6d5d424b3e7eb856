#include "BatchRun.h"

#include "PageNaming.h"
#include "SplitFile.h"

#include <utility>

namespace plexifold {

// Leaves the splitter's reports in the run's mailbox.
class MailboxProgress : public SplitProgress {
public:
    explicit MailboxProgress(BatchRun& run) : m_run(run) {}

    void begin(std::int32_t pageCount) override {
        m_run.post([pageCount](BatchProgress& p) { p.pageCount = pageCount; });
    }
    void page(const std::string& text, std::int32_t value) override {
        m_run.post([&text, value](BatchProgress& p) {
            p.text = QString::fromStdString(text);
            p.value = value;
        });
    }
    void end() override {
        m_run.post([](BatchProgress& p) { p.value = 1; });
    }

private:
    BatchRun& m_run;
};

BatchRun::BatchRun(QObject* parent) : QObject(parent) {
    connect(this, &BatchRun::workerDone, this, &BatchRun::onWorkerDone, Qt::QueuedConnection);
    m_nextFrame.setSingleShot(true);
    connect(&m_nextFrame, &QTimer::timeout, this, &BatchRun::showLatestProgress);
}

BatchRun::~BatchRun() {
    stop();
}

void BatchRun::start(const QStringList& paths) {
    if (isRunning())
        return;
    m_stopRequested = false;
    m_mailbox = {};
    m_posted = false;
    m_sinceShown.invalidate();
    const quint64 runId = ++m_runId;
    m_thread = std::thread([this, runId, paths] { run(runId, paths); });
}

void BatchRun::stop() {
    if (!isRunning())
        return;
    m_stopRequested = true;
    m_thread.join();
    m_nextFrame.stop();
}

void BatchRun::run(quint64 runId, const QStringList& paths) {
    BatchReport report;
    report.fileCount = paths.size();
    for (const QString& path : paths) {
        if (m_stopRequested) {
            report.stopped = true;
            break;
        }
        ProcessFile(path, report);
    }
    emit workerDone(runId, report);
}

void BatchRun::ProcessFile(const QString& path, BatchReport& report) {
    MailboxProgress progress(*this);
    SplitOutcome outcome;
    const std::filesystem::path file = PathFromUtf8(path.toStdString());
    if (!SplitFile(file, progress, &outcome, &m_stopRequested))
        report.failures.append({QString::fromStdString(Utf8Of(FileTitleOf(file))),
                                QString::fromStdString(outcome.reason)});
}

void BatchRun::onWorkerDone(quint64 runId, const BatchReport& report) {
    // A run that stop() has ended was joined there and reports nothing more.
    if (runId != m_runId || !isRunning())
        return;
    m_thread.join();
    showLatestProgress();
    emit finished(report);
}

void BatchRun::post(const std::function<void(BatchProgress&)>& change) {
    bool tell = false;
    {
        const std::lock_guard lock(m_mailboxLock);
        change(m_mailbox);
        tell = !std::exchange(m_posted, true);
    }
    if (tell)
        QMetaObject::invokeMethod(this, &BatchRun::deliverProgress, Qt::QueuedConnection);
}

void BatchRun::deliverProgress() {
    if (!isRunning())
        return; // a stopped run shows nothing more
    const qint64 wait = m_sinceShown.isValid() ? kProgressInterval - m_sinceShown.elapsed() : 0;
    if (wait <= 0)
        showLatestProgress();
    else if (!m_nextFrame.isActive())
        m_nextFrame.start(int(wait));
}

void BatchRun::showLatestProgress() {
    m_nextFrame.stop();
    BatchProgress latest;
    {
        const std::lock_guard lock(m_mailboxLock);
        m_posted = false;
        latest = m_mailbox;
    }
    m_sinceShown.start();
    emit progressChanged(latest);
}

} // namespace plexifold
