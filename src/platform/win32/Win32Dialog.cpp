// CDialog over the dialog manager: templates built in memory (DialogTemplateEx), one static
// dialog procedure, modal dialogs through DialogBoxIndirectParamW and pages as modeless
// children through CreateDialogIndirectParamW.
#include "DialogTemplateEx.h"
#include "Win32Window.h"
#include "platform/Dialog.h"
#include "platform/DialogTemplate.h"
#include "platform/WinApp.h"

#include <commctrl.h>

struct DialogBackend {
    static INT_PTR CALLBACK Proc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK KeyFilter(int code, WPARAM wParam, LPARAM lParam);
    static void InstallKeyFilter();
};

namespace {

CDialog* DialogOf(HWND hDlg) {
    if (!hDlg ||
        GetWindowLongPtrW(hDlg, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&DialogBackend::Proc))
        return nullptr;
    return reinterpret_cast<CDialog*>(GetWindowLongPtrW(hDlg, DWLP_USER));
}

// The innermost of this program's dialogs that holds hWnd.
HWND InnermostDialog(HWND hWnd) {
    for (HWND h = hWnd; h; h = GetParent(h))
        if (DialogOf(h))
            return h;
    return nullptr;
}

} // namespace

INT_PTR CALLBACK DialogBackend::Proc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dlg = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hDlg, DWLP_USER));
    if (message == WM_INITDIALOG && !dlg) {
        dlg = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        dlg->SetHandle(hDlg);
        if (!(GetWindowLongPtrW(hDlg, GWL_STYLE) & WS_CHILD) && win32::AppIcon()) {
            SendMessageW(hDlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(win32::AppIcon()));
            SendMessageW(hDlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(win32::AppIcon()));
        }
        if (const DialogTemplate* t = FindDialogTemplate(dlg->GetTemplateId())) {
            win32::NameForScreenReaders(hDlg, *t);
            // A value (a read-only edit) has its text where a label's would be.
            for (const DialogItem& item : t->items)
                if (item.kind == ControlKind::kEdit && (item.style & kReadOnly))
                    SendDlgItemMessageW(hDlg, item.id, EM_SETMARGINS,
                                        EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
        }
        // TRUE asks the dialog manager for the first tab stop to get the focus.
        BOOL focus = dlg->OnInitDialog();
        return focus && !dlg->GetImpl().hostedChild;
    }
    if (!dlg)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG: // posted by the program: the dialog shows its data again
        dlg->HandlePostedMessage(WM_INITDIALOG, wParam, lParam);
        return TRUE;
    case WM_COMMAND:
        dlg->NotifyFromControl(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        dlg->NotifyFromControl(static_cast<int>(header->idFrom), header->code);
        return FALSE;
    }
    case WM_TIMER:
        dlg->OnTimer(wParam);
        return TRUE;
    case WM_CLOSE:
        dlg->OnClose();
        return TRUE;
    case WM_SETCURSOR:
        if (win32::IsBusy()) {
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514))); // IDC_WAIT
            SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        // The dialog manager ends a modal dialog's window itself: the controls still exist.
        if (dlg->GetSafeHwnd() == hDlg) {
            dlg->OnDestroy();
            dlg->ReleaseControls();
        }
        return FALSE;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hDlg, DWLP_USER, 0);
        if (dlg->GetSafeHwnd() == hDlg)
            dlg->ReleaseHandle();
        return FALSE;
    default:
        return FALSE;
    }
}

namespace {

// Ctrl+Tab and Ctrl+Shift+Tab anywhere in a window with tabs show the next and the previous
// page, as the user's pick of that tab does (the tab control notifies its dialog), and leave
// the focus on the tabs.
bool SwitchTabs(const MSG& msg) {
    if (msg.wParam != VK_TAB || GetKeyState(VK_CONTROL) >= 0)
        return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    HWND tabs = root ? FindWindowExW(root, nullptr, WC_TABCONTROLW, nullptr) : nullptr;
    const int count = tabs ? TabCtrl_GetItemCount(tabs) : 0;
    if (count < 1 || !IsWindowEnabled(tabs))
        return false;
    const int step = GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
    TabCtrl_SetCurFocus(tabs, (TabCtrl_GetCurSel(tabs) + step) % count);
    SendMessageW(root, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tabs), TRUE);
    return true;
}

