// A shown top-level window over the Qt backend, to create child dialogs in as the main
// dialog creates its pages: for the tests and benchmarks of the dialog layer.
#pragma once

#include "platform/qt/QtWindow.h"

#include <QWidget>

struct QtHost {
    explicit QtHost(int width = 600, int height = 400) {
        widget.resize(width, height);
        qt::Attach(wnd, &widget);
        widget.show();
    }
    ~QtHost() { wnd.Detach(); }
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    QWidget widget;
    CWnd wnd;
};
