#pragma once

#include "Wnd.h"

class CButton : public CWnd {
public:
    int GetCheck() const { return GetButtonCheck(this); }
    void SetCheck(int check) { SetButtonCheck(this, check); }

    // The same for any window that is a button (data exchange reaches controls through
    // plain windows).
    static bool IsButton(const CWnd* wnd);
    static int GetButtonCheck(const CWnd* wnd);
    static void SetButtonCheck(CWnd* wnd, int check);
};
