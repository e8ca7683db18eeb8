#include "HexEdit.h"

#include "PageDialog.h"
#include "platform/UiServices.h"

#include <cctype>

void CHexEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
    bool hex = (nChar >= '0' && nChar <= '9') || (nChar >= 'A' && nChar <= 'F') ||
               (nChar >= 'a' && nChar <= 'f');
    if (nChar == 8 || hex) {
        CEdit::OnChar(nChar, nRepCnt, nFlags);
        return;
    }
    AfxMessageBeep(0);
}

void CHexEdit::ReadByte(std::string& text, BYTE* byte, bool upperCase) {
    ParseHexByte(text, byte);
    bool hexOnly = true;
    for (char c : text)
        hexOnly = hexOnly && std::isxdigit(static_cast<unsigned char>(c));
    if (!text.empty() && hexOnly)
        return;
    text = HexByteText(*byte, upperCase);
    if (!hexOnly)
        SetWindowText(text);
}
