#include "WindowsUi.h"

#include <commctrl.h>

namespace WindowsUi {

namespace {
HWND MakeHost() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                                       ICC_PROGRESS_CLASS | ICC_INTERNET_CLASSES};
    if (!InitCommonControlsEx(&controls))
        return nullptr;
    return CreateWindowExA(0, "Static", "host", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}
} // namespace

HWND Host() {
    static HWND host = MakeHost();
    return host;
}

bool Available() {
    return Host() != nullptr;
}

const char* Unavailable() {
    return "no window can be created here (Wine needs an X display: run under Xvfb)";
}

} // namespace WindowsUi
