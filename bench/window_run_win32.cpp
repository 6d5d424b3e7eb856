// Times the Windows window's batch run on a folder: the window starts with FOLDER as the
// user's last folder, "&Execute" is clicked once the window is idle, and the clock stops
// when the closing message comes. Prints the seconds from the click to the message.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "WideText.h"
#include "frmMain.h"
#include "frmMainControls.h"
#include "frmMainRules.h"

using namespace plexifold;

namespace {

using Clock = std::chrono::steady_clock;

// The real window, but the folder comes from the command line and the closing message
// stops the clock and closes the window instead of waiting for a user.
class TimedView final : public app::WindowView {
public:
    TimedView(win32::frmMain& form, std::string folder)
        : m_form(form), m_folder(std::move(folder)) {}

    void click() {
        m_clicked = Clock::now();
        SendMessageW(m_form.handle(), WM_COMMAND, MAKEWPARAM(win32::cmdConvert, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(m_form.handle(), win32::cmdConvert)));
    }
    bool executeEnabled() const {
        return IsWindowEnabled(GetDlgItem(m_form.handle(), win32::cmdConvert));
    }
    double seconds() const { return std::chrono::duration<double>(m_ended - m_clicked).count(); }
    const std::string& message() const { return m_message; }

    void setCaption(const std::string& text) override { m_form.setCaption(text); }
    std::string pathText() const override { return m_form.pathText(); }
    void setPathText(const std::string& text) override { m_form.setPathText(text); }
    void setEnabled(app::Control control, bool enabled) override {
        m_form.setEnabled(control, enabled);
    }
    void setProgressVisible(bool visible) override { m_form.setProgressVisible(visible); }
    void showProgress(const app::ProgressState& state) override { m_form.showProgress(state); }
    void showMessage(const std::string& text, app::MessageIcon) override {
        m_ended = Clock::now();
        m_message = text;
        PostMessageW(m_form.handle(), WM_CLOSE, 0, 0);
    }
    std::string browseForFolder(const std::string&) override { return {}; }
    std::string readSetting() override { return m_folder; }
    void writeSetting(const std::string& text) override { m_form.writeSetting(text); }
    void post(std::function<void()> task, std::chrono::milliseconds delay) override {
        m_form.post(std::move(task), delay);
    }

private:
    win32::frmMain& m_form;
    std::string m_folder;
    std::string m_message;
    Clock::time_point m_clicked;
    Clock::time_point m_ended;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_run_win32 FOLDER\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    win32::frmMain form(GetModuleHandleW(nullptr));
    TimedView view(form, win32::Utf8FromWide(argv[1]));
    app::frmMainRules rules(view);
    bool ready = false;
    const int code = form.run({.load =
                                   [&] {
                                       rules.Form_Load();
                                       // Clicked once the window is shown and has drawn itself, as
                                       // by a user.
                                       view.post(
                                           [&] {
                                               ready = view.executeEnabled();
                                               if (ready)
                                                   view.click();
                                               else
                                                   PostMessageW(form.handle(), WM_CLOSE, 0, 0);
                                           },
                                           std::chrono::milliseconds(300));
                                   },
                               .browseClick = [] {},
                               .executeClick = [&] { rules.cmdConvert_Click(); },
                               .close = [&] { rules.close(); }},
                              SW_SHOWNORMAL);
    if (code != 0 || !ready) {
        std::fprintf(stderr, "window_run_win32: the window did not come up ready to split\n");
        return 1;
    }
    if (view.message() != "Done!") {
        std::fprintf(stderr, "window_run_win32: %s\n", view.message().c_str());
        return 1;
    }
    std::printf("%.6f\n", view.seconds());
    return 0;
}
