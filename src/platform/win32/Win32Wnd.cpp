// CWnd over a USER32 window. The handle is the window's own; posted messages and timers are
// the system's.
#include "Win32Window.h"

#include "platform/AnsiText.h"
#include "platform/UiServices.h"

#include <unordered_map>
#include <vector>

namespace {

// The controls bound to an object, each with the procedure it had before. Kept here rather
// than in window properties (SetWindowSubclass), which Wine reads from its server at every
// message the control gets: about 120 requests before the login is drawn. The windows are
// the user-interface thread's, and so is this table.
struct Subclass {
    CWnd* wnd; // null once unbound while another procedure stands on top of this one
    WNDPROC previous;
};
std::unordered_map<HWND, Subclass> g_subclasses;

// The text on the clipboard; false when it holds none.
bool ClipboardText(HWND hWnd, std::u16string* text) {
    if (!OpenClipboard(hWnd))
        return false;
    bool found = false;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
            for (const wchar_t* c = wide; *c; ++c)
                text->push_back(static_cast<char16_t>(*c));
            found = true;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return found;
}

// A paste takes the clipboard's first line (ansi::FirstLine, as the Qt backend does), refused
// with a beep when the code page cannot hold it, as typed text is (WM_CHAR). The edit control
// itself stops only at a line feed, so text with a line break is put in here. False when the
// control's own paste is to go ahead.
bool PastedHere(HWND hWnd) {
    std::u16string text;
    if (!ClipboardText(hWnd, &text))
        return false;
    std::u16string line = ansi::FirstLine(text);
    std::string bytes;
    if (!ansi::Narrow(line, &bytes)) {
        AfxMessageBeep(0);
        return true;
    }
    if (line.size() == text.size())
        return false;
    std::wstring wide(line.begin(), line.end());
    SendMessageW(hWnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
    return true;
}

LRESULT CALLBACK ControlProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto found = g_subclasses.find(hWnd);
    if (found == g_subclasses.end())
        return DefWindowProcW(hWnd, message, wParam, lParam);
    const Subclass subclass = found->second; // the entry goes with WM_NCDESTROY
    auto previous = [&] {
        return CallWindowProcW(subclass.previous, hWnd, message, wParam, lParam);
    };
    CWnd* wnd = subclass.wnd;
    switch (wnd ? message : WM_NULL) {
    case WM_CHAR: {
        std::u16string text(1, static_cast<char16_t>(wParam));
        LRESULT result = 0;
        wnd->DispatchTypedText(text, [&] { result = previous(); });
        return result;
    }
    case WM_PASTE:
        if (PastedHere(hWnd))
            return 0;
        break;
    case WM_TIMER:
        wnd->HandlePostedMessage(WM_TIMER, wParam, lParam);
        return 0;
    case WM_NCDESTROY:
        win32::ForgetWindow(wnd);
        break;
    default:
        break;
    }
    if (message == WM_NCDESTROY)
        g_subclasses.erase(hWnd);
    return previous();
}

// Unbinds wnd from the control: the control gets its procedure back where this one is still
// on top; else this one stays in the chain and only passes the messages on.
void Unsubclass(HWND hWnd, const CWnd* wnd) {
    auto found = g_subclasses.find(hWnd);
    if (found == g_subclasses.end() || found->second.wnd != wnd)
        return;
    if (GetWindowLongPtrW(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ControlProc)) {
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->second.previous));
        g_subclasses.erase(found);
    } else {
        found->second.wnd = nullptr;
    }
}

} // namespace

struct CWnd::Backend {
    static Impl& State(CWnd& wnd) { return *wnd.m_pImpl; }
    static void SetHandle(CWnd& wnd, HWND hWnd) { wnd.SetHandle(hWnd); }
};

namespace win32 {

BOOL SubclassWindow(CWnd& wnd, HWND hWnd) {
    wnd.Detach();
    if (!hWnd)
        return FALSE;
    if (auto found = g_subclasses.find(hWnd); found != g_subclasses.end()) {
        found->second.wnd = &wnd; // still in the chain: bound again
    } else {
        auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlProc)));
        if (!previous)
            return FALSE;
        g_subclasses[hWnd] = {&wnd, previous};
    }
    CWnd::Backend::State(wnd).subclassed = true;
    CWnd::Backend::SetHandle(wnd, hWnd);
    return TRUE;
}

std::wstring Wide(const std::string& bytes) {
    std::u16string wide = ansi::Widen(bytes);
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(const std::wstring& text) {
    return ansi::NarrowKnown(std::u16string(text.begin(), text.end()));
}

std::string WindowText(HWND hWnd) {
    int length = GetWindowTextLengthW(hWnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(hWnd, buffer.data(), length + 1);
    return Narrow(std::wstring(buffer.data(), static_cast<size_t>(got > 0 ? got : 0)));
}

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

bool IsClass(HWND hWnd, const wchar_t* name) {
    wchar_t buffer[64] = {};
    return hWnd && GetClassNameW(hWnd, buffer, 64) > 0 && lstrcmpiW(buffer, name) == 0;
}

void ForgetWindow(CWnd* wnd) {
    wnd->Detach();
}

} // namespace win32

CWnd::CWnd() : m_pImpl(std::make_unique<Impl>()) {}

CWnd::~CWnd() {
    Detach();
}

void CWnd::Detach() {
    HWND hWnd = ReleaseHandle();
    if (hWnd && m_pImpl->subclassed)
        Unsubclass(hWnd, this);
    m_pImpl->subclassed = false;
}

int CWnd::GetDlgCtrlID() const {
    return ::GetDlgCtrlID(GetSafeHwnd());
}

BOOL CWnd::EnableWindow(BOOL enable) {
    return ::EnableWindow(GetSafeHwnd(), enable);
}

BOOL CWnd::IsWindowEnabled() const {
    return GetSafeHwnd() && ::IsWindowEnabled(GetSafeHwnd());
}

BOOL CWnd::ShowWindow(int command) {
    return GetSafeHwnd() && ::ShowWindow(GetSafeHwnd(), command);
}

BOOL CWnd::IsWindowVisible() const {
    return GetSafeHwnd() && ::IsWindowVisible(GetSafeHwnd());
}

void CWnd::SetWindowText(const std::string& text) {
    if (HWND h = GetSafeHwnd())
        SetWindowTextW(h, win32::Wide(text).c_str());
}

std::string CWnd::GetWindowText() const {
    return GetSafeHwnd() ? win32::WindowText(GetSafeHwnd()) : std::string();
}

CWnd* CWnd::SetFocus() {
    if (HWND h = GetSafeHwnd())
        ::SetFocus(h);
    return this;
}

void CWnd::SetIcon(HICON icon, BOOL bigIcon) {
    if (HWND h = GetSafeHwnd())
        SendMessageW(h, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL,
                     reinterpret_cast<LPARAM>(icon));
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs) {
    return GetSafeHwnd() ? ::SetTimer(GetSafeHwnd(), id, elapseMs, nullptr) : 0;
}

BOOL CWnd::KillTimer(UINT_PTR id) {
    return GetSafeHwnd() && ::KillTimer(GetSafeHwnd(), id);
}

BOOL CWnd::DestroyWindow() {
    HWND h = GetSafeHwnd();
    if (!h)
        return FALSE;
    Detach();
    return ::DestroyWindow(h);
}
