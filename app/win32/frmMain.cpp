#include "frmMain.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <vector>

#include <commctrl.h>

#include "FolderBrowser.h"
#include "PathText.h"
#include "RegistryStore.h"
#include "frmMainControls.h"

namespace plexifold::win32 {
namespace {

constexpr wchar_t kClassName[] = L"Plexifold.frmMain";
constexpr wchar_t kTitle[] = L"Plexifold";
constexpr int kAppIconId = 1; // the icon of the program's resource script
// A fixed frame with the system menu and the close box, nothing to resize or minimise.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = 0;

// Shared icons are kept by the system for each size and need no freeing.
HICON loadAppIcon(HINSTANCE instance, int metric, UINT dpi) {
    const int size = GetSystemMetricsForDpi(metric, dpi);
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(kAppIconId), IMAGE_ICON, size, size, LR_SHARED));
}

void registerClass(HINSTANCE instance, WNDPROC windowProc) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = loadAppIcon(instance, SM_CXICON, USER_DEFAULT_SCREEN_DPI);
    windowClass.hIconSm = loadAppIcon(instance, SM_CXSMICON, USER_DEFAULT_SCREEN_DPI);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
}

// The font of Windows' own dialogs at `dpi`.
HFONT createDialogFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi))
        return nullptr;
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

SIZE frameSizeAtDpi(UINT dpi) {
    const SIZE client = ClientSizeAtDpi(dpi);
    RECT frame{0, 0, client.cx, client.cy};
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, kExStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

UINT messageIconOf(app::MessageIcon icon) {
    switch (icon) {
    case app::MessageIcon::Information:
        return MB_ICONINFORMATION;
    case app::MessageIcon::Exclamation:
        return MB_ICONEXCLAMATION;
    case app::MessageIcon::Warning:
        return MB_ICONWARNING;
    }
    return 0;
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace

Prompts Prompts::standard() {
    return {.browseForFolder = &BrowseForFolder,
            .showMessage = [](HWND owner, const std::wstring& text, UINT icon) {
                MessageBoxW(owner, text.c_str(), kTitle, MB_OK | icon);
            }};
}

frmMain::frmMain(HINSTANCE instance, Prompts prompts, TaskbarButton taskbar)
    : m_instance(instance), m_prompts(std::move(prompts)), m_taskbar(std::move(taskbar)) {
    registerClass(instance, &frmMain::windowProc);
}

frmMain::~frmMain() {
    m_rules.close();
    if (m_hwnd)
        DestroyWindow(m_hwnd);
    if (m_font)
        DeleteObject(m_font);
}

bool frmMain::load() {
    CreateWindowExW(kExStyle, kClassName, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr,
                    nullptr, m_instance, this);
    if (!m_hwnd)
        return false;
    try {
        m_rules.Form_Load();
    } catch (const std::exception& error) {
        fail(error.what());
        return false;
    } catch (...) {
        fail("an unknown error");
        return false;
    }
    // The focus the window takes when it is first activated.
    m_lastFocus = IsWindowEnabled(control(cmdConvert)) ? control(cmdConvert) : control(txtPath);
    return true;
}

int frmMain::run(int showCommand) {
    if (!load())
        return m_exitCode == 0 ? 1 : m_exitCode;
    ShowWindow(m_hwnd, showCommand);
    UpdateWindow(m_hwnd);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab, the access keys and the space bar work as in a dialog.
        if (!m_hwnd || !IsDialogMessageW(m_hwnd, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return m_exitCode;
}

LRESULT CALLBACK frmMain::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form =
            static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->m_hwnd = hwnd;
        form->m_tasks.attach(hwnd);
    }
    auto* form = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        form->m_tasks.attach(nullptr);
        form->m_hwnd = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    try {
        return form->handleMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        form->fail(error.what());
        return 0;
    } catch (...) {
        form->fail("an unknown error");
        return 0;
    }
}

LRESULT frmMain::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        onCreate();
        return 0;
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_DROPFILES:
        onDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_ACTIVATE:
        onActivate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WindowTasks::kMessage:
        m_tasks.runPosted();
        return 0;
    case WM_TIMER:
        m_tasks.runTimed(wParam);
        return 0;
    case WM_CLOSE:
        m_rules.close();
        DestroyWindow(m_hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(m_exitCode);
        return 0;
    default:
        return DefWindowProcW(m_hwnd, message, wParam, lParam);
    }
}

void frmMain::onCreate() {
    CreateControls(m_hwnd, m_instance);
    DragAcceptFiles(m_hwnd, TRUE);
    applyDpi(GetDpiForWindow(m_hwnd));
    placeCentred();
}

void frmMain::onCommand(int id, int code) {
    if (code != BN_CLICKED)
        return;
    if (id == cmdBrowse)
        m_rules.cmdBrowse_Click();
    else if (id == cmdConvert)
        m_rules.cmdConvert_Click();
}

void frmMain::onDropFiles(HDROP drop) {
    std::vector<std::filesystem::path> items;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
        items.emplace_back(std::move(name));
    }
    DragFinish(drop);
    m_rules.Form_DragDrop(items);
}

