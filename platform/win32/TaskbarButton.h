#pragma once

#include <functional>

#include <windows.h>

#include <shobjidl.h>

namespace plexifold::win32 {

// The window's button on the taskbar: how far a run has got, and in which state. Tests
// replace it to see the calls where Wine draws no taskbar.
struct TaskbarButton {
    std::function<void(HWND window, ULONGLONG done, ULONGLONG total)> setProgress;
    std::function<void(HWND window, TBPFLAG state)> setState;

    /// The shell's taskbar (ITaskbarList3), asked for at the first call, once COM is up;
    /// without one the calls do nothing.
    static TaskbarButton standard();
};

} // namespace plexifold::win32
