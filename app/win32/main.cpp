#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "frmMain.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    // The shell's folder browser needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int exitCode = 0;
    {
        plexifold::win32::frmMain form(instance);
        exitCode = form.run(showCommand);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}
