#include "BatchRun.h"

#include "PageNaming.h"
#include "SplitFile.h"

namespace plexifold {
namespace {

// Passes the splitter's reports on as the run's signals.
class SignalProgress : public SplitProgress {
public:
    explicit SignalProgress(BatchRun& run) : m_run(run) {}

    void begin(qint32 pageCount) override { emit m_run.fileBegun(pageCount); }
    void page(const QString& text, qint32 value) override { emit m_run.pageBegun(text, value); }
    void end() override { emit m_run.fileEnded(); }

private:
    BatchRun& m_run;
};

} // namespace

BatchRun::BatchRun(QObject* parent) : QObject(parent) {
    connect(this, &BatchRun::workerDone, this, &BatchRun::onWorkerDone, Qt::QueuedConnection);
}

BatchRun::~BatchRun() {
    stop();
}

void BatchRun::start(const QStringList& paths) {
    if (isRunning())
        return;
    m_stopRequested = false;
    const quint64 runId = ++m_runId;
    m_thread = std::thread([this, runId, paths] { run(runId, paths); });
}

void BatchRun::stop() {
    if (!isRunning())
        return;
    m_stopRequested = true;
    m_thread.join();
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
    SignalProgress progress(*this);
    SplitOutcome outcome;
    if (!SplitFile(path, progress, &outcome, &m_stopRequested))
        report.failures.append({FileTitleOf(path), outcome.reason});
}

void BatchRun::onWorkerDone(quint64 runId, const BatchReport& report) {
    // A run that stop() has ended was joined there and reports nothing more.
    if (runId != m_runId || !isRunning())
        return;
    m_thread.join();
    emit finished(report);
}

} // namespace plexifold
