#include "PageDialog.h"

#include "platform/HexText.h"

BOOL CPageDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    if (g_pConfigImage)
        LoadFromImage();
    ShowWindow(SW_SHOW);
    return TRUE;
}

bool ParseHexByte(const std::string& text, BYTE* value) {
    size_t pos = 0;
    return HexText::ScanByte(text, &pos, value);
}

std::string HexByteText(BYTE value, bool upperCase) {
    return HexText::Of(&value, 1, upperCase);
}

void FillWordList(CComboBox& combo, const WordList& words, DWORD value) {
    combo.ResetContent();
    for (int i = 0; i < words.count; ++i)
        combo.InsertString(i, words.items[i].text);
    combo.SetCurSel(words.PositionOf(value));
}
