#pragma once

#include "platform/Edit.h"

// An edit that lets only backspace and hexadecimal digits through; anything else typed
// beeps and is dropped.
class CHexEdit : public CEdit {
public:
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
};
