#include "DataExchange.h"

#include "Button.h"
#include "Dialog.h"
#include "Edit.h"
#include "UiServices.h"

void CDataExchange::Fail() {
    throw DataExchangeFailure{};
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    pDX->m_idLastControl = id;
    CWnd* control = pDX->m_pDlgWnd->GetDlgItem(id);
    pDX->m_bEditLastControl = CEdit::IsEditControl(control);
    if (!control)
        return;
    if (pDX->m_bSaveAndValidate)
        value = control->GetWindowText();
    else if (control->GetWindowText() != value) // an unchanged text keeps caret and selection
        control->SetWindowText(value);
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
    pDX->m_idLastControl = id;
    pDX->m_bEditLastControl = false;
    CWnd* control = pDX->m_pDlgWnd->GetDlgItem(id);
    if (!CButton::IsButton(control))
        return;
    if (pDX->m_bSaveAndValidate)
        value = CButton::GetButtonCheck(control);
    else
        CButton::SetButtonCheck(control, value);
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (!control.GetSafeHwnd())
        pDX->m_pDlgWnd->SubclassDlgItem(id, control);
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int chars) {
    if (pDX->m_bEditLastControl) {
        // The edit's own limit keeps what the user types within chars; a longer text was
        // set by the program (a value from the device) and is taken as it is.
        if (!pDX->m_bSaveAndValidate)
            CEdit::SetEditLimit(pDX->m_pDlgWnd->GetDlgItem(pDX->m_idLastControl), chars);
        return;
    }
    if (pDX->m_bSaveAndValidate && static_cast<int>(value.size()) > chars) {
        AfxMessageBox("Please enter no more than " + std::to_string(chars) + " characters.",
                      MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}
