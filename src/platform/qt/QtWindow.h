// src/platform/qt: the Qt backend of the dialog framework, behind platform/'s headers.
// Includes platform/, Qt and xcb; never platform/win32/ nor a layer above the platform.
//
// The Qt backend's state of a window (the widget it is bound to and its timers), and the
// calls on windows that only this backend has: the backend code and its tests include this.
#pragma once

#include "platform/Wnd.h"

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <map>

struct CWnd::Impl {
    QPointer<QWidget> widget;
    QMetaObject::Connection destroyed;
    const QWidget* ownerKey = nullptr; // the widget's entry in the owner table
    std::map<UINT_PTR, QPointer<QTimer>> timers;
    // A dialog's: its running modal window, and its controls by id.
    QPointer<QDialog> modal;
    std::map<int, QWidget*> controls;
};

namespace qt {

// Binds wnd to widget (subclassing a dialog control); a widget that goes takes the binding
// and the handle with it.
void Attach(CWnd& wnd, QWidget* widget);
// The widget behind a window, null when it has none (tests reach the widgets through it).
QWidget* GetWidget(const CWnd& wnd);
// The object bound to widget, or null.
CWnd* FromWidget(const QWidget* widget);
// The widget behind a window as a Widget; null when the window is null or its widget is
// none or another kind.
template <class Widget> Widget* WidgetAs(const CWnd* wnd) {
    return wnd ? qobject_cast<Widget*>(GetWidget(*wnd)) : nullptr;
}

} // namespace qt
