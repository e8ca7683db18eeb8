// CWnd over a USER32 window. The handle is the window's own; posted messages and timers are
// the system's.
#include "Win32Window.h"

#include "platform/AnsiText.h"
#include "platform/UiServices.h"

#include <commctrl.h>
#include <vector>

namespace {

constexpr UINT_PTR kSubclassId = 1;

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

LRESULT CALLBACK ControlProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR refData) {
    auto* wnd = reinterpret_cast<CWnd*>(refData);
    switch (message) {
    case WM_CHAR: {
        std::u16string text(1, static_cast<char16_t>(wParam));
        LRESULT result = 0;
        wnd->DispatchTypedText(text,
                               [&] { result = DefSubclassProc(hWnd, message, wParam, lParam); });
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
    return DefSubclassProc(hWnd, message, wParam, lParam);
}

} // namespace

struct CWnd::Backend {
    static Impl& State(CWnd& wnd) { return *wnd.m_pImpl; }
    static void SetHandle(CWnd& wnd, HWND hWnd) { wnd.SetHandle(hWnd); }
};

namespace win32 {

BOOL SubclassWindow(CWnd& wnd, HWND hWnd) {
    wnd.Detach();
    if (!hWnd ||
        !SetWindowSubclass(hWnd, ControlProc, kSubclassId, reinterpret_cast<DWORD_PTR>(&wnd)))
        return FALSE;
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
        RemoveWindowSubclass(hWnd, ControlProc, kSubclassId);
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
