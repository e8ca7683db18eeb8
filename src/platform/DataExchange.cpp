#include "DataExchange.h"

#include "Dialog.h"
#include "Edit.h"
#include "UiServices.h"

#include <QAbstractButton>
#include <QLineEdit>

void CDataExchange::Fail() {
    throw DataExchangeFailure{};
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    pDX->m_idLastControl = id;
    CWnd* control = pDX->m_pDlgWnd->GetDlgItem(id);
    pDX->m_bEditLastControl = control && qobject_cast<QLineEdit*>(control->GetWidget());
    if (!control)
        return;
    if (pDX->m_bSaveAndValidate)
        value = control->GetWindowText();
    else
        control->SetWindowText(value);
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
    pDX->m_idLastControl = id;
    pDX->m_bEditLastControl = false;
    CWnd* control = pDX->m_pDlgWnd->GetDlgItem(id);
    auto* button = control ? qobject_cast<QAbstractButton*>(control->GetWidget()) : nullptr;
    if (!button)
        return;
    if (pDX->m_bSaveAndValidate)
        value = button->isChecked() ? 1 : 0;
    else
        button->setChecked(value != 0);
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (!control.GetSafeHwnd())
        pDX->m_pDlgWnd->SubclassDlgItem(id, control);
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int chars) {
    if (pDX->m_bSaveAndValidate) {
        if (static_cast<int>(value.size()) > chars) {
            AfxMessageBox("Please enter no more than " + std::to_string(chars) + " characters.",
                          MB_ICONEXCLAMATION);
            pDX->Fail();
        }
    } else if (pDX->m_bEditLastControl) {
        CWnd* control = pDX->m_pDlgWnd->GetDlgItem(pDX->m_idLastControl);
        if (auto* edit = control ? qobject_cast<QLineEdit*>(control->GetWidget()) : nullptr) {
            if (edit->text().size() <= chars)
                edit->setMaxLength(chars);
        }
    }
}
