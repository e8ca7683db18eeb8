// The application object and the process-wide services of the dialog framework.
#pragma once

#include "Messages.h"

#include <functional>
#include <string>

class CWnd;

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    // Runs the application; returning ends it.
    virtual BOOL InitInstance() { return FALSE; }
    // Icon id of the program's resources (IconResource.h; on Windows its .rc), kept for the
    // life of the process; null when there is none.
    HICON LoadIcon(UINT id) const;

    CWnd* m_pMainWnd = nullptr;
    std::string m_strAppName;
    // The program's answers to --help (its usage line, then the help) and --version; the
    // program takes no other argument (see AfxCommandLine).
    std::string m_strUsage, m_strHelp, m_strVersion;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The application title: the name given to CWinApp, else the executable's name.
std::string AfxGetAppTitle();
void AfxSetAppTitle(const std::string& title);
// The title from the executable's path: its name without folder and extension.
void AfxSetAppTitleFromPath(const std::string& path);
// The icon every window of the program shows unless it sets its own.
void AfxSetAppIcon(HICON icon);
void AfxEnableControlContainer();

typedef UINT (*AFX_THREADPROC)(LPVOID);
// Starts a worker thread running proc(param); it ends when proc returns.
void AfxBeginThread(AFX_THREADPROC proc, LPVOID param);
// Waits until every worker started by AfxBeginThread has ended, serving the requests they
// make of the user-interface thread meanwhile.
void AfxWaitForWorkerThreads();
// Waits while busy() holds, serving the workers' requests of the user-interface thread
// (their message boxes take the user's answer) but holding back the user's input to the
// application's windows until the wait is over.
void AfxWaitWhile(const std::function<bool()>& busy);

// The program's arguments: -1 for none (the program goes on); 0 for --help or --version,
// with their text in *text for the standard output; 2 for anything else, with the usage
// in *text for the standard error.
int AfxCommandLine(const CWinApp& app, int argc, char** argv, std::string* text);

// Answers the command line (AfxCommandLine; the Windows build, which has no console of its
// own, shows the text in a message box unless its standard output or error is a file or
// pipe), then creates the toolkit's application (Qt), runs app's InitInstance and waits for
// the workers. Returns the process exit code; 1 when no display can be opened.
int AfxWinMain(CWinApp* app, int argc, char** argv);
