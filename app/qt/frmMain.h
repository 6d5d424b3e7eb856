#pragma once

#include <QWidget>

#include "Prompts.h"
#include "WindowView.h"
#include "frmMainRules.h"
#include "frmMainUi.h"

namespace plexifold {

// The program's one window drawn with Qt Widgets. It shows what the window's rules
// ask and forwards its events to them; it makes no decisions of its own.
class frmMain : public QWidget, public app::WindowView {
    Q_OBJECT

public:
    /// Creates the window and loads it (caption, stored folder, file list), still hidden.
    explicit frmMain(Prompts prompts = Prompts::standard(), QWidget* parent = nullptr);
    ~frmMain() override;

    app::frmMainRules& rules() { return m_rules; }
    /// An error escaped a handler: the program is closing.
    bool hasFailed() const { return m_failed; }

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

protected:
    /// Closing during a run stops it after the page in work; nothing is stored.
    void closeEvent(QCloseEvent* event) override;
    /// Folders and files dropped from the local file system go to the rules.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    /// Runs an event's handler; an error that escapes it ends the program.
    void guarded(const std::function<void()>& handler);
    void fail(const char* reason);
    void centreOnScreen();
    void centreFrameOnce();

    frmMainUi m_ui;
    Prompts m_prompts;
    bool m_frameCentred = false;
    bool m_failed = false;
    std::string m_pathBytes;          // what the folder box shows, exactly
    app::frmMainRules m_rules{*this}; // last: stopped before the controls go
};

} // namespace plexifold
