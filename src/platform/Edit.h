#pragma once

#include "Wnd.h"

class CEdit : public CWnd {
public:
    // The most characters the user can bring the text to by typing or pasting
    // (EM_LIMITTEXT; 0 gives the largest). A text the program sets is never cut by it.
    void LimitText(int chars) { SetEditLimit(this, chars); }
    int GetLimitText() const { return GetEditLimit(this); }
    // The room, in pixels, between the inside of the border and the text on each side
    // (EM_SETMARGINS).
    void SetMargins(UINT left, UINT right);

    // The same for any window that is an edit control (data exchange reaches controls
    // through plain windows).
    static bool IsEditControl(const CWnd* wnd);
    static void SetEditLimit(CWnd* wnd, int chars);
    static int GetEditLimit(const CWnd* wnd);
};
