#pragma once

#include "Wnd.h"

#include <string>

// A drop-down list. Selecting from the program sends no notification.
class CComboBox : public CWnd {
public:
    void ResetContent();
    // Inserts at index (-1: at the end) without sorting; returns the index.
    int InsertString(int index, const std::string& text);
    int SetCurSel(int index); // -1 clears the selection; CB_ERR for an index out of range
    int GetCurSel() const;    // CB_ERR without a selection
    int GetCount() const;
    std::string GetLBText(int index) const;
};
