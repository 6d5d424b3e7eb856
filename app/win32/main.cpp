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
        plexifold::win32::FormEvents events;
        events.load = [&] {
            form.setCaption("Plexifold");
            form.setPathText(form.readSetting());
        };
        events.browseClick = [&] {
            const std::string folder = form.browseForFolder("Select a folder with '.TIF' files");
            if (!folder.empty())
                form.setPathText(folder);
            form.setEnabled(plexifold::app::Control::cmdConvert, true);
        };
        events.executeClick = [&] {
            form.writeSetting(form.pathText());
            form.setProgressVisible(true);
            form.showProgress({"Processing doc.tif (3 from 12)", 1, 12, 3});
            form.showMessage("Done!", plexifold::app::MessageIcon::Information);
            form.setProgressVisible(false);
        };
        events.close = [] {};
        exitCode = form.run(std::move(events), showCommand);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}
