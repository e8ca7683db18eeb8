#pragma once

#include "Wnd.h"

#include <string>

class CTabCtrl : public CWnd {
public:
    int InsertItem(int index, const std::string& text);
    int GetCurSel() const;
    int SetCurSel(int index);
    int GetItemCount() const;
};
