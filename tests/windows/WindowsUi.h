// Windows for the tests of the Win32 dialog layer: the common controls registered once, and
// a hidden top-level window to hold child dialogs. Without a display (Wine with no X
// server) no window can be made, and the tests that need one skip with that reason.
#pragma once

#include "platform/Wnd.h"

#include <windows.h>

namespace WindowsUi {
bool Available();
const char* Unavailable();
HWND Host();

// The hidden host window as the parent a child dialog is created in.
struct HostWnd : CWnd {
    void Bind() {
        if (!GetSafeHwnd())
            SetHandle(Host());
    }
};
} // namespace WindowsUi
