// The Win32 backend of the user-interface services: the system's message box, beep and wait
// cursor, and work handed to the user-interface thread through a hidden message window.
#include "Win32Window.h"
#include "platform/UiBackend.h"
#include "platform/UiServices.h"
#include "platform/WinApp.h"

#include <atomic>

namespace {

constexpr UINT kRunTask = WM_APP + 1;
std::atomic<DWORD> g_uiThread{0};
HWND g_dispatcher = nullptr;
int g_busyDepth = 0;

struct UiTask {
    std::function<void()> fn;
    HANDLE done = nullptr; // set when a waiting caller may go on
};

LRESULT CALLBACK DispatcherProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunTask) {
        auto* task = reinterpret_cast<UiTask*>(lParam);
        task->fn();
        if (task->done)
            SetEvent(task->done);
        else
            delete task;
        return 0;
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

} // namespace

namespace win32 {

bool IsBusy() {
    return g_busyDepth > 0;
}

// Called on the user-interface thread at start-up.
void StartUiDispatcher() {
    g_uiThread = GetCurrentThreadId();
}

// On the user-interface thread only: the window must be that thread's.
void EnsureUiDispatcher() {
    if (g_dispatcher || !IsUiThread())
        return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DispatcherProc;
    wc.hInstance = Instance();
    wc.lpszClassName = L"ApUtilityDispatcher";
    RegisterClassW(&wc);
    g_dispatcher = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   wc.hInstance, nullptr);
}

} // namespace win32

int BackendMessageBox(const std::string& text, const std::string& caption, UINT type) {
    HWND owner = GetActiveWindow();
    return MessageBoxW(owner, win32::Wide(text).c_str(), win32::Wide(caption).c_str(),
                       MB_OK | (type & MB_ICONMASK) | MB_TASKMODAL);
}

void BackendBeep(UINT type) {
    ::MessageBeep(type);
}

void BackendBusyCursor(int what) {
    if (what == kBusyBegin)
        ++g_busyDepth;
    else if (what == kBusyEnd && g_busyDepth > 0)
        --g_busyDepth;
    if (what != kBusyEnd || g_busyDepth > 0)
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514))); // IDC_WAIT
    else {
        POINT p;
        GetCursorPos(&p);
        SetCursorPos(p.x, p.y); // the window under the pointer sets its own again
    }
}

bool IsUiThread() {
    return g_uiThread == 0 || GetCurrentThreadId() == g_uiThread;
}

void RunOnUiThread(const std::function<void()>& fn) {
    if (IsUiThread() || !g_dispatcher) {
        fn();
        return;
    }
    UiTask task;
    task.fn = fn;
    task.done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (PostMessageW(g_dispatcher, kRunTask, 0, reinterpret_cast<LPARAM>(&task)))
        WaitForSingleObject(task.done, INFINITE);
    CloseHandle(task.done);
}

void PostToUiThread(std::function<void()> fn) {
    win32::EnsureUiDispatcher();
    if (!g_dispatcher)
        return;
    auto* task = new UiTask{std::move(fn), nullptr};
    if (!PostMessageW(g_dispatcher, kRunTask, 0, reinterpret_cast<LPARAM>(task)))
        delete task;
}
