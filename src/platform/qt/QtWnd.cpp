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

struct CWnd::Backend {
    static Impl& State(const CWnd& wnd) { return *wnd.m_pImpl; }
    static void SetHandle(CWnd& wnd, HWND hWnd) { wnd.SetHandle(hWnd); }
};

namespace qt {

CWnd* FromWidget(const QWidget* widget) {
    auto it = g_widgetOwners.find(widget);
    return it == g_widgetOwners.end() ? nullptr : it->second;
}

QWidget* GetWidget(const CWnd& wnd) {
    return CWnd::Backend::State(wnd).widget.data();
}

void Attach(CWnd& wnd, QWidget* widget) {
    wnd.Detach();
    if (!widget)
        return;
    CWnd::Impl& impl = CWnd::Backend::State(wnd);
    impl.widget = widget;
    g_widgetOwners[widget] = &wnd;
    impl.ownerKey = widget;
    // A window that its parent destroys takes its handle with it.
    impl.destroyed = QObject::connect(widget, &QObject::destroyed, [&wnd] { wnd.Detach(); });
    CWnd::Backend::SetHandle(wnd, reinterpret_cast<HWND>(g_nextHandle++));
}

} // namespace qt

CWnd::CWnd() : m_pImpl(std::make_unique<Impl>()) {}

CWnd::~CWnd() {
    Detach();
}

BOOL IsWindow(HWND hWnd) {
    return CWnd::FromHandle(hWnd) != nullptr;
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
    QWidget* w = qt::GetWidget(*this);
    QString name = w ? w->objectName() : QString();
    return name.startsWith(QLatin1String("ctl")) ? name.mid(3).toInt() : 0;
}

BOOL CWnd::EnableWindow(BOOL enable) {
    QWidget* w = qt::GetWidget(*this);
    if (!w)
        return FALSE;
    BOOL wasDisabled = !w->isEnabled();
    w->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
    QWidget* w = qt::GetWidget(*this);
    return w && w->isEnabled();
}

BOOL CWnd::ShowWindow(int command) {
    QWidget* w = qt::GetWidget(*this);
    if (!w)
        return FALSE;
    BOOL wasVisible = w->isVisible();
    w->setVisible(command != SW_HIDE);
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const {
    QWidget* w = qt::GetWidget(*this);
    return w && w->isVisible();
}

void CWnd::SetWindowText(const std::string& text) {
    QWidget* w = qt::GetWidget(*this);
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
    QWidget* w = qt::GetWidget(*this);
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
    if (QWidget* w = qt::GetWidget(*this))
        w->setFocus(Qt::OtherFocusReason);
    return this;
}

void CWnd::SetIcon(HICON icon, BOOL) {
    if (QWidget* w = qt::GetWidget(*this); w && icon)
        w->setWindowIcon(*reinterpret_cast<const QIcon*>(icon));
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs) {
    QWidget* w = qt::GetWidget(*this);
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
    QWidget* widget = qt::GetWidget(*this);
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
