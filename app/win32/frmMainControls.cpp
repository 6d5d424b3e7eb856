#include "frmMainControls.h"

#include <commctrl.h>

#include "PathText.h"
#include "frmMainLayout.h"

namespace plexifold::win32 {
namespace {

using app::Widget;

// What Windows makes of each control of the window's table.
struct ControlKind {
    ControlId id;
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;

ControlKind kindOf(Widget widget) {
    switch (widget) {
    case Widget::cmdConvert:
        return {cmdConvert, WC_BUTTONW, kButton | WS_DISABLED, 0};
    case Widget::txtPath:
        return {txtPath, WC_EDITW, kChild | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY,
                WS_EX_CLIENTEDGE};
    case Widget::cmdBrowse:
        return {cmdBrowse, WC_BUTTONW, kButton, 0};
    case Widget::ProgressBar1:
        return {ProgressBar1, PROGRESS_CLASSW, kChild | WS_CLIPSIBLINGS, 0};
    case Widget::lblProgress:
        // Hidden until a run; file names are shown as they are, "&" included.
        return {lblProgress, WC_STATICW,
                WS_CHILD | WS_CLIPSIBLINGS | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
    }
    return {};
}

} // namespace

int PixelsAtDpi(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

SIZE ClientSizeAtDpi(UINT dpi) {
    return {PixelsAtDpi(app::kClientWidth, dpi), PixelsAtDpi(app::kClientHeight, dpi)};
}

// Created in the table's order: the first child is the first in tab order and on top.
void CreateControls(HWND form, HINSTANCE instance) {
    for (const app::ControlPlace& row : app::kControls) {
        const ControlKind kind = kindOf(row.widget);
        const std::wstring text = files::WideFromUtf8(row.text);
        CreateWindowExW(kind.exStyle, kind.windowClass, text.c_str(), kind.style, 0, 0, 0, 0, form,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kind.id)), instance, nullptr);
    }
    SendDlgItemMessageW(form, ProgressBar1, PBM_SETRANGE32, 0, 100);
}

void LayoutControls(HWND form, UINT dpi, HFONT font) {
    for (const app::ControlPlace& row : app::kControls) {
        const HWND control = GetDlgItem(form, kindOf(row.widget).id);
        const int left = PixelsAtDpi(row.left, dpi);
        const int top = PixelsAtDpi(row.top, dpi);
        SetWindowPos(control, nullptr, left, top, PixelsAtDpi(row.left + row.width, dpi) - left,
                     PixelsAtDpi(row.top + row.height, dpi) - top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

} // namespace plexifold::win32
