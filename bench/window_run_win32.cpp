// Times the Windows window's batch run on a folder: the window starts with FOLDER as the
// user's last folder, "&Execute" is clicked once the window is idle, and the clock stops
// when the closing message comes. Prints the seconds from the click to the message.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "PathText.h"
#include "RegistryStore.h"
#include "frmMain.h"
#include "frmMainControls.h"

using namespace plexifold;

namespace {

using Clock = std::chrono::steady_clock;

void click(const win32::frmMain& form) {
    SendMessageW(form.handle(), WM_COMMAND, MAKEWPARAM(win32::cmdConvert, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(form.handle(), win32::cmdConvert)));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_run_win32 FOLDER\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    // The real window, with FOLDER as the user's last folder; the closing message stops
    // the clock and closes the window instead of waiting for a user.
    win32::WriteRegistryString(HKEY_CURRENT_USER, files::WideFromUtf8(app::kSettingsKey),
                               files::WideFromUtf8(app::kSettingsValue), argv[1]);
    Clock::time_point clicked, ended;
    std::string message;
    win32::Prompts prompts;
    prompts.browseForFolder = [](HWND, const std::wstring&) { return std::wstring(); };
    prompts.showMessage = [&](HWND owner, const std::wstring& text, UINT) {
        ended = Clock::now();
        message = files::Utf8FromUtf16(text);
        PostMessageW(owner, WM_CLOSE, 0, 0);
    };
    win32::frmMain form(GetModuleHandleW(nullptr), prompts);
    bool ready = false;
    // Clicked once the window is shown and has drawn itself, as by a user.
    form.post(
        [&] {
            ready = IsWindowEnabled(GetDlgItem(form.handle(), win32::cmdConvert));
            clicked = Clock::now();
            if (ready)
                click(form);
            else
                PostMessageW(form.handle(), WM_CLOSE, 0, 0);
        },
        std::chrono::milliseconds(300));
    const int code = form.run(SW_SHOWNORMAL);
    if (code != 0 || !ready) {
        std::fprintf(stderr, "window_run_win32: the window did not come up ready to split\n");
        return 1;
    }
    if (message != "Done!") {
        std::fprintf(stderr, "window_run_win32: %s\n", message.c_str());
        return 1;
    }
    std::printf("%.6f\n", std::chrono::duration<double>(ended - clicked).count());
    return 0;
}
