// The Qt backend of the user-interface services: the real box, beep and cursor, and the
// hand-over of work to the user-interface thread.
#include "platform/UiBackend.h"
#include "platform/UiServices.h"

#include "FocusFrameStyle.h"
#include "QtText.h"
#include "platform/WinApp.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <sys/eventfd.h>
#include <unistd.h>

int BackendMessageBox(const std::string& text, const std::string& caption, UINT type) {
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
    QMessageBox box(icon, QStringFromAnsi(caption), QStringFromAnsi(text), QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    qt::UseFocusFrames(&box);
    box.exec();
    return IDOK;
}

void BackendBeep(UINT) {
    QApplication::beep();
}

void BackendBusyCursor(int what) {
    if (what == kBusyBegin) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (what == kBusyEnd) {
        if (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    } else if (QWidget* w = QApplication::activeModalWidget()) {
        w->setCursor(Qt::WaitCursor);
    }
}

bool IsUiThread() {
    return QCoreApplication::instance() &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

namespace {

// Work handed to the user-interface thread: a queue under a mutex and an eventfd that
// wakes the UI thread's event loop. Everything that crosses between the threads goes
// through these two, so the hand-over is plain to see (and to ThreadSanitizer).
struct UiTask {
    std::function<void()> fn;
    bool wait = false;
    bool done = false;
};

class UiDispatcher {
public:
    static UiDispatcher& Instance() {
        static UiDispatcher dispatcher;
        return dispatcher;
    }
    // Called on the user-interface thread when the application object exists.
    void Start() {
        if (m_notifier)
            return;
        m_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(m_notifier.data(), &QSocketNotifier::activated, m_notifier.data(),
                         [this] { Drain(); });
    }
    bool Running() const { return m_fd >= 0 && m_notifier; }
    void Queue(UiTask* task) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_tasks.push_back(task);
        }
        uint64_t one = 1;
        ssize_t written = write(m_fd, &one, sizeof(one));
        static_cast<void>(written); // a full counter still wakes the reader
    }
    void WaitFor(UiTask* task) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_done.wait(lock, [task] { return task->done; });
    }

private:
    void Drain() {
        uint64_t count = 0;
        ssize_t got = read(m_fd, &count, sizeof(count));
        static_cast<void>(got);
        for (;;) {
            UiTask* task = nullptr;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_tasks.empty())
                    return;
                task = m_tasks.front();
                m_tasks.pop_front();
            }
            task->fn();
            if (!task->wait) {
                delete task;
                continue;
            }
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                task->done = true;
            }
            m_done.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_done;
    std::deque<UiTask*> m_tasks;
    int m_fd = -1;
    QPointer<QSocketNotifier> m_notifier;
};

// The busy cursor's images are read from the cursor theme and sent to the display the first
// time it is shown: on X11 some tens of kilobytes of a theme file of megabytes, which the
// first device request (the login's read) would wait behind. They are made while the program
// waits for its user instead, a moment after its first window has the focus, on a window
// that is never shown; the display keeps them for the program.
void PrepareBusyCursor() {
    QWindow window;
    window.create();
    window.setCursor(Qt::WaitCursor);
}

void StartUiDispatcher() {
    UiDispatcher::Instance().Start();
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = QObject::connect(app, &QGuiApplication::focusWindowChanged, app, [once](QWindow* w) {
        if (!w)
            return;
        QObject::disconnect(*once);
        QTimer::singleShot(100, qApp, PrepareBusyCursor);
    });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(StartUiDispatcher)

void RunOnUiThread(const std::function<void()>& fn) {
    UiDispatcher& dispatcher = UiDispatcher::Instance();
    if (IsUiThread() || !QCoreApplication::instance() || !dispatcher.Running()) {
        fn();
        return;
    }
    UiTask task;
    task.fn = fn;
    task.wait = true;
    dispatcher.Queue(&task);
    dispatcher.WaitFor(&task);
}

void PostToUiThread(std::function<void()> fn) {
    UiDispatcher& dispatcher = UiDispatcher::Instance();
    if (!QCoreApplication::instance() || !dispatcher.Running())
        return;
    auto* task = new UiTask;
    task->fn = std::move(fn);
    dispatcher.Queue(task);
}
