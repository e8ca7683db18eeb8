#pragma once

#include "Wnd.h"

class CEdit : public CWnd {
public:
    // The most characters the user can type (EM_LIMITTEXT).
    void LimitText(int chars);
    int GetLimitText() const;
};
