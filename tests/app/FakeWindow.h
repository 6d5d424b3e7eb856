#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "WindowView.h"

namespace plexifold::test {

// A window without a toolkit: it records what the rules show, answers their questions
// from a script, and runs their posted tasks when the test pumps them.
class FakeWindow : public app::WindowView {
public:
    // What the window shows at one moment.
    struct Snapshot {
        std::string caption;
        std::string path;
        bool progressVisible = false;
        bool anyInputEnabled = false;
        std::optional<std::string> stored;
        int runCleared = 0;
    };
    struct Message {
        std::string text;
        app::MessageIcon icon;
        Snapshot whileOpen;
    };

    // The script.
    std::deque<std::string> folders;        // the picker's answers, in order; "" cancels
    bool pickerFails = false;               // the picker throws
    std::optional<std::string> stored;      // the setting; nullopt: none
    std::function<void()> whileMessageOpen; // runs while a message is open
    std::function<void()> onProgress;       // runs after each progress state shown

    // The record.
    std::string caption;
    std::string path;
    bool enabled[3] = {true, true, false}; // txtPath, cmdBrowse, cmdConvert as designed
    bool progressVisible = false;
    std::vector<app::ProgressState> shown;
    std::vector<app::RunProgress> runShown; // one with each progress state
    std::vector<Snapshot> shownAt;          // the window at each progress state
    std::vector<Message> messages;
    std::vector<std::string> pickerPrompts;
    int settingWrites = 0;
    int runCleared = 0; // how often the run's share was taken away

    bool isEnabled(app::Control control) const { return enabled[int(control)]; }
    Snapshot snapshot() const;

    /// Runs posted tasks on this thread until `done` holds; false when it still does not
    /// after a long while. With `framesPass` false, tasks posted for a later frame wait.
    bool runUntil(const std::function<bool()>& done, bool framesPass = true);
    /// Runs the tasks that wait for a later frame.
    void nextFrame();

    void setCaption(const std::string& text) override { caption = text; }
    std::string pathText() const override { return path; }
    void setPathText(const std::string& text) override { path = text; }
    void setEnabled(app::Control control, bool on) override { enabled[int(control)] = on; }
    void setProgressVisible(bool visible) override { progressVisible = visible; }
    void showProgress(const app::ProgressState& state) override;
    void showRunProgress(const app::RunProgress& run) override { runShown.push_back(run); }
    void clearRunProgress() override { ++runCleared; }
    void showMessage(const std::string& text, app::MessageIcon icon) override;
    std::string browseForFolder(const std::string& prompt) override;
    std::string readSetting() override { return stored.value_or(""); }
    void writeSetting(const std::string& text) override;
    void post(std::function<void()> task, std::chrono::milliseconds delay = {}) override;

private:
    std::vector<std::function<void()>> takeTasks(bool includeLater);

    std::mutex m_lock;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_now;   // guarded by m_lock
    std::deque<std::function<void()>> m_later; // guarded by m_lock: for a later frame
};

} // namespace plexifold::test
