#include <gtest/gtest.h>

#include <initializer_list>
#include <thread>
#include <vector>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>

#include "PathText.h"
#include "RegistryStore.h"
#include "TempFolder.h"
#include "frmMain.h"
#include "frmMainControls.h"

using namespace plexifold;
using namespace plexifold::win32;

namespace {

// What the shell hands a window when files are dropped onto it: a DROPFILES block followed
// by the names, each ended by a NUL, and one more NUL.
HGLOBAL dropBlock(const std::vector<std::wstring>& names) {
    std::wstring list;
    for (const auto& name : names)
        list += name + L'\0';
    list += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    const HGLOBAL block = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(),
                list.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    return block;
}

// Wine draws windows on an X display; without one a window would never come.
bool canShowWindows() {
    const bool underWine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return !underWine || GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) > 0;
}

std::wstring textOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

class frmMainTest : public testing::Test {
protected:
    void SetUp() override {
        if (!canShowWindows())
            GTEST_SKIP() << "needs an X display under Wine";
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        // The window loads with an empty folder as the user's last one: nothing to run.
        m_storedBefore = ReadRegistryString(HKEY_CURRENT_USER, kKey, kValue);
        WriteRegistryString(HKEY_CURRENT_USER, kKey, kValue, m_empty.path().wstring());
        ASSERT_TRUE(m_form.load());
    }
    void TearDown() override {
        if (canShowWindows())
            WriteRegistryString(HKEY_CURRENT_USER, kKey, kValue, m_storedBefore);
    }

    HWND item(int id) const { return GetDlgItem(m_form.handle(), id); }

    RECT placeOf(int id) const {
        RECT place;
        GetWindowRect(item(id), &place);
        MapWindowPoints(nullptr, m_form.handle(), reinterpret_cast<POINT*>(&place), 2);
        return place;
    }

    struct Place {
        int id;
        RECT place;
    };

    void expectPlaces(std::initializer_list<Place> expected) const {
        for (const Place& control : expected) {
            const RECT place = placeOf(control.id);
            EXPECT_TRUE(EqualRect(&place, &control.place))
                << control.id << ": " << place.left << "," << place.top << " " << place.right << ","
                << place.bottom;
        }
    }

    // Runs the window's messages until `done`, past the quit that an earlier window left.
    void pumpUntil(const bool& done) {
        MSG message;
        while (!done && GetMessageW(&message, nullptr, 0, 0) != -1)
            DispatchMessageW(&message);
    }

    static constexpr const wchar_t* kKey = L"SOFTWARE\\Plexifold";
    static constexpr const wchar_t* kValue = L"DEFAULT_PATH";
    test::TempFolder m_empty;
    std::wstring m_storedBefore;
    frmMain m_form{GetModuleHandleW(nullptr)};
};

TEST_F(frmMainTest, ControlsStandAtTheirPlacesAt96Dpi) {
    ASSERT_EQ(GetDpiForWindow(m_form.handle()), 96u);
    RECT client;
    GetClientRect(m_form.handle(), &client);
    EXPECT_EQ(client.right, 313);
    EXPECT_EQ(client.bottom, 73);
    expectPlaces({
        {txtPath, {8, 8, 273, 27}},
        {cmdBrowse, {280, 8, 305, 27}},
        {cmdConvert, {216, 40, 305, 65}},
        {lblProgress, {8, 40, 209, 57}},
        {ProgressBar1, {8, 56, 209, 65}},
    });
}

