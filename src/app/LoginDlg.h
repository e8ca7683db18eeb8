#pragma once

#include "MainDlg.h"
#include "resources/Dialog136Ids.h"

#include <string>

// Checks the typed password against the two the access point holds, read afresh at every
// OK, and with "Change" set stores a new one on the access point.
class CLoginDlg : public CDialog {
public:
    explicit CLoginDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    // The main dialog that follows a login ending with OK: its opening read runs before
    // this window goes, which stays up, disabled, meanwhile.
    void HandOverTo(CMainDlg* next) { m_next = next; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnChange();
    void WrongPassword();
    void ClearNewPasswords(const char* message);
    void Accept();

    CMainDlg m_imageHolder;
    CMainDlg* m_next = nullptr;
    CWnd m_newPasswordLabel;
    CEdit m_newPasswordEdit;
    CWnd m_confirmPasswordLabel;
    CEdit m_confirmPasswordEdit;
    CEdit m_passwordEdit;
    int m_change = 0;
    std::string m_password;
    std::string m_confirmPassword;
    std::string m_newPassword;

    DECLARE_MESSAGE_MAP()
};
