#pragma once

#include "Wnd.h"

class CButton : public CWnd {
public:
    int GetCheck() const;
    void SetCheck(int check);
};
