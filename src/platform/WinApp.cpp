#include "WinApp.h"

#include <QApplication>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

CWinApp* g_app = nullptr;
std::string g_title = "ap-utility";

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
        std::fprintf(stderr, "%s: cannot open the display %s\n", g_title.c_str(),
                     display ? display : "");
        std::_Exit(1);
    }
    g_heldMessages->push_back({type, text});
}

} // namespace

CWinApp::CWinApp(const char* appName) : m_strAppName(appName ? appName : "") {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

CWinApp* AfxGetApp() {
    return g_app;
}
CWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

std::string AfxGetAppTitle() {
    if (g_app && !g_app->m_strAppName.empty())
        return g_app->m_strAppName;
    return g_title;
}

void AfxSetAppTitle(const std::string& title) {
    g_title = title;
}

void AfxEnableControlContainer() {}

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
    if (argc > 0 && argv[0]) {
        std::string name = argv[0];
        size_t slash = name.find_last_of("/\\");
        if (slash != std::string::npos)
            name = name.substr(slash + 1);
        size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot > 0)
            name = name.substr(0, dot);
        AfxSetAppTitle(name);
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
