#include "WindowTasks.h"

namespace plexifold::win32 {

void WindowTasks::attach(HWND window) {
    const std::lock_guard lock(m_mutex);
    m_window = window;
    if (m_window && !m_queue.empty())
        PostMessageW(m_window, kMessage, 0, 0);
}

void WindowTasks::post(std::function<void()> task, std::chrono::milliseconds delay) {
    const std::lock_guard lock(m_mutex);
    m_queue.push_back({std::move(task), delay});
    // One wake-up stands for every task queued until the window takes them.
    if (m_queue.size() == 1 && m_window)
        PostMessageW(m_window, kMessage, 0, 0);
}

void WindowTasks::runPosted() {
    std::vector<Posted> due;
    HWND window = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        due.swap(m_queue);
        window = m_window;
    }
    for (Posted& posted : due) {
        if (posted.delay.count() <= 0) {
            posted.task();
            continue;
        }
        const UINT_PTR timer = m_nextTimer++;
        m_waiting.emplace(timer, std::move(posted.task));
        SetTimer(window, timer, static_cast<UINT>(posted.delay.count()), nullptr);
    }
}

void WindowTasks::runTimed(UINT_PTR timer) {
    HWND window = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        window = m_window;
    }
    KillTimer(window, timer);
    const auto found = m_waiting.find(timer);
    if (found == m_waiting.end())
        return;
    const std::function<void()> task = std::move(found->second);
    m_waiting.erase(found);
    task();
}

} // namespace plexifold::win32
