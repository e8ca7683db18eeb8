#include "LoginDlg.h"

CLoginDlg::CLoginDlg(CWnd* parent) : CDialog(IDD_LOGIN, parent) {}

BEGIN_MESSAGE_MAP(CLoginDlg, CDialog)
ON_BN_CLICKED(IDC_CHANGE, OnChange)
END_MESSAGE_MAP()

void CLoginDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_NEW_LABEL, m_newPasswordLabel);
    DDX_Control(pDX, IDC_NEW_PASSWORD, m_newPasswordEdit);
    DDX_Control(pDX, IDC_CONFIRM_LABEL, m_confirmPasswordLabel);
    DDX_Control(pDX, IDC_CONFIRM_PASSWORD, m_confirmPasswordEdit);
    DDX_Control(pDX, IDC_PASSWORD, m_passwordEdit);
    DDX_Check(pDX, IDC_CHANGE, m_change);
    DDX_Text(pDX, IDC_PASSWORD, m_password);
    DDV_MaxChars(pDX, m_password, kPasswordChars);
    DDX_Text(pDX, IDC_CONFIRM_PASSWORD, m_confirmPassword);
    DDV_MaxChars(pDX, m_confirmPassword, kPasswordChars);
    DDX_Text(pDX, IDC_NEW_PASSWORD, m_newPassword);
    DDV_MaxChars(pDX, m_newPassword, kPasswordChars);
}

BOOL CLoginDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    GotoDlgCtrl(&m_passwordEdit);
    return TRUE;
}

void CLoginDlg::OnChange() {
    UpdateData(TRUE);
    BOOL enable = m_change ? TRUE : FALSE;
    m_newPasswordEdit.EnableWindow(enable);
    m_newPasswordLabel.EnableWindow(enable);
    m_confirmPasswordEdit.EnableWindow(enable);
    m_confirmPasswordLabel.EnableWindow(enable);
    if (m_change)
        GotoDlgCtrl(&m_newPasswordEdit);
}

void CLoginDlg::WrongPassword() {
    AfxMessageBox("The password you typed is incorrect.", MB_ICONERROR);
    m_password.clear();
    GotoDlgCtrl(&m_passwordEdit);
    UpdateData(FALSE);
}

void CLoginDlg::ClearNewPasswords(const char* message) {
    AfxMessageBox(message, MB_ICONERROR);
    m_newPassword.clear();
    m_confirmPassword.clear();
    GotoDlgCtrl(&m_newPasswordEdit);
    UpdateData(FALSE);
}

void CLoginDlg::OnOK() {
    UpdateData(TRUE);
    if (!m_imageHolder.ReadConfiguration())
        return;
    ConfigImage& image = m_imageHolder.Image();
    if (!LoginAccepts(image, m_password)) {
        WrongPassword();
        return;
    }
    if (!m_change) {
        Accept();
        return;
    }
    std::string word;
    NewPasswordVerdict verdict = CheckNewPassword(m_newPassword, m_confirmPassword, &word);
    if (verdict != NewPasswordVerdict::kAccepted) {
        ClearNewPasswords(NewPasswordMessage(verdict));
        return;
    }
    image.SetPassword(word);
    // After a failed write (its message has been shown) the dialog stays open as typed.
    if (!m_imageHolder.WriteWithProgress())
        return;
    AfxMessageBox("The password has been successfully changed.", MB_ICONINFORMATION);
    Accept();
}

void CLoginDlg::Accept() {
    if (m_next) {
        // Drawn disabled before the read holds the program, which may take seconds.
        ShowDisabledNow();
        m_next->ReadBeforeOpening();
    }
    EndDialog(IDOK);
}
