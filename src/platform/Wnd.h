// CWnd: a window of the dialog framework, over one window of the backend (a Qt widget, or a
// USER32 window). Windows are known to the rest of the program by handle (HWND), which stays
// safe to use after the window is gone.
#pragma once

#include "Messages.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd.load(); }
    static CWnd* FromHandle(HWND hWnd);

    int GetDlgCtrlID() const;
    // Returns nonzero when the window was disabled before.
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    // Control texts are bytes of the one code page (AnsiText.h), both ways.
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    CWnd* SetFocus();
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
    BOOL KillTimer(UINT_PTR id);
    virtual BOOL DestroyWindow();
    // Queues a message to this window; safe from any thread.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Shows icon (LoadIcon) in the caption and the task bar.
    void SetIcon(HICON icon, BOOL bigIcon);
    // Unbinds this object from its window, which stays.
    void Detach();

    // Called once this object is bound to a dialog's control (SubclassDlgItem): a control
    // class sets up its window here.
    virtual void PreSubclassWindow() {}

    // The standard processing of the message being handled (typed characters only).
    void Default();
    // Typed characters (WM_CHAR) of edit controls; the base passes them on.
    virtual void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    // Runs typed text through OnChar, one code-page byte at a time, with standard as the
    // standard processing. Text the code page cannot hold is refused with a beep.
    void DispatchTypedText(const std::u16string& text, const std::function<void()>& standard);

    // Delivery of posted messages on the user-interface thread.
    virtual void HandlePostedMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The backend's state of the window (platform/qt/ or platform/win32/).
    struct Impl;
    // The backend's reach into this object's state and handle, for the calls that only one
    // backend has, which its own header declares: binding to a Qt widget
    // (platform/qt/QtWindow.h), subclassing a USER32 window (platform/win32/Win32Window.h).
    struct Backend;

protected:
    virtual void OnTimer(UINT_PTR id);
    virtual void OnClose();

    // The handle table: which object a handle names, for FromHandle and posted messages.
    void SetHandle(HWND hWnd);
    HWND ReleaseHandle();
    Impl& GetImpl() const { return *m_pImpl; }

private:
    std::atomic<HWND> m_hWnd{nullptr};
    std::unique_ptr<Impl> m_pImpl;
    const std::function<void()>* m_pDefault = nullptr;
};

#ifndef _WIN32
BOOL PostMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL IsWindow(HWND hWnd);
#endif

// The rule for every control: a change the program makes raises none of the notifications
// that report the user's choice (CBN_SELCHANGE, TCN_SELCHANGE, IPN_FIELDCHANGED); EN_CHANGE
// follows every text change. Each backend makes its controls' changes inside a
// ProgramChange (where the system does not already keep quiet), and the dialogs'
// notification dispatch drops those notifications meanwhile, as it drops every
// notification while UpdateData runs. User-interface thread only.
class ProgramChange {
public:
    ProgramChange();
    ~ProgramChange();
    ProgramChange(const ProgramChange&) = delete;
    ProgramChange& operator=(const ProgramChange&) = delete;
    static bool Active();
};
bool IsUserChoiceNotification(UINT code);
