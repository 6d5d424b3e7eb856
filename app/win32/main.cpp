#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "frmMain.h"
#include "frmMainRules.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    // The shell's folder browser needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int exitCode = 0;
    {
        plexifold::win32::frmMain form(instance);
        // Declared after the window, so that a run ends before the window goes.
        plexifold::app::frmMainRules rules(form);
        exitCode = form.run({.load = [&] { rules.Form_Load(); },
                             .browseClick = [&] { rules.cmdBrowse_Click(); },
                             .executeClick = [&] { rules.cmdConvert_Click(); },
                             .close = [&] { rules.close(); }},
                            showCommand);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}
