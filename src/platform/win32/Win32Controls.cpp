// The controls over their window classes: each method one message, as the class defines it.
#include "Win32Window.h"
#include "platform/Button.h"
#include "platform/ComboBox.h"
#include "platform/Edit.h"
#include "platform/IPAddressCtrl.h"
#include "platform/ProgressCtrl.h"
#include "platform/Static.h"
#include "platform/TabCtrl.h"

#include <commctrl.h>
#include <vector>

namespace {
LRESULT Send(const CWnd* wnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(wnd->GetSafeHwnd(), message, wParam, lParam);
}
} // namespace

bool CButton::IsButton(const CWnd* wnd) {
    return wnd && win32::IsClass(wnd->GetSafeHwnd(), L"Button");
}
int CButton::GetButtonCheck(const CWnd* wnd) {
    return IsButton(wnd) && Send(wnd, BM_GETCHECK) == BST_CHECKED ? 1 : 0;
}
void CButton::SetButtonCheck(CWnd* wnd, int check) {
    if (IsButton(wnd))
        Send(wnd, BM_SETCHECK, check ? BST_CHECKED : BST_UNCHECKED);
}

void CComboBox::ResetContent() {
    Send(this, CB_RESETCONTENT);
}
int CComboBox::InsertString(int index, const std::string& text) {
    std::wstring wide = win32::Wide(text);
    return static_cast<int>(Send(this, CB_INSERTSTRING, static_cast<WPARAM>(index),
                                 reinterpret_cast<LPARAM>(wide.c_str())));
}
int CComboBox::SetCurSel(int index) {
    return static_cast<int>(Send(this, CB_SETCURSEL, static_cast<WPARAM>(index)));
}
int CComboBox::GetCurSel() const {
    return static_cast<int>(Send(this, CB_GETCURSEL));
}
int CComboBox::GetCount() const {
    return static_cast<int>(Send(this, CB_GETCOUNT));
}
std::string CComboBox::GetLBText(int index) const {
    LRESULT length = Send(this, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR)
        return std::string();
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    Send(this, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    return win32::Narrow(text.data());
}

bool CEdit::IsEditControl(const CWnd* wnd) {
    return wnd && win32::IsClass(wnd->GetSafeHwnd(), L"Edit");
}
void CEdit::SetEditLimit(CWnd* wnd, int chars) {
    if (IsEditControl(wnd))
        Send(wnd, EM_LIMITTEXT, static_cast<WPARAM>(chars > 0 ? chars : 32767));
}
int CEdit::GetEditLimit(const CWnd* wnd) {
    return IsEditControl(wnd) ? static_cast<int>(Send(wnd, EM_GETLIMITTEXT)) : 0;
}
void CEdit::SetMargins(UINT left, UINT right) {
    Send(this, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(left, right));
}

void CIPAddressCtrl::SetAddress(DWORD address) {
    ProgramChange change;
    Send(this, IPM_SETADDRESS, 0, static_cast<LPARAM>(address));
}
void CIPAddressCtrl::SetAddress(BYTE f0, BYTE f1, BYTE f2, BYTE f3) {
    SetAddress(MAKEIPADDRESS(f0, f1, f2, f3));
}
int CIPAddressCtrl::GetAddress(DWORD& address) const {
    address = 0;
    return static_cast<int>(Send(this, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)));
}
int CIPAddressCtrl::GetAddress(BYTE& f0, BYTE& f1, BYTE& f2, BYTE& f3) const {
    DWORD address = 0;
    int n = GetAddress(address);
    f0 = FIRST_IPADDRESS(address);
    f1 = SECOND_IPADDRESS(address);
    f2 = THIRD_IPADDRESS(address);
    f3 = FOURTH_IPADDRESS(address);
    return n;
}
void CIPAddressCtrl::ClearAddress() {
    ProgramChange change;
    Send(this, IPM_CLEARADDRESS);
}

void CProgressCtrl::SetRange(short lower, short upper) {
    Send(this, PBM_SETRANGE, 0, MAKELPARAM(lower, upper));
}
int CProgressCtrl::SetStep(int step) {
    m_step = step;
    return static_cast<int>(Send(this, PBM_SETSTEP, static_cast<WPARAM>(step)));
}
int CProgressCtrl::SetPos(int pos) {
    return static_cast<int>(Send(this, PBM_SETPOS, static_cast<WPARAM>(pos)));
}
int CProgressCtrl::GetPos() const {
    return static_cast<int>(Send(this, PBM_GETPOS));
}
int CProgressCtrl::StepIt() {
    return static_cast<int>(Send(this, PBM_STEPIT));
}

HBITMAP CStatic::SetBitmap(HBITMAP bitmap) {
    m_bitmap = bitmap;
    return reinterpret_cast<HBITMAP>(
        Send(this, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
}
HBITMAP CStatic::GetBitmap() const {
    return reinterpret_cast<HBITMAP>(Send(this, STM_GETIMAGE, IMAGE_BITMAP));
}

int CTabCtrl::InsertItem(int index, const std::string& text) {
    std::wstring wide = win32::Wide(text);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(wide.c_str());
    return static_cast<int>(
        Send(this, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}
int CTabCtrl::GetCurSel() const {
    return static_cast<int>(Send(this, TCM_GETCURSEL));
}
int CTabCtrl::SetCurSel(int index) {
    return static_cast<int>(Send(this, TCM_SETCURSEL, static_cast<WPARAM>(index)));
}
int CTabCtrl::GetItemCount() const {
    return static_cast<int>(Send(this, TCM_GETITEMCOUNT));
}
