#include "HexEdit.h"

#include "platform/UiServices.h"

void CHexEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
    bool hex = (nChar >= '0' && nChar <= '9') || (nChar >= 'A' && nChar <= 'F') ||
               (nChar >= 'a' && nChar <= 'f');
    if (nChar == 8 || hex) {
        CEdit::OnChar(nChar, nRepCnt, nFlags);
        return;
    }
    MessageBeep(0);
}
