#include "frmMainControls.h"

#include <commctrl.h>

namespace plexifold::win32 {
namespace {

struct ControlRow {
    ControlId id;
    const wchar_t* windowClass;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    RECT twips; // left, top, right, bottom in the client area
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;

// In tab order, which is also the stacking order: the bar lies over the label's last row.
constexpr ControlRow kControls[] = {
    {cmdConvert, WC_BUTTONW, L"&Execute", kButton | WS_DISABLED, 0, {3240, 600, 4575, 975}},
    {txtPath,
     WC_EDITW,
     L"",
     kChild | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY,
     WS_EX_CLIENTEDGE,
     {120, 120, 4095, 405}},
    {cmdBrowse, WC_BUTTONW, L"...", kButton, 0, {4200, 120, 4575, 405}},
    {ProgressBar1, PROGRESS_CLASSW, L"", kChild | WS_CLIPSIBLINGS, 0, {120, 840, 3135, 975}},
    // Hidden until a run; file names are shown as they are, "&" included.
    {lblProgress,
     WC_STATICW,
     L"Progress",
     WS_CHILD | WS_CLIPSIBLINGS | SS_LEFTNOWORDWRAP | SS_NOPREFIX,
     0,
     {120, 600, 3135, 855}},
};

constexpr SIZE kClientTwips = {4695, 1095};

} // namespace

int PixelsAtDpi(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

SIZE ClientSizeAtDpi(UINT dpi) {
    return {PixelsAtDpi(kClientTwips.cx, dpi), PixelsAtDpi(kClientTwips.cy, dpi)};
}

void CreateControls(HWND form, HINSTANCE instance) {
    for (const ControlRow& row : kControls) {
        CreateWindowExW(row.exStyle, row.windowClass, row.text, row.style, 0, 0, 0, 0, form,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance, nullptr);
    }
    SendDlgItemMessageW(form, ProgressBar1, PBM_SETRANGE32, 0, 100);
}

void LayoutControls(HWND form, UINT dpi, HFONT font) {
    for (const ControlRow& row : kControls) {
        const HWND control = GetDlgItem(form, row.id);
        const int left = PixelsAtDpi(row.twips.left, dpi);
        const int top = PixelsAtDpi(row.twips.top, dpi);
        SetWindowPos(control, nullptr, left, top, PixelsAtDpi(row.twips.right, dpi) - left,
                     PixelsAtDpi(row.twips.bottom, dpi) - top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

} // namespace plexifold::win32