// A move to a monitor of 144 DPI: the controls grow by half. (The frame follows the
// monitor the window is really on, so the client area is not checked here.)
TEST_F(frmMainTest, ControlsScaleWithTheMonitorsDpi) {
    RECT suggested{100, 100, 600, 300};
    SendMessageW(m_form.handle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    expectPlaces({{txtPath, {12, 12, 410, 41}}, {ProgressBar1, {12, 84, 314, 98}}});
}

TEST_F(frmMainTest, StartsAsAFixedFrameWithItsControlsInTabOrder) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(m_form.handle(), GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), DWORD{WS_CAPTION | WS_SYSMENU});
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);

    std::vector<int> order; // tab order is the children's stacking order
    for (HWND child = GetWindow(m_form.handle(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT))
        order.push_back(GetDlgCtrlID(child));
    EXPECT_EQ(order, (std::vector<int>{cmdConvert, txtPath, cmdBrowse, ProgressBar1, lblProgress}));

    EXPECT_TRUE(GetWindowLongPtrW(item(txtPath), GWL_STYLE) & ES_READONLY);
    EXPECT_FALSE(IsWindowEnabled(item(cmdConvert)));
    EXPECT_FALSE(IsWindowVisible(item(lblProgress)));
    EXPECT_EQ(textOf(item(cmdConvert)), L"&Execute");
    for (const int button : {cmdConvert, cmdBrowse}) // neither answers Enter
        EXPECT_EQ(GetWindowLongPtrW(item(button), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    PBRANGE range{};
    SendMessageW(item(ProgressBar1), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);
    EXPECT_EQ(SendMessageW(item(ProgressBar1), PBM_GETPOS, 0, 0), 0);
}

TEST_F(frmMainTest, ProgressShowsInLabelCaptionAndBarForEveryRange) {
    const std::string text = "Processing \xC3\x9C"
                             "berweisung \xE6\x97\xA5\xE6\x9C\xAC.tif (3 from 12)";
    const struct {
        std::int32_t minimum, maximum, value;
        int low, high, position;
    } cases[] = {
        {1, 12, 3, 1, 12, 3},   // a page of many
        {1, 12, 0, 1, 12, 1},   // the minimum set above the bar's value
        {1, 1, 1, 0, 1, 1},     // a one-page file: drawn full
        {0, 100, 0, 0, 100, 0}, // the bar before any file
    };
    for (const auto& c : cases) {
        m_form.showProgress({text, c.minimum, c.maximum, c.value});
        PBRANGE range{};
        SendMessageW(item(ProgressBar1), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        EXPECT_EQ(range.iLow, c.low) << c.minimum << ".." << c.maximum;
        EXPECT_EQ(range.iHigh, c.high) << c.minimum << ".." << c.maximum;
        EXPECT_EQ(SendMessageW(item(ProgressBar1), PBM_GETPOS, 0, 0), c.position);
    }
    EXPECT_EQ(textOf(item(lblProgress)), files::WideFromUtf8(text));
    EXPECT_EQ(textOf(m_form.handle()), files::WideFromUtf8(text));
}

// The taskbar button follows the run's share, turns to the error state once a file has
// failed, and is cleared at the end.
TEST_F(frmMainTest, TaskbarFollowsTheRun) {
    std::vector<std::pair<TBPFLAG, ULONGLONG>> calls;
    TaskbarButton taskbar{
        .setProgress = [&](HWND, ULONGLONG done, ULONGLONG) { calls.back().second = done; },
        .setState =
            [&](HWND, TBPFLAG state) {
                calls.push_back({state, 0});
            }};
    frmMain form(GetModuleHandleW(nullptr), Prompts::standard(), taskbar);
    ASSERT_TRUE(form.load());
    form.showRunProgress({.filesDone = 0, .fileCount = 2, .share = 0.25, .failed = false});
    form.showRunProgress({.filesDone = 1, .fileCount = 2, .share = 0.75, .failed = true});
    form.clearRunProgress();
    EXPECT_EQ(calls, (std::vector<std::pair<TBPFLAG, ULONGLONG>>{
                         {TBPF_NORMAL, 250}, {TBPF_ERROR, 750}, {TBPF_NOPROGRESS, 0}}));
}

TEST_F(frmMainTest, ADroppedFolderIsChosen) {
    test::TempFolder folder;
    std::ofstream(folder.path() / "a.tif").put('\0');
    SendMessageW(m_form.handle(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(dropBlock({L"C:\\gone", folder.path().wstring()})), 0);
    EXPECT_EQ(textOf(item(txtPath)), folder.path().wstring());
    EXPECT_TRUE(IsWindowEnabled(item(cmdConvert)));
}

// Whatever escapes a handler, not only a std::exception, is shown and ends the program.
TEST_F(frmMainTest, AnEscapingErrorClosesTheWindow) {
    test::TempFolder empty;
    std::vector<std::wstring> shown;
    Prompts prompts;
    prompts.showMessage = [&](HWND, const std::wstring& text, UINT) {
        shown.push_back(text);
        if (shown.size() == 1)
            throw 42; // the warning about the folder without images fails
    };
    frmMain form(GetModuleHandleW(nullptr), prompts);
    ASSERT_TRUE(form.load());
    SendMessageW(form.handle(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(dropBlock({empty.path().wstring()})), 0);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], L"Plexifold has to close: an unknown error");
    EXPECT_EQ(form.handle(), nullptr);
}

TEST_F(frmMainTest, PostedTasksRunOnTheWindowsThreadInTheirOrder) {
    const DWORD windowThread = GetCurrentThreadId();
    std::vector<int> ran;
    bool done = false;
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i)
            m_form.post([&, i] {
                EXPECT_EQ(GetCurrentThreadId(), windowThread);
                ran.push_back(i);
            });
        m_form.post([&] { done = true; }, std::chrono::milliseconds(1));
    });
    pumpUntil(done);
    worker.join();
    ASSERT_EQ(ran.size(), 50u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(ran[static_cast<std::size_t>(i)], i);
}

} // namespace
