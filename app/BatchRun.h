#pragma once

#include <QObject>
#include <QStringList>
#include <atomic>
#include <thread>

#include "BatchReport.h"

namespace plexifold {

// Splits a list of files one after the other on a worker thread. Progress comes
// back as signals, which reach a receiver in the window's thread queued, so the
// worker never waits for the window.
class BatchRun : public QObject {
    Q_OBJECT

public:
    explicit BatchRun(QObject* parent = nullptr);
    ~BatchRun() override;

    /// Starts splitting `paths` in their order. Does nothing while a run is going on.
    void start(const QStringList& paths);

    /// Asks the run to stop after the page in work and waits until it has; the
    /// stopped run reports nothing more. Does nothing when no run is going on.
    void stop();

    bool isRunning() const { return m_thread.joinable(); }

signals:
    /// A file of `pageCount` pages starts.
    void fileBegun(qint32 pageCount);
    /// Page `value` (from 1) is in work; `text` reads "Processing doc.tif (3 from 12)".
    void pageBegun(const QString& text, qint32 value);
    /// Every page of the file is saved.
    void fileEnded();
    /// Every file has been tried.
    void finished(const plexifold::BatchReport& report);

    /// Sent by the worker as its last act; handled in the owner's thread.
    void workerDone(quint64 runId, const plexifold::BatchReport& report);

private:
    void run(quint64 runId, const QStringList& paths);
    void ProcessFile(const QString& path, BatchReport& report);
    void onWorkerDone(quint64 runId, const BatchReport& report);

    std::thread m_thread;
    std::atomic<bool> m_stopRequested = false;
    quint64 m_runId = 0; // tells a stopped run's last word from the current run's
};

} // namespace plexifold
