#include "Wnd.h"

#include "AnsiText.h"
#include "UiServices.h"
#include "widgets/EditWidget.h"
#include "widgets/QtText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <mutex>
#include <unordered_map>

namespace {

// Which object each bound widget belongs to (widgets live on the user-interface thread
// only, so this needs no lock).
// Both tables outlive every window object, the static ones included.
std::unordered_map<const QWidget*, CWnd*>& g_widgetOwners =
    *new std::unordered_map<const QWidget*, CWnd*>;

std::mutex& g_handlesMutex = *new std::mutex;
std::unordered_map<HWND, CWnd*>& g_handles = *new std::unordered_map<HWND, CWnd*>;
uintptr_t g_nextHandle = 0x10000;

} // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() {
    Detach();
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    std::lock_guard<std::mutex> lock(g_handlesMutex);
    auto it = g_handles.find(hWnd);
    return it == g_handles.end() ? nullptr : it->second;
}

CWnd* CWnd::FromWidget(const QWidget* widget) {
    auto it = g_widgetOwners.find(widget);
    return it == g_widgetOwners.end() ? nullptr : it->second;
}

BOOL IsWindow(HWND hWnd) {
    return CWnd::FromHandle(hWnd) != nullptr;
}

void CWnd::Attach(QWidget* widget) {
    Detach();
    if (!widget)
        return;
    m_pWidget = widget;
    g_widgetOwners[widget] = this;
    m_ownerKey = widget;
    // A window that its parent destroys takes its handle with it.
    m_destroyedConnection =
        QObject::connect(widget, &QObject::destroyed, [this] { ForgetWidget(); });
    std::lock_guard<std::mutex> lock(g_handlesMutex);
    HWND h = reinterpret_cast<HWND>(g_nextHandle++);
    g_handles[h] = this;
    m_hWnd = h;
}

QWidget* CWnd::Detach() {
    QWidget* widget = m_pWidget.data();
    ForgetWidget();
    return widget;
}

void CWnd::ForgetWidget() {
    QObject::disconnect(m_destroyedConnection);
    if (m_ownerKey) {
        auto owner = g_widgetOwners.find(m_ownerKey);
        if (owner != g_widgetOwners.end() && owner->second == this)
            g_widgetOwners.erase(owner);
        m_ownerKey = nullptr;
    }
    m_pWidget = nullptr;
    for (auto& t : m_timers)
        if (t.second)
            t.second->stop();
    m_timers.clear();
    HWND h = m_hWnd.exchange(nullptr);
    if (h) {
        std::lock_guard<std::mutex> lock(g_handlesMutex);
        g_handles.erase(h);
    }
}

int CWnd::GetDlgCtrlID() const {
    // Controls are named after their id ("ctl1002").
    QString name = m_pWidget ? m_pWidget->objectName() : QString();
    return name.startsWith(QLatin1String("ctl")) ? name.mid(3).toInt() : 0;
}

BOOL CWnd::EnableWindow(BOOL enable) {
    if (!m_pWidget)
        return FALSE;
    BOOL wasDisabled = !m_pWidget->isEnabled();
    m_pWidget->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
    return m_pWidget && m_pWidget->isEnabled();
}

BOOL CWnd::ShowWindow(int command) {
    if (!m_pWidget)
        return FALSE;
    BOOL wasVisible = m_pWidget->isVisible();
    m_pWidget->setVisible(command != SW_HIDE);
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const {
    return m_pWidget && m_pWidget->isVisible();
}

void CWnd::SetWindowText(const std::string& text) {
    QWidget* w = m_pWidget.data();
    QString s = QStringFromAnsi(text);
    if (auto* edit = qobject_cast<EditWidget*>(w))
        edit->SetTextFromProgram(s);
    else if (auto* line = qobject_cast<QLineEdit*>(w))
        line->setText(s);
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(s);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(s);
    else if (w)
        w->setWindowTitle(s);
}

std::string CWnd::GetWindowText() const {
    QWidget* w = m_pWidget.data();
    QString s;
    if (auto* line = qobject_cast<QLineEdit*>(w))
        s = line->text();
    else if (auto* label = qobject_cast<QLabel*>(w))
        s = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        s = button->text();
    else if (auto* combo = qobject_cast<QComboBox*>(w))
        s = combo->currentText();
    else if (w)
        s = w->windowTitle();
    return AnsiFromQString(s);
}

CWnd* CWnd::SetFocus() {
    if (m_pWidget)
        m_pWidget->setFocus(Qt::OtherFocusReason);
    return this;
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs) {
    if (!m_pWidget)
        return 0;
    KillTimer(id);
    auto* timer = new QTimer(m_pWidget);
    timer->setInterval(static_cast<int>(elapseMs));
    QObject::connect(timer, &QTimer::timeout, timer, [this, id] { OnTimer(id); });
    timer->start();
    m_timers[id] = timer;
    return id;
}

BOOL CWnd::KillTimer(UINT_PTR id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return FALSE;
    if (it->second) {
        it->second->stop();
        it->second->deleteLater();
    }
    m_timers.erase(it);
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    QWidget* widget = Detach();
    delete widget;
    return widget != nullptr;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return PostMessageA(GetSafeHwnd(), message, wParam, lParam);
}

BOOL PostMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hWnd)
        return FALSE;
    PostToUiThread([hWnd, message, wParam, lParam] {
        if (CWnd* wnd = CWnd::FromHandle(hWnd))
            wnd->HandlePostedMessage(message, wParam, lParam);
    });
    return TRUE;
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
        MessageBeep(0); // a character the controls' code page cannot hold
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
