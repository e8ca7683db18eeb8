// src/app: the application (start-up, the login and main dialogs) and the key file.
// Includes pages/, device/, resources/ and platform/; never a backend or a toolkit.
#pragma once

#include "platform/WinApp.h"

// The application: the single-instance guard, the login, then the main dialog.
class CConfigApp : public CWinApp {
public:
    CConfigApp();
    BOOL InitInstance() override;
};

extern CConfigApp theApp;
