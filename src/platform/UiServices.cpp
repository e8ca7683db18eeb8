#include "UiServices.h"

#include "WinApp.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>
#include <mutex>

namespace {

int RealMessageBox(const std::string& text, const std::string& caption, UINT type) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if ((type & 0xF0) == MB_ICONERROR)
        icon = QMessageBox::Critical;
    else if ((type & 0xF0) == MB_ICONINFORMATION)
        icon = QMessageBox::Information;
    else if ((type & 0xF0) == MB_ICONEXCLAMATION)
        icon = QMessageBox::Warning;
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    QMessageBox box(icon, QString::fromLatin1(caption.c_str()), QString::fromLatin1(text.c_str()),
                    QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return IDOK;
}

void RealBeep(UINT) {
    QApplication::beep();
}

void RealBusyCursor(int what) {
    if (what == kBusyBegin) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (what == kBusyEnd) {
        if (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    } else if (QWidget* w = QApplication::activeModalWidget()) {
        w->setCursor(Qt::WaitCursor);
    }
}

std::mutex g_hooksMutex;
UiHooks g_hooks;

UiHooks Current() {
    std::lock_guard<std::mutex> lock(g_hooksMutex);
    return g_hooks;
}

} // namespace

UiHooks SetUiHooks(const UiHooks& hooks) {
    std::lock_guard<std::mutex> lock(g_hooksMutex);
    UiHooks old = g_hooks;
    g_hooks = hooks;
    return old;
}

bool IsUiThread() {
    return QCoreApplication::instance() &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

void RunOnUiThread(const std::function<void()>& fn) {
    if (IsUiThread() || !QCoreApplication::instance()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), fn, Qt::BlockingQueuedConnection);
}

void PostToUiThread(std::function<void()> fn) {
    if (!QCoreApplication::instance())
        return;
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

int AfxMessageBox(const std::string& text, UINT type) {
    int result = IDOK;
    std::string caption = AfxGetAppTitle();
    UiHooks hooks = Current();
    RunOnUiThread([&] {
        result = hooks.messageBox ? hooks.messageBox(text, caption, type)
                                  : RealMessageBox(text, caption, type);
    });
    return result;
}

BOOL MessageBeep(UINT type) {
    UiHooks hooks = Current();
    RunOnUiThread([&] { hooks.beep ? hooks.beep(type) : RealBeep(type); });
    return TRUE;
}

namespace {
void Busy(int what) {
    UiHooks hooks = Current();
    RunOnUiThread([&] { hooks.busyCursor ? hooks.busyCursor(what) : RealBusyCursor(what); });
}
} // namespace

void BeginWaitCursor() {
    Busy(kBusyBegin);
}
void EndWaitCursor() {
    Busy(kBusyEnd);
}
void ShowWaitCursor() {
    Busy(kBusyShow);
}
