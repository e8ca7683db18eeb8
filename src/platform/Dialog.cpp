// The backend-free half of CDialog: the modal stack, data exchange, the controls by id and
// the notification dispatch. Building and running the window is the backend's.
#include "Dialog.h"

#include "DialogTemplate.h"
#include "WinApp.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<CDialog*> g_modalStack;

} // namespace

CDialog::CDialog(UINT idTemplate, CWnd* parent) : m_nIDTemplate(idTemplate), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    ReleaseControls();
}

CDialog* CDialog::TopModal() {
    return g_modalStack.empty() ? nullptr : g_modalStack.back();
}

CWnd* CDialog::FindOwner() const {
    if (m_pParentWnd && m_pParentWnd->GetSafeHwnd())
        return m_pParentWnd;
    if (CDialog* top = TopModal())
        return top;
    CWnd* main = AfxGetMainWnd();
    return main && main != this && main->GetSafeHwnd() ? main : nullptr;
}

INT_PTR CDialog::DoModal() {
    const DialogTemplate* t = FindDialogTemplate(m_nIDTemplate);
    if (!t || GetSafeHwnd())
        return -1;
    CWnd* owner = FindOwner(); // before this dialog is the innermost
    m_bModal = true;
    m_bEnded = false;
    m_nModalResult = -1;
    g_modalStack.push_back(this);
    RunModal(*t, owner);
    g_modalStack.erase(std::find(g_modalStack.begin(), g_modalStack.end(), this));
    m_bModal = false;
    if (GetSafeHwnd()) { // the backend left the window to go here
        OnDestroy();
        ReleaseControls();
        DestroyOwnWindow();
    }
    return m_nModalResult;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_bEnded = true;
    if (m_bModal)
        EndModalLoop(result);
}

void CDialog::ReleaseControls() {
    for (auto& b : m_bound)
        b.second->Detach();
    m_bound.clear();
    m_temporary.clear();
}

BOOL CDialog::DestroyWindow() {
    if (m_bModal) { // a running modal dialog ends; DoModal releases the window
        EndDialog(IDCANCEL);
        return TRUE;
    }
    if (!GetSafeHwnd())
        return FALSE;
    OnDestroy();
    // Everything is unbound before the controls go, so no notification that their
    // destruction raises reaches a handler.
    ReleaseControls();
    DestroyOwnWindow();
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    ++m_nUpdateDepth;
    bool ok = true;
    try {
        DoDataExchange(&dx);
    } catch (const DataExchangeFailure&) {
        ok = false;
    }
    --m_nUpdateDepth;
    return ok ? TRUE : FALSE;
}

CWnd* CDialog::GetDlgItem(int id) {
    auto bound = m_bound.find(id);
    if (bound != m_bound.end())
        return bound->second;
    auto temp = m_temporary.find(id);
    if (temp != m_temporary.end())
        return temp->second.get();
    auto wrapper = std::make_unique<CWnd>();
    if (!AttachDlgItem(id, *wrapper))
        return nullptr;
    CWnd* result = wrapper.get();
    m_temporary[id] = std::move(wrapper);
    return result;
}

void CDialog::SubclassDlgItem(int id, CWnd& control) {
    m_temporary.erase(id);
    if (AttachDlgItem(id, control)) {
        m_bound[id] = &control;
        control.PreSubclassWindow();
    }
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnNotify(int id, UINT code) {
    if (code != BN_CLICKED)
        return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::OnClose() {
    OnCancel();
}

void CDialog::NotifyFromControl(int id, UINT code) {
    if (m_nUpdateDepth > 0 || !GetSafeHwnd())
        return;
    if (IsUserChoiceNotification(code) && ProgramChange::Active())
        return;
    OnNotify(id, code);
}

void CDialog::HandlePostedMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        OnInitDialog();
    else
        CWnd::HandlePostedMessage(message, wParam, lParam);
}
