#pragma once

#include <chrono>
#include <functional>
#include <string>

#include <windows.h>

#include <shellapi.h>

#include "TaskbarButton.h"
#include "WindowTasks.h"
#include "WindowView.h"
#include "frmMainRules.h"

namespace plexifold::win32 {

// The modal questions the window asks. Tests and the benchmark replace them to answer
// without a user.
struct Prompts {
    /// Returns the chosen folder, or "" when the user cancels.
    std::function<std::wstring(HWND owner, const std::wstring& prompt)> browseForFolder;
    /// Returns when the user has closed the message; `icon` is an MB_ICON value.
    std::function<void(HWND owner, const std::wstring& text, UINT icon)> showMessage;

    /// The shell's folder browser and Windows' message box.
    static Prompts standard();
};

// The program's one window, drawn with Windows' own controls. It shows what its rules
// ask and forwards its events to them; it makes no decisions of its own.
class frmMain final : public app::WindowView {
public:
    explicit frmMain(HINSTANCE instance, Prompts prompts = Prompts::standard(),
                     TaskbarButton taskbar = TaskbarButton::standard());
    ~frmMain() override;
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    /// Creates the window and loads it (caption, stored folder, file list), still hidden;
    /// false when that failed.
    bool load();
    /// Loads the window, shows it and runs its messages until it is closed; returns the
    /// program's exit code.
    int run(int showCommand);

    HWND handle() const { return m_hwnd; }
    app::frmMainRules& rules() { return m_rules; }

    void setCaption(const std::string& text) override;
    std::string pathText() const override;
    void setPathText(const std::string& text) override;
    void setEnabled(app::Control control, bool enabled) override;
    void setProgressVisible(bool visible) override;
    void showProgress(const app::ProgressState& state) override;
    void showRunProgress(const app::RunProgress& run) override;
    void clearRunProgress() override;
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
    void onDropFiles(HDROP drop);
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
    Prompts m_prompts;
    TaskbarButton m_taskbar;
    int m_exitCode = 0;
    WindowTasks m_tasks;
    app::frmMainRules m_rules{*this}; // last: stopped before the controls go
};

} // namespace plexifold::win32
