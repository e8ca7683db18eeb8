// The Win32 backend of the application: the common controls, the dispatcher window, workers
// through _beginthreadex, the icon from the program's resources.
#include "Win32Window.h"
#include "platform/WinApp.h"

#include <atomic>
#include <commctrl.h>
#include <process.h>

namespace {

std::atomic<int> g_runningWorkers{0};
HICON g_appIcon = nullptr;

struct WorkerStart {
    AFX_THREADPROC proc;
    LPVOID param;
};

unsigned __stdcall WorkerMain(void* arg) {
    WorkerStart start = *static_cast<WorkerStart*>(arg);
    delete static_cast<WorkerStart*>(arg);
    start.proc(start.param);
    --g_runningWorkers;
    return 0;
}

// Serves the window messages that are waiting, then waits up to ms for more.
void PumpFor(DWORD ms, UINT removeFlags) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | removeFlags)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
}

} // namespace

void AfxBeginThread(AFX_THREADPROC proc, LPVOID param) {
    win32::EnsureUiDispatcher(); // before the worker may ask for it
    ++g_runningWorkers;
    uintptr_t thread =
        _beginthreadex(nullptr, 0, WorkerMain, new WorkerStart{proc, param}, 0, nullptr);
    if (thread)
        CloseHandle(reinterpret_cast<HANDLE>(thread));
    else
        --g_runningWorkers;
}

void AfxWaitForWorkerThreads() {
    while (g_runningWorkers > 0)
        PumpFor(2, 0);
}

void AfxWaitWhile(const std::function<bool()>& busy) {
    // Posted and sent messages (the workers' requests, paint) are served; the user's input
    // waits in the queue until the wait is over.
    while (busy())
        PumpFor(2, PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE | PM_QS_PAINT);
}

HICON CWinApp::LoadIcon(UINT id) const {
    return static_cast<HICON>(LoadImageW(win32::Instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0,
                                         LR_DEFAULTSIZE | LR_SHARED));
}

void AfxSetAppIcon(HICON icon) {
    g_appIcon = icon;
}

HICON win32::AppIcon() {
    return g_appIcon;
}

int AfxWinMain(CWinApp* app, int argc, char** argv) {
    char path[MAX_PATH] = {};
    if (GetModuleFileNameA(nullptr, path, MAX_PATH))
        AfxSetAppTitleFromPath(path);
    else if (argc > 0 && argv[0])
        AfxSetAppTitleFromPath(argv[0]);
    std::string text;
    if (int code = app ? AfxCommandLine(*app, argc, argv, &text) : -1; code >= 0) {
        // Written where a console or a redirection gives a place to write; else shown.
        HANDLE out = GetStdHandle(code == 0 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
        DWORD type = out && out != INVALID_HANDLE_VALUE ? GetFileType(out) : FILE_TYPE_UNKNOWN;
        DWORD written = 0;
        if (type != FILE_TYPE_UNKNOWN)
            return WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written,
                             nullptr) &&
                           written == text.size()
                       ? code
                       : 1;
        MessageBoxA(nullptr, text.c_str(), AfxGetAppTitle().c_str(),
                    MB_OK | (code == 0 ? MB_ICONINFORMATION : MB_ICONERROR));
        return code;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                                       ICC_PROGRESS_CLASS | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&controls);
    win32::StartUiDispatcher();
    if (app)
        app->InitInstance();
    AfxWaitForWorkerThreads();
    return 0;
}