// A page on the tabs of the dialog around it: the tabs' header grows down to the page's top,
// less the body's frame. The header's height follows the tabs' font, the page's place the
// dialog units, which scale apart: at 144 dots per inch a band of the tabs' body would show
// between them.
void MeetTabsHeader(HWND page) {
    HWND parent = GetParent(page);
    HWND tabs = parent ? FindWindowExW(parent, nullptr, WC_TABCONTROLW, nullptr) : nullptr;
    RECT header{}, placed{};
    if (!tabs || !TabCtrl_GetItemRect(tabs, 0, &header))
        return;
    MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&header), 2);
    GetWindowRect(page, &placed);
    constexpr LONG kFrame = 2;
    const LONG gap = placed.top - header.bottom - kFrame;
    if (gap > 0)
        TabCtrl_SetItemSize(tabs, 0, header.bottom - header.top + gap);
}

} // namespace

// Enter and Escape go to the innermost dialog, as when each dialog filters its own keys:
// in a page they reach the page's (empty) OnOK and OnCancel, never the dialog around it.
// The dialog manager itself would hand them to the outermost dialog, as a page is hosted
// like a control (DS_CONTROL); a control that asks for the key (an open list) still gets it.
LRESULT CALLBACK DialogBackend::KeyFilter(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code >= 0 && msg && msg->message == WM_KEYDOWN && SwitchTabs(*msg))
        return TRUE;
    if (code >= 0 && msg && msg->message == WM_KEYDOWN &&
        (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) {
        HWND inner = InnermostDialog(msg->hwnd);
        if (inner && (GetWindowLongPtrW(inner, GWL_STYLE) & WS_CHILD)) {
            const LRESULT wants =
                SendMessageW(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
            if (wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))
                return CallNextHookEx(nullptr, code, wParam, lParam);
            if (msg->wParam == VK_ESCAPE)
                SendMessageW(inner, WM_COMMAND, IDCANCEL, 0);
            else if (wants & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))
                SendMessageW(msg->hwnd, BM_CLICK, 0, 0);
            else
                SendMessageW(inner, WM_COMMAND, IDOK, 0);
            return TRUE;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void DialogBackend::InstallKeyFilter() {
    static HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, &KeyFilter, nullptr, GetCurrentThreadId());
    static_cast<void>(hook);
}

void CDialog::RunModal(const DialogTemplate& t, CWnd* owner) {
    DialogBackend::InstallKeyFilter();
    DialogTemplateEx data(t);
    // The dialog manager disables the owner while the dialog runs and enables it again
    // before the dialog goes.
    HWND ownerHandle = owner ? GetAncestor(owner->GetSafeHwnd(), GA_ROOT) : nullptr;
    DialogBoxIndirectParamW(win32::Instance(), reinterpret_cast<LPCDLGTEMPLATEW>(data.Get()),
                            ownerHandle, &DialogBackend::Proc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndModalLoop(int result) {
    if (HWND h = GetSafeHwnd())
        ::EndDialog(h, result);
}

BOOL CDialog::Create(UINT idTemplate, CWnd* parent) {
    m_nIDTemplate = idTemplate;
    m_pParentWnd = parent;
    const DialogTemplate* t = FindDialogTemplate(idTemplate);
    if (!t || GetSafeHwnd())
        return FALSE;
    // A hidden child dialog (a page, hosted like a control: DS_CONTROL, its controls in the
    // tab order of the dialog around it) takes no default focus, so the focus stays where
    // the user is, on the tabs.
    GetImpl().hostedChild = (t->style & kChild) && !(t->style & kVisible);
    DialogTemplateEx data(*t);
    HWND h =
        CreateDialogIndirectParamW(win32::Instance(), reinterpret_cast<LPCDLGTEMPLATEW>(data.Get()),
                                   parent ? parent->GetSafeHwnd() : nullptr, &DialogBackend::Proc,
                                   reinterpret_cast<LPARAM>(this));
    if (h && GetImpl().hostedChild)
        MeetTabsHeader(h);
    return h != nullptr;
}

void CDialog::DestroyOwnWindow() {
    HWND h = ReleaseHandle();
    if (!h)
        return;
    SetWindowLongPtrW(h, DWLP_USER, 0); // nothing its destruction raises reaches the object
    ::DestroyWindow(h);
}

bool CDialog::AttachDlgItem(int id, CWnd& control) {
    HWND h = ::GetDlgItem(GetSafeHwnd(), id);
    return h && win32::SubclassWindow(control, h);
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (control && control->GetSafeHwnd())
        SendMessageW(GetSafeHwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->GetSafeHwnd()),
                     TRUE);
}

void CDialog::ShowDisabledNow() {
    HWND h = GetSafeHwnd();
    if (!h)
        return;
    ::EnableWindow(h, FALSE);
    // A disabled window leaves its controls drawn as they were: each is disabled itself.
    for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        ::EnableWindow(c, FALSE);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
