#pragma once

#include "platform/Edit.h"

// An edit that lets only backspace and decimal digits through; anything else typed beeps
// and is dropped.
class CDigitEdit : public CEdit {
public:
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
};
