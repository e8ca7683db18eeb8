// The backend-free half of the application object: the title and the main window.
#include "WinApp.h"

namespace {

CWinApp* g_app = nullptr;
std::string g_title = "ap-utility";

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

int AfxCommandLine(const CWinApp& app, int argc, char** argv, std::string* text) {
    if (argc < 2)
        return -1;
    std::string argument = argv[1];
    if (argc == 2 && argument == "--help") {
        *text = app.m_strUsage + app.m_strHelp;
        return 0;
    }
    if (argc == 2 && argument == "--version") {
        *text = app.m_strVersion;
        return 0;
    }
    *text = (argument.compare(0, 1, "-") == 0 ? "unknown option " : "unexpected argument ") +
            argument + "\n" + app.m_strUsage;
    return 2;
}

void AfxSetAppTitleFromPath(const std::string& path) {
    std::string name = path;
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name = name.substr(0, dot);
    AfxSetAppTitle(name);
}
