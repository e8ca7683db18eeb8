#pragma once

#include "device/ConfigDialog.h"
#include "resources/Dialog102Ids.h"

class CPageDialog;
extern CPageDialog* g_pCurrentPage;

// The working window: the five pages on a tab control, and OK, Apply, Default, Cancel.
class CMainDlg : public CConfigDialog {
public:
    explicit CMainDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void ShowPage(int index);
    // The opening read, run before the window is made, while the window before this one
    // (the login) stays on screen with the busy cursor: the device may take seconds to
    // answer, and no moment of it passes without a window of the program. OnInitDialog
    // reads when this has not run.
    void ReadBeforeOpening();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnDestroy() override;
    void OnSelChangeTab();
    void OnApply();
    void OnDefault();
    // Saves the keys, writes the image with the progress dialog; true when it reached
    // the device.
    bool SaveAndWrite();

    CTabCtrl m_tab;
    HICON m_hIcon = nullptr;
    bool m_readBeforeOpening = false;

    DECLARE_MESSAGE_MAP()
};
