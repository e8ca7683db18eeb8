// The hooks in front of what the user is shown; the real box, beep and cursor are the
// backend's (UiBackend.h).
#include "UiServices.h"

#include "UiBackend.h"
#include "WinApp.h"

#include <mutex>

namespace {

std::mutex g_hooksMutex;
UiHooks g_hooks;

UiHooks Current() {
    std::lock_guard<std::mutex> lock(g_hooksMutex);
    return g_hooks;
}

} // namespace

UiHooks SetUiHooks(const UiHooks& hooks) {
    std::lock_guard<std::mutex> lock(g_hooksMutex);
    UiHooks old = g_hooks;
    g_hooks = hooks;
    return old;
}

int AfxMessageBox(const std::string& text, UINT type) {
    int result = IDOK;
    std::string caption = AfxGetAppTitle();
    UiHooks hooks = Current();
    RunOnUiThread([&] {
        result = hooks.messageBox ? hooks.messageBox(text, caption, type)
                                  : BackendMessageBox(text, caption, type);
    });
    return result;
}

BOOL AfxMessageBeep(UINT type) {
    UiHooks hooks = Current();
    RunOnUiThread([&] { hooks.beep ? hooks.beep(type) : BackendBeep(type); });
    return TRUE;
}

namespace {
void Busy(int what) {
    UiHooks hooks = Current();
    RunOnUiThread([&] { hooks.busyCursor ? hooks.busyCursor(what) : BackendBusyCursor(what); });
}
} // namespace

void BeginWaitCursor() {
    Busy(kBusyBegin);
}
void EndWaitCursor() {
    Busy(kBusyEnd);
}
void ShowWaitCursor() {
    Busy(kBusyShow);
}
