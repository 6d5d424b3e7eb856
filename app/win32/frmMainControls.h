#pragma once

#include <windows.h>

// The controls of frmMain: their IDs, kinds, texts and places, and how they scale with
// the monitor's DPI.
namespace plexifold::win32 {

// IDs 1 and 2 stay free: a dialog's keyboard handling sends them for Enter and Esc.
enum ControlId : int {
    cmdConvert = 101,
    txtPath = 102,
    cmdBrowse = 103,
    ProgressBar1 = 104,
    lblProgress = 105,
};

/// The client area's size in pixels at `dpi`.
SIZE ClientSizeAtDpi(UINT dpi);

/// Creates the controls as children of `form`, in tab order.
void CreateControls(HWND form, HINSTANCE instance);

/// Places the controls for `dpi` and gives them `font`.
void LayoutControls(HWND form, UINT dpi, HFONT font);

/// Twips to pixels at `dpi` (15 twips to a pixel at 96 DPI).
int PixelsAtDpi(int twips, UINT dpi);

} // namespace plexifold::win32
