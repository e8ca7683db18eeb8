// The Qt backend of the application: the Qt application object, workers on std::thread.
#include "platform/WinApp.h"

#include "QtWindow.h"
#include "platform/IconResource.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <thread>
#include <vector>

namespace {

// Workers run detached; this counts the ones still running.
std::atomic<int> g_runningWorkers{0};

// While the toolkit connects to the display its messages are held back: when it cannot
// connect it ends the process with a page of advice, and one line says it better.
struct HeldMessage {
    QtMsgType type;
    QString text;
};
std::vector<HeldMessage>* g_heldMessages = nullptr;

void HoldMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "%s: cannot open the display %s\n", AfxGetAppTitle().c_str(),
                     display ? display : "");
        std::_Exit(1);
    }
    g_heldMessages->push_back({type, text});
}

} // namespace

void AfxBeginThread(AFX_THREADPROC proc, LPVOID param) {
    ++g_runningWorkers;
    std::thread([proc, param] {
        proc(param);
        --g_runningWorkers;
    }).detach();
}

void AfxWaitForWorkerThreads() {
    while (g_runningWorkers > 0) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}

void AfxWaitWhile(const std::function<bool()>& busy) {
    while (busy()) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        QThread::msleep(2);
    }
}

int AfxWinMain(CWinApp* app, int argc, char** argv) {
    if (argc > 0 && argv[0])
        AfxSetAppTitleFromPath(argv[0]);
    std::string text;
    if (int code = app ? AfxCommandLine(*app, argc, argv, &text) : -1; code >= 0) {
        std::FILE* out = code == 0 ? stdout : stderr;
        std::fputs(text.c_str(), out);
        return std::fflush(out) == 0 ? code : 1;
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    bool wantsDisplay = !platform || !*platform || std::string(platform).find("xcb") == 0;
    if (wantsDisplay && !std::getenv("WAYLAND_DISPLAY")) {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) {
            std::fprintf(stderr, "%s: no display to show windows on (DISPLAY is not set)\n",
                         AfxGetAppTitle().c_str());
            return 1;
        }
    }
    std::vector<HeldMessage> held;
    g_heldMessages = &held;
    QtMessageHandler previous = qInstallMessageHandler(HoldMessage);
    QApplication qtApp(argc, argv);
    qInstallMessageHandler(previous);
    g_heldMessages = nullptr;
    for (const HeldMessage& m : held)
        qt_message_output(m.type, QMessageLogContext(), m.text);
    qtApp.setQuitOnLastWindowClosed(false);
    if (app)
        app->InitInstance();
    AfxWaitForWorkerThreads();
    return 0;
}

HICON CWinApp::LoadIcon(UINT id) const {
    // Drawn once per id and kept for the life of the process, as a resource icon is: the
    // table is never destroyed, so no icon outlives the toolkit or is lost at exit.
    static auto* icons = new std::map<UINT, QIcon>;
    auto it = icons->find(id);
    if (it != icons->end())
        return reinterpret_cast<HICON>(&it->second);
    IconPixelsFn draw = FindIconResource(id);
    if (!draw)
        return nullptr;
    QIcon& icon = (*icons)[id]; // a map's elements keep their addresses
    for (int size : {16, 32, 48}) {
        std::vector<uint8_t> pixels = draw(size);
        QImage image(pixels.data(), size, size, size * 4, QImage::Format_ARGB32);
        icon.addPixmap(QPixmap::fromImage(image.copy()));
    }
    return reinterpret_cast<HICON>(&icon);
}

void AfxSetAppIcon(HICON icon) {
    if (icon && qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setWindowIcon(*reinterpret_cast<const QIcon*>(icon));
}
