#include "PageDialog.h"

#include <cctype>
#include <cstdio>

BOOL CPageDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    if (g_pConfigImage)
        LoadFromImage();
    ShowWindow(SW_SHOW);
    return TRUE;
}

bool ParseHexByte(const std::string& text, BYTE* value) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    unsigned v = 0;
    int digits = 0;
    for (; i < text.size() && digits < 2 && std::isxdigit(static_cast<unsigned char>(text[i]));
         ++i) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        v = v * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'a' + 10);
        ++digits;
    }
    if (digits == 0)
        return false;
    *value = static_cast<BYTE>(v);
    return true;
}

std::string HexByteText(BYTE value, bool upperCase) {
    char text[3];
    std::snprintf(text, sizeof(text), upperCase ? "%02X" : "%02x", value);
    return text;
}

void FillWordList(CComboBox& combo, const WordList& words, DWORD value) {
    combo.ResetContent();
    for (int i = 0; i < words.count; ++i)
        combo.InsertString(i, words.items[i].text);
    combo.SetCurSel(words.PositionOf(value));
}
