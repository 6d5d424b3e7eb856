#pragma once

#include <chrono>
#include <functional>
#include <string>

#include <windows.h>

#include "WindowTasks.h"
#include "WindowView.h"

namespace plexifold::win32 {

// What the window passes on to its rules; each runs on the window's thread.
struct FormEvents {
    std::function<void()> load;         // once, before the window is first shown
    std::function<void()> browseClick;  // "..."
    std::function<void()> executeClick; // "&Execute"
    std::function<void()> close;        // the user closes the window
};

// The program's one window, drawn with Windows' own controls. It shows what its rules
// tell it and passes its events on; it decides nothing of its own.
class frmMain final : public app::WindowView {
public:
    explicit frmMain(HINSTANCE instance);
    ~frmMain() override;
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    /// Creates the window and runs the load event, still hidden; false when that failed.
    bool load(FormEvents events);
    /// Loads the window, shows it and runs its messages until it is closed; returns the
    /// program's exit code.
    int run(FormEvents events, int showCommand);

    HWND handle() const { return m_hwnd; }

    void setCaption(const std::string& text) override;
    std::string pathText() const override;
    void setPathText(const std::string& text) override;
    void setEnabled(app::Control control, bool enabled) override;
    void setProgressVisible(bool visible) override;
    void showProgress(const app::ProgressState& state) override;
    void showMessage(const std::string& text, app::MessageIcon icon) override;
    std::string browseForFolder(const std::string& prompt) override;
    std::string readSetting() override;
    void writeSetting(const std::string& text) override;
    void post(std::function<void()> task, std::chrono::milliseconds delay = {}) override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCreate();
    void onCommand(int id, int code);
    void onActivate(bool active);
    void onDpiChanged(UINT dpi, const RECT& suggested);
    void applyDpi(UINT dpi);
    void placeCentred();
    void fail(const char* reason);
    HWND control(int id) const { return GetDlgItem(m_hwnd, id); }

    HINSTANCE m_instance;
    HWND m_hwnd = nullptr;
    HFONT m_font = nullptr;
    HWND m_lastFocus = nullptr;
    FormEvents m_events;
    int m_exitCode = 0;
    WindowTasks m_tasks;
};

} // namespace plexifold::win32
