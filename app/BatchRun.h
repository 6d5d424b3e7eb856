#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "BatchReport.h"

namespace plexifold {

// Where a run stands, as the window shows it.
struct BatchProgress {
    qint32 pageCount = 0; // pages of the file in work; 0 before the first file
    qint32 value = 0;     // the page in work (from 1), back to 1 when its file is done
    QString text;         // "Processing doc.tif (3 from 12)"; "" before the first page
};

// Splits a list of files one after the other on a worker thread. The worker leaves
// its progress in a mailbox and never waits for the window; the window's thread
// shows the latest of it at most once a frame, so that a run of many small pages
// is not held up by drawing each of them.
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

    /// The shortest time between two progress signals (a frame).
    static constexpr int kProgressInterval = 20; // ms

signals:
    /// The run has moved on; sent in the owner's thread, the last time with where
    /// the run ended, just before finished().
    void progressChanged(const plexifold::BatchProgress& progress);
    /// Every file has been tried.
    void finished(const plexifold::BatchReport& report);

    /// Sent by the worker as its last act; handled in the owner's thread.
    void workerDone(quint64 runId, const plexifold::BatchReport& report);

private:
    friend class MailboxProgress;

    void run(quint64 runId, const QStringList& paths);
    void ProcessFile(const QString& path, BatchReport& report);
    void onWorkerDone(quint64 runId, const BatchReport& report);
    /// Worker side: changes the progress in the mailbox and tells the owner once.
    void post(const std::function<void(BatchProgress&)>& change);
    /// Owner side: shows the mailbox now, or when a frame has passed since the last time.
    void deliverProgress();
    void showLatestProgress();

    std::thread m_thread;
    std::atomic<bool> m_stopRequested = false;
    quint64 m_runId = 0; // tells a stopped run's last word from the current run's

    std::mutex m_mailboxLock;
    BatchProgress m_mailbox;    // guarded by m_mailboxLock
    bool m_posted = false;      // guarded by m_mailboxLock: a delivery is on its way
    QElapsedTimer m_sinceShown; // owner's thread only
    QTimer m_nextFrame;         // owner's thread only
};

} // namespace plexifold
