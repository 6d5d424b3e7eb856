#include "TaskbarButton.h"

#include <memory>

namespace plexifold::win32 {
namespace {

// The shell's taskbar list, made when first needed; null where there is none.
class TaskbarList {
public:
    ~TaskbarList() {
        if (m_list)
            m_list->Release();
    }
    ITaskbarList3* get() {
        if (!m_asked) {
            m_asked = true;
            if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(&m_list))) ||
                FAILED(m_list->HrInit())) {
                if (m_list)
                    m_list->Release();
                m_list = nullptr;
            }
        }
        return m_list;
    }

private:
    ITaskbarList3* m_list = nullptr;
    bool m_asked = false;
};

} // namespace

TaskbarButton TaskbarButton::standard() {
    auto list = std::make_shared<TaskbarList>();
    return {.setProgress =
                [list](HWND window, ULONGLONG done, ULONGLONG total) {
                    if (ITaskbarList3* taskbar = list->get())
                        taskbar->SetProgressValue(window, done, total);
                },
            .setState =
                [list](HWND window, TBPFLAG state) {
                    if (ITaskbarList3* taskbar = list->get())
                        taskbar->SetProgressState(window, state);
                }};
}

} // namespace plexifold::win32
