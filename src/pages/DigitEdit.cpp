#include "DigitEdit.h"

#include "platform/UiServices.h"

void CDigitEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (nChar == 8 || (nChar >= '0' && nChar <= '9')) {
        CEdit::OnChar(nChar, nRepCnt, nFlags);
        return;
    }
    AfxMessageBeep(0);
}
