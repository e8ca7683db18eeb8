#pragma once

#include "platform/WinApp.h"

// The application: the single-instance guard, the login, then the main dialog.
class CConfigApp : public CWinApp {
public:
    CConfigApp();
    BOOL InitInstance() override;
};

extern CConfigApp theApp;
