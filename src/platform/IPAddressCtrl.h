#pragma once

#include "Wnd.h"

class CIPAddressCtrl : public CWnd {
public:
    // IPM_SETADDRESS with a packed address (MAKEIPADDRESS): the first byte in the first field.
    void SetAddress(DWORD address);
    void SetAddress(BYTE f0, BYTE f1, BYTE f2, BYTE f3);
    // Blank fields read as 0; returns the number of fields that are not blank.
    int GetAddress(DWORD& address) const;
    int GetAddress(BYTE& f0, BYTE& f1, BYTE& f2, BYTE& f3) const;
    void ClearAddress();
};
