#include "ConfigApp.h"

#include "LoginDlg.h"
#include "MainDlg.h"
#include "device/ProgressDlg.h"
#include "pages/AdvancedPage.h"
#include "pages/EncryptionPage.h"
#include "pages/InfoPage.h"
#include "pages/IpConfigPage.h"
#include "pages/WirelessPage.h"
#include "platform/FindWindow.h"
#include "platform/InstanceLock.h"
#include "resources/Resources.h"

// The objects with static lifetime, constructed in this order and destroyed in reverse.
CConfigApp theApp;
CWirelessPage g_wirelessPage;
CEncryptionPage g_encryptionPage;
CAdvancedPage g_advancedPage;
CIpConfigPage g_ipConfigPage;
CInfoPage g_infoPage;
CProgressDlg g_progressDlg;

namespace {

const char kMsgApConfigWriting[] =
    "ap-config is writing to the access point. Start the utility again when it has finished.";

} // namespace

CConfigApp::CConfigApp() : CWinApp(nullptr) {}

BOOL CConfigApp::InitInstance() {
    AfxEnableControlContainer();
    RegisterResources();
    AfxSetAppIcon(LoadIcon(IDR_MAINFRAME));

    // A copy of the utility that shows its login (or the caption the guard also knows)
    // keeps this one from starting; so does one in its main dialog, through the lock. An
    // ap-config writing holds the lock too: its write would be undone by the dialogs' next OK.
    InstanceLock lock;
    bool utilityRuns = FindTopLevelWindow({"Login", "AP Utility"});
    if (utilityRuns || !lock.Acquire(InstanceLock::DefaultPath())) {
        if (!utilityRuns && InstanceLock::InstanceHolder() == LockHolder::kApConfig)
            AfxMessageBox(kMsgApConfigWriting, MB_ICONEXCLAMATION);
        else
            AfxMessageBeep(MB_ICONEXCLAMATION);
        return FALSE;
    }

    // The login object outlives the main dialog: its image stays the current one until the
    // main dialog's own read succeeds.
    CLoginDlg login;
    CMainDlg main;
    login.HandOverTo(&main);
    if (login.DoModal() == IDOK) {
        m_pMainWnd = &main;
        main.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}
