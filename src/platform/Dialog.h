// CDialog: a dialog built from a dialog template, run modally (DoModal/EndDialog) or created
// as a modeless child (Create/DestroyWindow), with data exchange and a message map.
#pragma once

#include "DataExchange.h"
#include "MessageMap.h"
#include "Wnd.h"

#include <map>
#include <memory>
#include <vector>

struct DialogTemplate;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT idTemplate, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally, disabling its owner meanwhile; returns the EndDialog value,
    // or -1 when the dialog cannot be created.
    virtual INT_PTR DoModal();
    // Creates the dialog as a child window of parent (hidden unless the template is visible).
    virtual BOOL Create(UINT idTemplate, CWnd* parent);
    void EndDialog(int result);
    BOOL DestroyWindow() override;

    // TRUE: controls to members; FALSE: members to controls. Control notifications that
    // arise meanwhile are dropped.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    CWnd* GetDlgItem(int id);
    void SubclassDlgItem(int id, CWnd& control);
    // Moves the focus to a control (WM_NEXTDLGCTL with its handle).
    void GotoDlgCtrl(CWnd* control);
    // Disables the dialog and every control of it, and draws them so at once: for work that
    // holds the user-interface thread, whose event loop would repaint them only afterwards.
    void ShowDisabledNow();
    UINT GetTemplateId() const { return m_nIDTemplate; }
    bool IsModalRunning() const { return m_bModal && !m_bEnded; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Called by the controls: a notification (dropped while UpdateData runs).
    void NotifyFromControl(int id, UINT code);
    void HandlePostedMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Dialogs owned by nobody run over the main window, else over the innermost running
    // modal dialog; this is that dialog.
    static CDialog* TopModal();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // The message map; the base routes OK and Cancel clicks to OnOK and OnCancel.
    virtual bool OnNotify(int id, UINT code);
    void OnClose() override;
    // The window is about to go (modal end or DestroyWindow); its controls still exist.
    virtual void OnDestroy() {}

    // The window a modal dialog runs over: the parent given, else the innermost modal
    // dialog, else the main window.
    CWnd* FindOwner() const;

private:
    friend struct DialogBackend; // the backend's window procedure reaches the members
    // The backend's part (platform/qt/QtDialog.cpp, platform/win32/Win32Dialog.cpp).
    // Creates the modal dialog over owner (disabled meanwhile, enabled again before the
    // dialog goes, so the focus returns to it), calls OnInitDialog and runs it until
    // EndDialog. The window may be left for DoModal to destroy.
    void RunModal(const DialogTemplate& t, CWnd* owner);
    // Ends the running modal loop.
    void EndModalLoop(int result);
    // Binds control to the dialog's control id; false when there is none.
    bool AttachDlgItem(int id, CWnd& control);
    void DestroyOwnWindow();
    void ReleaseControls();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    int m_nUpdateDepth = 0;
    int m_nModalResult = -1;
    bool m_bEnded = false;
    bool m_bModal = false;
    std::map<int, CWnd*> m_bound;
    std::map<int, std::unique_ptr<CWnd>> m_temporary;
};
