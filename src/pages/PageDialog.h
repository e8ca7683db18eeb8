// src/pages: the five pages of the main dialog and their fields (CHexEdit, CDigitEdit).
// Includes device/, resources/ and platform/; never app/, a backend or a toolkit.
#pragma once

#include "device/ConfigImage.h"
#include "device/ConfigWords.h"
#include "platform/Afx.h"

// What the five pages share: a child dialog that fills itself from the current image in
// LoadFromImage (run by OnInitDialog, which is also the refresh), shows itself, and
// ignores Enter and Escape.
class CPageDialog : public CDialog {
public:
    explicit CPageDialog(UINT idTemplate) : CDialog(idTemplate, nullptr) {}

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    virtual void LoadFromImage() = 0;

protected:
    static ConfigImage& Image() { return *g_pConfigImage; }
};

// Fills a list with words at their positions and selects the one storing value, if any.
void FillWordList(CComboBox& combo, const WordList& words, DWORD value);

// Reads a byte as "%2x" does: blanks skipped, then one or two hexadecimal digits. False
// when the text does not begin with a hexadecimal digit.
bool ParseHexByte(const std::string& text, BYTE* value);
// Two upper-case (or lower-case) hexadecimal digits of a byte.
std::string HexByteText(BYTE value, bool upperCase);
