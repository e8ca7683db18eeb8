// The floor for the Windows build's start-up figures: a bare Win32 program that shows a
// dialog of the login's size and controls (187 x 87 dialog units, "MS Sans Serif" 9, three
// labels, three password edits, OK, Cancel and a push-like check box), written by hand as
// an in-memory DLGTEMPLATE, with no code of the project. Cancel and Escape end it; OK (or
// Enter) opens an empty dialog of the main dialog's size (256 x 217, "Main floor"), for the
// figures at the main dialog, which Escape ends.
//
// Built bare and then once per step towards the utility's start-up, each step on top of the
// ones before it (bench/floors/CMakeLists.txt), so that the figures show what each step costs:
// the utility's manifest (a resource only); FLOOR_COMCTL32 and FLOOR_WINSOCK: the utility's
// imported DLLs besides the floor's own, referenced and never called; FLOOR_ICON: its
// resources, with its icon set on the dialog as the utility sets it; FLOOR_CALLS: what the
// utility does before its login (the common control classes, the message-only dispatcher
// window, the dialogs' key hook, the search for a running copy and the instance mutex).
#ifdef FLOOR_WINSOCK
#include <winsock2.h>
#endif
#include <windows.h>

#ifdef FLOOR_COMCTL32
#include <commctrl.h>
#endif
#include <vector>

namespace {

class TemplateWriter {
public:
    void Word(WORD value) { m_words.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Text(const wchar_t* text) {
        do
            Word(static_cast<WORD>(*text));
        while (*text++);
    }
    void Align() {
        if (m_words.size() % 2)
            Word(0);
    }
    // A control of a predefined class, named by its atom.
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
              const wchar_t* text) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (short v : {x, y, cx, cy})
            Word(static_cast<WORD>(v));
        Word(id);
        Word(0xFFFF);
        Word(atom);
        Text(text);
        Word(0);
    }
    std::vector<DWORD> Finish() {
        Align();
        return std::vector<DWORD>(reinterpret_cast<const DWORD*>(m_words.data()),
                                  reinterpret_cast<const DWORD*>(m_words.data() + m_words.size()));
    }

private:
    std::vector<WORD> m_words;
};

#if defined(FLOOR_COMCTL32) || defined(FLOOR_WINSOCK)
// Referenced and never called: the loader loads and starts each DLL as for the utility.
void* const volatile g_imports[] = {
#ifdef FLOOR_COMCTL32
    reinterpret_cast<void*>(&InitCommonControlsEx),
    reinterpret_cast<void*>(&GetStockObject),
#endif
#ifdef FLOOR_WINSOCK
    reinterpret_cast<void*>(&WSAStartup),
#endif
};
#endif

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;
constexpr DWORD kEditStyle = ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

// The dialog's header: its style, size, caption and font.
void Header(TemplateWriter& w, WORD controls, short cx, short cy, const wchar_t* caption) {
    w.Dword(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    w.Dword(0);
    w.Word(controls);
    for (short v : {short(0), short(0), cx, cy})
        w.Word(static_cast<WORD>(v));
    w.Word(0); // no menu
    w.Word(0); // the dialog class
    w.Text(caption);
    w.Word(9);
    w.Text(L"MS Sans Serif");
}

std::vector<DWORD> MainTemplate() {
    TemplateWriter w;
    Header(w, 0, 256, 217, L"Main floor");
    return w.Finish();
}

std::vector<DWORD> LoginTemplate() {
    TemplateWriter w;
    Header(w, 9, 187, 87, L"Login");
    w.Item(SS_LEFT, 13, 7, 82, 14, 0xFFFF, kStatic, L"Password :");
    w.Item(kEditStyle, 98, 7, 75, 14, 1098, kEdit, L"");
    w.Item(SS_LEFT | WS_DISABLED, 13, 25, 82, 14, 1101, kStatic, L"New Password :");
    w.Item(kEditStyle | WS_DISABLED, 98, 25, 75, 14, 1099, kEdit, L"");
    w.Item(SS_LEFT | WS_DISABLED, 13, 44, 82, 14, 1102, kStatic, L"Confirm New Password :");
    w.Item(kEditStyle | WS_DISABLED, 98, 44, 75, 14, 1004, kEdit, L"");
    w.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 7, 66, 50, 14, IDOK, kButton, L"OK");
    w.Item(BS_PUSHBUTTON | WS_TABSTOP, 67, 66, 50, 14, IDCANCEL, kButton, L"Cancel");
    w.Item(BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP, 127, 66, 50, 14, 1103, kButton, L"Change");
    return w.Finish();
}

HICON g_icon = nullptr;

INT_PTR CALLBACK LoginProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        if (g_icon) {
            SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_icon));
            SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_icon));
        }
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

#ifdef FLOOR_CALLS
LRESULT CALLBACK KeyFilter(int code, WPARAM wParam, LPARAM lParam) {
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// What the utility does before its login that a bare dialog does not.
bool StartLikeTheUtility(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                                       ICC_PROGRESS_CLASS | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"FloorDispatcher";
    RegisterClassW(&wc);
    CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                    nullptr);
    SetWindowsHookExW(WH_MSGFILTER, KeyFilter, nullptr, GetCurrentThreadId());
    if (FindWindowA(nullptr, "Login floor") || FindWindowA(nullptr, "AP Floor"))
        return false;
    CreateMutexA(nullptr, FALSE, "Local\\win32-login-floor.instance");
    return GetLastError() != ERROR_ALREADY_EXISTS;
}
#endif

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef FLOOR_CALLS
    if (!StartLikeTheUtility(instance))
        return 1;
#endif
#ifdef FLOOR_ICON
    g_icon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(128), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
#endif
    std::vector<DWORD> login = LoginTemplate();
    INT_PTR result = DialogBoxIndirectParamA(
        instance, reinterpret_cast<LPCDLGTEMPLATEA>(login.data()), nullptr, LoginProc, 0);
    if (result != IDOK)
        return 1;
    std::vector<DWORD> main = MainTemplate();
    DialogBoxIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(main.data()), nullptr,
                            LoginProc, 0);
    return 0;
}
