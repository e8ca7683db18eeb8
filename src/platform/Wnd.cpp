// The backend-free half of CWnd: the handle table, posted messages and typed characters.
#include "Wnd.h"

#include "AnsiText.h"
#include "UiServices.h"

#include <mutex>
#include <unordered_map>

namespace {

// The table outlives every window object, the static ones included.
std::mutex& g_handlesMutex = *new std::mutex;
std::unordered_map<HWND, CWnd*>& g_handles = *new std::unordered_map<HWND, CWnd*>;
int g_programChangeDepth = 0;

} // namespace

CWnd* CWnd::FromHandle(HWND hWnd) {
    std::lock_guard<std::mutex> lock(g_handlesMutex);
    auto it = g_handles.find(hWnd);
    return it == g_handles.end() ? nullptr : it->second;
}

void CWnd::SetHandle(HWND hWnd) {
    ReleaseHandle();
    std::lock_guard<std::mutex> lock(g_handlesMutex);
    g_handles[hWnd] = this;
    m_hWnd = hWnd;
}

HWND CWnd::ReleaseHandle() {
    HWND h = m_hWnd.exchange(nullptr);
    if (h) {
        std::lock_guard<std::mutex> lock(g_handlesMutex);
        auto it = g_handles.find(h);
        if (it != g_handles.end() && it->second == this)
            g_handles.erase(it);
    }
    return h;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(GetSafeHwnd(), message, wParam, lParam);
}

void CWnd::HandlePostedMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_CLOSE)
        OnClose();
    else if (message == WM_TIMER)
        OnTimer(wParam);
}

void CWnd::Default() {
    if (m_pDefault && *m_pDefault)
        (*m_pDefault)();
}

void CWnd::DispatchTypedText(const std::u16string& text, const std::function<void()>& standard) {
    std::string bytes;
    if (!ansi::Narrow(text, &bytes)) {
        AfxMessageBeep(0); // a character the controls' code page cannot hold
        return;
    }
    const std::function<void()>* saved = m_pDefault;
    m_pDefault = &standard;
    for (char byte : bytes)
        OnChar(static_cast<unsigned char>(byte), 1, 0);
    m_pDefault = saved;
}

void CWnd::OnChar(UINT, UINT, UINT) {
    Default();
}

void CWnd::OnTimer(UINT_PTR) {}

void CWnd::OnClose() {
    DestroyWindow();
}

ProgramChange::ProgramChange() {
    ++g_programChangeDepth;
}

ProgramChange::~ProgramChange() {
    --g_programChangeDepth;
}

bool ProgramChange::Active() {
    return g_programChangeDepth > 0;
}

bool IsUserChoiceNotification(UINT code) {
    return code == CBN_SELCHANGE || code == TCN_SELCHANGE || code == IPN_FIELDCHANGED;
}
