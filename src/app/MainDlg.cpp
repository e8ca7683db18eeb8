#include "MainDlg.h"

#include "device/KeyStoreFile.h"
#include "device/WepKeyTable.h"
#include "pages/AdvancedPage.h"
#include "pages/EncryptionPage.h"
#include "pages/InfoPage.h"
#include "pages/IpConfigPage.h"
#include "pages/WirelessPage.h"
#include "resources/Resources.h"

#include <cstring>

CPageDialog* g_pCurrentPage = nullptr;

namespace {

struct TabEntry {
    const char* text;
    CPageDialog* page;
    UINT templateId;
};

const TabEntry* Tabs() {
    static const TabEntry tabs[] = {
        {"Wireless", &g_wirelessPage, IDD_WIRELESS},
        {"Encryption", &g_encryptionPage, IDD_ENCRYPTION},
        {"IP Config", &g_ipConfigPage, IDD_IPCONFIG},
        {"Advanced", &g_advancedPage, IDD_ADVANCED},
        {"Info", &g_infoPage, IDD_INFO},
    };
    return tabs;
}
constexpr int kTabCount = 5;

} // namespace

CMainDlg::CMainDlg(CWnd* parent) : CConfigDialog(IDD_MAIN, parent) {}

BEGIN_MESSAGE_MAP(CMainDlg, CConfigDialog)
ON_NOTIFY_TCN_SELCHANGE(IDC_TAB, OnSelChangeTab)
ON_BN_CLICKED(IDC_APPLY, OnApply)
ON_BN_CLICKED(IDC_DEFAULT, OnDefault)
END_MESSAGE_MAP()

void CMainDlg::DoDataExchange(CDataExchange* pDX) {
    CConfigDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TAB, m_tab);
}

BOOL CMainDlg::OnInitDialog() {
    CConfigDialog::OnInitDialog();
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    // On failure the message has been shown, and the pages show the image read at login.
    if (!m_readBeforeOpening)
        ReadConfiguration();
    m_readBeforeOpening = false;
    SyncKeyFile();
    for (int i = 0; i < kTabCount; ++i)
        m_tab.InsertItem(i, Tabs()[i].text);
    ShowPage(0);
    // The focus starts on OK (the tab control, first in the template, takes it too).
    GotoDlgCtrl(GetDlgItem(IDOK));
    return FALSE;
}

void CMainDlg::ReadBeforeOpening() {
    ReadConfiguration();
    m_readBeforeOpening = true;
}

void CMainDlg::ShowPage(int index) {
    if (g_pCurrentPage)
        g_pCurrentPage->DestroyWindow();
    if (index >= 0 && index < kTabCount) {
        const TabEntry& tab = Tabs()[index];
        tab.page->Create(tab.templateId, this);
        g_pCurrentPage = tab.page;
    }
    m_tab.SetCurSel(index);
}

void CMainDlg::OnDestroy() {
    if (g_pCurrentPage)
        g_pCurrentPage->DestroyWindow();
    g_pCurrentPage = nullptr;
}

void CMainDlg::OnSelChangeTab() {
    ShowPage(m_tab.GetCurSel());
}

bool CMainDlg::SaveAndWrite() {
    SaveKeyFile();
    return WriteWithProgress();
}

void CMainDlg::OnApply() {
    SaveAndWrite();
}

void CMainDlg::OnOK() {
    // After a failed write the dialog stays open, so the user's edits are not lost.
    if (SaveAndWrite())
        CConfigDialog::OnOK();
}

void CMainDlg::OnDefault() {
    if (!g_pConfigImage)
        return;
    // A factory read that fails leaves the image as it was; the keys are reset all the same.
    ConfigImage factory = *g_pConfigImage;
    ReadDefaultConfiguration(factory.Bytes());
    TakeFactorySettings(*g_pConfigImage, factory, g_wepKeyTable);
    for (CPageDialog* page :
         {static_cast<CPageDialog*>(&g_wirelessPage), static_cast<CPageDialog*>(&g_encryptionPage),
          static_cast<CPageDialog*>(&g_advancedPage), static_cast<CPageDialog*>(&g_ipConfigPage),
          static_cast<CPageDialog*>(&g_infoPage)})
        ::PostMessageA(page->GetSafeHwnd(), WM_INITDIALOG, 0, 0);
}
