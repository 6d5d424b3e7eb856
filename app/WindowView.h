#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace plexifold::app {

/// Where the window keeps its folder, named as the registry names them.
inline constexpr const char* kSettingsKey = "SOFTWARE\\Plexifold";
inline constexpr const char* kSettingsValue = "DEFAULT_PATH";

enum class Control { txtPath, cmdBrowse, cmdConvert };
enum class MessageIcon { Information, Exclamation, Warning };

// How far the whole run has got, for the taskbar button or the launcher entry.
struct RunProgress {
    std::size_t filesDone = 0; // files finished before the one in work
    std::size_t fileCount = 0;
    double share = 0;    // of the run done, from 0 to 1
    bool failed = false; // a file of the run has failed
};

// What the label, the caption and the bar show of a run.
struct ProgressState {
    std::string text;
    std::int32_t minimum = 0;
    std::int32_t maximum = 100;
    std::int32_t value = 0;
};

// What the window's rules ask of a window; every call but post() is made on the window's thread.
class WindowView {
public:
    virtual ~WindowView() = default;
    virtual void setCaption(const std::string& text) = 0;
    virtual std::string pathText() const = 0;
    virtual void setPathText(const std::string& text) = 0; // UTF-8; the view does not call back
    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual void setProgressVisible(bool visible) = 0; // lblProgress
    /// Label text, caption, bar range and value; repainted at once.
    virtual void showProgress(const ProgressState& state) = 0;
    /// The run's share where the system shows one (taskbar button, launcher entry).
    virtual void showRunProgress(const RunProgress& run) = 0;
    /// The run's share is no longer shown.
    virtual void clearRunProgress() = 0;
    /// Modal box titled "Plexifold" with one OK button.
    virtual void showMessage(const std::string& text, MessageIcon icon) = 0;
    /// Modal picker; "" on cancel or when no file-system folder was chosen.
    virtual std::string browseForFolder(const std::string& prompt) = 0;
    virtual std::string readSetting() = 0;                  // DEFAULT_PATH, "" when none
    virtual void writeSetting(const std::string& text) = 0; // silent on failure
    /// Runs `task` on the window's thread after `delay`; callable from any thread.
    virtual void post(std::function<void()> task, std::chrono::milliseconds delay = {}) = 0;
};

} // namespace plexifold::app
