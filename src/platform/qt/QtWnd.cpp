// CWnd over a Qt widget. Handles are numbers the table hands out, so a handle of a window
// that is gone names nothing.
#include "QtWindow.h"

#include "EditWidget.h"
#include "QtText.h"
#include "platform/UiServices.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <unordered_map>

namespace {

// Which object each bound widget belongs to (widgets live on the user-interface thread
// only, so this needs no lock). It outlives every window object, the static ones included.
std::unordered_map<const QWidget*, CWnd*>& g_widgetOwners =
    *new std::unordered_map<const QWidget*, CWnd*>;
std::atomic<uintptr_t> g_nextHandle{0x10000};

} // namespace

CWnd::CWnd() : m_pImpl(std::make_unique<Impl>()) {}

CWnd::~CWnd() {
    Detach();
}

CWnd* CWnd::FromWidget(const QWidget* widget) {
    auto it = g_widgetOwners.find(widget);
    return it == g_widgetOwners.end() ? nullptr : it->second;
}

QWidget* CWnd::GetWidget() const {
    return m_pImpl->widget.data();
}

BOOL IsWindow(HWND hWnd) {
    return CWnd::FromHandle(hWnd) != nullptr;
}

void CWnd::Attach(QWidget* widget) {
    Detach();
    if (!widget)
        return;
    m_pImpl->widget = widget;
    g_widgetOwners[widget] = this;
    m_pImpl->ownerKey = widget;
    // A window that its parent destroys takes its handle with it.
    m_pImpl->destroyed = QObject::connect(widget, &QObject::destroyed, [this] { Detach(); });
    SetHandle(reinterpret_cast<HWND>(g_nextHandle++));
}

void CWnd::Detach() {
    Impl& impl = *m_pImpl;
    QObject::disconnect(impl.destroyed);
    if (impl.ownerKey) {
        auto owner = g_widgetOwners.find(impl.ownerKey);
        if (owner != g_widgetOwners.end() && owner->second == this)
            g_widgetOwners.erase(owner);
        impl.ownerKey = nullptr;
    }
    impl.widget = nullptr;
    for (auto& t : impl.timers)
        if (t.second)
            t.second->stop();
    impl.timers.clear();
    ReleaseHandle();
}

int CWnd::GetDlgCtrlID() const {
    // Controls are named after their id ("ctl1002").
    QWidget* w = GetWidget();
    QString name = w ? w->objectName() : QString();
    return name.startsWith(QLatin1String("ctl")) ? name.mid(3).toInt() : 0;
}

BOOL CWnd::EnableWindow(BOOL enable) {
    QWidget* w = GetWidget();
    if (!w)
        return FALSE;
    BOOL wasDisabled = !w->isEnabled();
    w->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
    QWidget* w = GetWidget();
    return w && w->isEnabled();
}

BOOL CWnd::ShowWindow(int command) {
    QWidget* w = GetWidget();
    if (!w)
        return FALSE;
    BOOL wasVisible = w->isVisible();
    w->setVisible(command != SW_HIDE);
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const {
    QWidget* w = GetWidget();
    return w && w->isVisible();
}

void CWnd::SetWindowText(const std::string& text) {
    QWidget* w = GetWidget();
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
    QWidget* w = GetWidget();
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
    if (QWidget* w = GetWidget())
        w->setFocus(Qt::OtherFocusReason);
    return this;
}

void CWnd::SetIcon(HICON icon, BOOL) {
    if (QWidget* w = GetWidget(); w && icon)
        w->setWindowIcon(*reinterpret_cast<const QIcon*>(icon));
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs) {
    QWidget* w = GetWidget();
    if (!w)
        return 0;
    KillTimer(id);
    auto* timer = new QTimer(w);
    timer->setInterval(static_cast<int>(elapseMs));
    QObject::connect(timer, &QTimer::timeout, timer, [this, id] { OnTimer(id); });
    timer->start();
    m_pImpl->timers[id] = timer;
    return id;
}

BOOL CWnd::KillTimer(UINT_PTR id) {
    auto& timers = m_pImpl->timers;
    auto it = timers.find(id);
    if (it == timers.end())
        return FALSE;
    if (it->second) {
        it->second->stop();
        it->second->deleteLater();
    }
    timers.erase(it);
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    QWidget* widget = GetWidget();
    Detach();
    delete widget;
    return widget != nullptr;
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