// The focus leaves with the window and comes back with it, as in a dialog.
void frmMain::onActivate(bool active) {
    if (!active) {
        const HWND focus = GetFocus();
        if (focus && IsChild(m_hwnd, focus))
            m_lastFocus = focus;
        return;
    }
    HWND target = m_lastFocus;
    if (!target || !IsWindowEnabled(target))
        target = GetNextDlgTabItem(m_hwnd, nullptr, FALSE);
    if (target)
        SetFocus(target);
}

void frmMain::onDpiChanged(UINT dpi, const RECT& suggested) {
    applyDpi(dpi);
    const SIZE frame = frameSizeAtDpi(dpi);
    SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, frame.cx, frame.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmMain::applyDpi(UINT dpi) {
    const HFONT font = createDialogFont(dpi);
    LayoutControls(m_hwnd, dpi, font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    if (m_font)
        DeleteObject(m_font);
    m_font = font;
    const SIZE frame = frameSizeAtDpi(dpi);
    SetWindowPos(m_hwnd, nullptr, 0, 0, frame.cx, frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(m_hwnd, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(loadAppIcon(m_instance, SM_CXICON, dpi)));
    SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(loadAppIcon(m_instance, SM_CXSMICON, dpi)));
}

void frmMain::placeCentred() {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT frame;
    GetWindowRect(m_hwnd, &frame);
    const RECT& work = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// An error that no handler caught ends the program, after it has been shown.
void frmMain::fail(const char* reason) {
    const std::wstring text = L"Plexifold has to close: " + files::WideFromUtf8(reason);
    m_prompts.showMessage(m_hwnd, text, MB_ICONERROR);
    m_exitCode = 1;
    if (m_hwnd)
        DestroyWindow(m_hwnd);
    else
        PostQuitMessage(m_exitCode);
}

void frmMain::setCaption(const std::string& text) {
    SetWindowTextW(m_hwnd, files::WideFromUtf8(text).c_str());
}

std::string frmMain::pathText() const {
    return files::Utf8FromUtf16(windowText(control(txtPath)));
}

void frmMain::setPathText(const std::string& text) {
    SetWindowTextW(control(txtPath), files::WideFromUtf8(text).c_str());
}

void frmMain::setEnabled(app::Control which, bool enabled) {
    const int id = which == app::Control::txtPath     ? txtPath
                   : which == app::Control::cmdBrowse ? cmdBrowse
                                                      : cmdConvert;
    EnableWindow(control(id), enabled);
    // Disabling the focused control leaves the focus with no control; the first input
    // enabled again takes it.
    const HWND focus = GetFocus();
    if (enabled && (!focus || focus == m_hwnd) && GetActiveWindow() == m_hwnd)
        SetFocus(control(id));
}

void frmMain::setProgressVisible(bool visible) {
    ShowWindow(control(lblProgress), visible ? SW_SHOWNA : SW_HIDE);
}

void frmMain::showProgress(const app::ProgressState& state) {
    const std::wstring text = files::WideFromUtf8(state.text);
    SetWindowTextW(control(lblProgress), text.c_str());
    SetWindowTextW(m_hwnd, text.c_str());
    // A range of one value (a one-page file) is drawn full.
    const HWND bar = control(ProgressBar1);
    if (state.maximum > state.minimum) {
        SendMessageW(bar, PBM_SETRANGE32, static_cast<WPARAM>(state.minimum), state.maximum);
        SendMessageW(bar, PBM_SETPOS,
                     static_cast<WPARAM>(std::clamp(state.value, state.minimum, state.maximum)), 0);
    } else {
        SendMessageW(bar, PBM_SETRANGE32, 0, 1);
        SendMessageW(bar, PBM_SETPOS, 1, 0);
    }
    UpdateWindow(control(lblProgress));
    UpdateWindow(bar);
}

void frmMain::showRunProgress(const app::RunProgress& run) {
    constexpr ULONGLONG kTotal = 1000;
    m_taskbar.setState(m_hwnd, run.failed ? TBPF_ERROR : TBPF_NORMAL);
    m_taskbar.setProgress(m_hwnd, static_cast<ULONGLONG>(run.share * kTotal), kTotal);
}

void frmMain::clearRunProgress() {
    m_taskbar.setState(m_hwnd, TBPF_NOPROGRESS);
}

void frmMain::showMessage(const std::string& text, app::MessageIcon icon) {
    m_prompts.showMessage(m_hwnd, files::WideFromUtf8(text), messageIconOf(icon));
}

std::string frmMain::browseForFolder(const std::string& prompt) {
    return files::Utf8FromUtf16(m_prompts.browseForFolder(m_hwnd, files::WideFromUtf8(prompt)));
}

std::string frmMain::readSetting() {
    return files::Utf8FromUtf16(ReadRegistryString(HKEY_CURRENT_USER,
                                                   files::WideFromUtf8(app::kSettingsKey),
                                                   files::WideFromUtf8(app::kSettingsValue)));
}

void frmMain::writeSetting(const std::string& text) {
    WriteRegistryString(HKEY_CURRENT_USER, files::WideFromUtf8(app::kSettingsKey),
                        files::WideFromUtf8(app::kSettingsValue), files::WideFromUtf8(text));
}

void frmMain::post(std::function<void()> task, std::chrono::milliseconds delay) {
    m_tasks.post(std::move(task), delay);
}

} // namespace plexifold::win32
