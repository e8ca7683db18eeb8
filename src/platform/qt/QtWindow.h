// The Qt backend's state of a window: the widget it is bound to and its timers.
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
