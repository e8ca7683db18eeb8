// CWnd: a window of the dialog framework, over one Qt widget. Windows are known to the
// rest of the program by handle (HWND), which stays safe to use after the window is gone.
#pragma once

#include "Messages.h"

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <map>
#include <string>

class QTimer;

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd.load(); }
    QWidget* GetWidget() const { return m_pWidget.data(); }
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromWidget(const QWidget* widget);

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

    // Binds this object to a widget (subclassing a dialog control) and back.
    void Attach(QWidget* widget);
    QWidget* Detach();

    // The standard processing of the message being handled (typed characters only).
    void Default();
    // Typed characters (WM_CHAR) of edit controls; the base passes them on.
    virtual void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    // Runs typed text through OnChar, one code-page byte at a time, with standard as the
    // standard processing. Text the code page cannot hold is refused with a beep.
    void DispatchTypedText(const std::u16string& text, const std::function<void()>& standard);

    // Delivery of posted messages on the user-interface thread.
    virtual void HandlePostedMessage(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual void OnTimer(UINT_PTR id);
    virtual void OnClose();

private:
    void ForgetWidget();

    std::atomic<HWND> m_hWnd{nullptr};
    QPointer<QWidget> m_pWidget;
    QMetaObject::Connection m_destroyedConnection;
    const QWidget* m_ownerKey = nullptr; // the widget's entry in the owner table
    std::map<UINT_PTR, QPointer<QTimer>> m_timers;
    const std::function<void()>* m_pDefault = nullptr;
};

BOOL PostMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL IsWindow(HWND hWnd);
