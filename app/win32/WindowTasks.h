#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include <windows.h>

namespace plexifold::win32 {

// Functions handed to a window from any thread, run on the window's thread: a private
// message wakes the window, a timer waits out a delay.
class WindowTasks {
public:
    /// The message that tells the window to call runPosted().
    static constexpr UINT kMessage = WM_APP + 1;

    /// The window that runs the tasks, or nullptr once it is gone; tasks queued before
    /// it came are announced to it.
    void attach(HWND window);
    /// Queues `task` to run after `delay`; callable from any thread.
    void post(std::function<void()> task, std::chrono::milliseconds delay);
    /// Window's thread, on kMessage: runs what is due, starts a timer for the rest.
    void runPosted();
    /// Window's thread, on WM_TIMER: runs the task that waited for `timer`.
    void runTimed(UINT_PTR timer);

private:
    struct Posted {
        std::function<void()> task;
        std::chrono::milliseconds delay;
    };

    std::mutex m_mutex;
    HWND m_window = nullptr;     // guarded by m_mutex
    std::vector<Posted> m_queue; // guarded by m_mutex
    std::map<UINT_PTR, std::function<void()>> m_waiting;
    UINT_PTR m_nextTimer = 1;
};

} // namespace plexifold::win32
