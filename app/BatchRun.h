#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "BatchReport.h"
#include "WindowView.h"

namespace plexifold::app {

// Splits a list of files one after the other (SplitBatch) on a worker thread. The worker leaves
// its progress in a mailbox and never waits for the window; the window's thread
// shows the latest of it at most once a frame, so that a run of many small pages
// is not held up by drawing each of them. Everything but the worker runs on the
// window's thread.
class BatchRun {
public:
    using Finished = std::function<void(const BatchReport&)>;

    /// `finished` runs on the window's thread when every file has been tried.
    BatchRun(WindowView& view, Finished finished);
    ~BatchRun();
    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;

    /// Starts splitting `paths` in their order. Does nothing while a run is going on.
    void start(std::vector<std::filesystem::path> paths);

    /// Asks the run to stop after the page in work (a page of more than a few megabytes is
    /// given up at once) and waits until it has; the
    /// stopped run shows and reports nothing more. Does nothing when no run is going on.
    void stop();

    bool isRunning() const { return m_thread.joinable(); }

    /// The shortest time between two progress states shown (a frame).
    static constexpr std::chrono::milliseconds kFrame{20};

private:
    friend class MailboxProgress;

    void run(std::uint64_t runId, const std::vector<std::filesystem::path>& paths);
    void workerDone(std::uint64_t runId, const BatchReport& report);
    /// Worker side: changes the progress in the mailbox and tells the window once.
    void post(const std::function<void(ProgressState&)>& change);
    /// Window side: runs `task` later on the window's thread if this run is still current.
    void postToWindow(std::function<void()> task, std::chrono::milliseconds delay = {});
    void deliver();
    void frameEnd();
    void showLatest();

    WindowView& m_view;
    Finished m_finished;
    std::thread m_thread;
    std::atomic<bool> m_stopRequested = false;
    std::atomic<std::uint64_t> m_runId = 0; // tells a stopped run's tasks from the current's
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true); // tasks outliving us do nothing

    std::mutex m_mailboxLock;
    ProgressState m_mailbox;  // guarded by m_mailboxLock
    bool m_posted = false;    // guarded by m_mailboxLock: the mailbox holds news
    bool m_frameOpen = false; // window's thread: a state was shown less than a frame ago
};

} // namespace plexifold::app
