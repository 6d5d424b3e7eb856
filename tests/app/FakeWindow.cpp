#include "FakeWindow.h"

#include <chrono>
#include <stdexcept>

namespace plexifold::test {

FakeWindow::Snapshot FakeWindow::snapshot() const {
    return {caption, path,      progressVisible, enabled[0] || enabled[1] || enabled[2],
            stored,  runCleared};
}

void FakeWindow::showProgress(const app::ProgressState& state) {
    shown.push_back(state);
    shownAt.push_back(snapshot());
    if (onProgress)
        onProgress();
}

void FakeWindow::showMessage(const std::string& text, app::MessageIcon icon) {
    messages.push_back({text, icon, snapshot()});
    if (whileMessageOpen)
        whileMessageOpen();
}

std::string FakeWindow::browseForFolder(const std::string& prompt) {
    pickerPrompts.push_back(prompt);
    if (pickerFails)
        throw std::runtime_error("no dialog");
    if (folders.empty())
        return {};
    std::string answer = folders.front();
    folders.pop_front();
    return answer;
}

void FakeWindow::writeSetting(const std::string& text) {
    stored = text;
    ++settingWrites;
}

void FakeWindow::post(std::function<void()> task, std::chrono::milliseconds delay) {
    {
        const std::lock_guard lock(m_lock);
        (delay.count() > 0 ? m_later : m_now).push_back(std::move(task));
    }
    m_posted.notify_all();
}

std::vector<std::function<void()>> FakeWindow::takeTasks(bool includeLater) {
    std::unique_lock lock(m_lock);
    if (m_now.empty() && !(includeLater && !m_later.empty()))
        m_posted.wait_for(lock, std::chrono::milliseconds(50));
    std::vector<std::function<void()>> tasks(m_now.begin(), m_now.end());
    m_now.clear();
    if (includeLater && tasks.empty()) {
        tasks.assign(m_later.begin(), m_later.end());
        m_later.clear();
    }
    return tasks;
}

bool FakeWindow::runUntil(const std::function<bool()>& done, bool framesPass) {
    // A bound against a hanging run, not a measure of speed.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        for (auto& task : takeTasks(framesPass))
            task();
    }
    return true;
}

void FakeWindow::nextFrame() {
    std::deque<std::function<void()>> later;
    {
        const std::lock_guard lock(m_lock);
        later.swap(m_later);
    }
    for (auto& task : later)
        task();
}

} // namespace plexifold::test
