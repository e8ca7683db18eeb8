#pragma once

#include "platform/Edit.h"

#include <string>

// An edit that lets only backspace and hexadecimal digits through; anything else typed
// beeps and is dropped.
class CHexEdit : public CEdit {
public:
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    // The fields are 15 or 16 dialog units wide for two centred digits: the system's own
    // margins leave room for one, and the edit would scroll the other out of sight.
    // Without margins every pair shows whole.
    void PreSubclassWindow() override { SetMargins(0, 0); }

    // Reads text, this field's text as data exchange took it, as a byte (ParseHexByte) into
    // *byte, which keeps its value when the text does not begin with a hexadecimal digit.
    // The field then shows the byte it stands for: a text with anything but hexadecimal
    // digits (only a paste brings that in) gives way to the byte at once; an empty text
    // takes it too, shown when the focus leaves (the page's UpdateData(FALSE)).
    void ReadByte(std::string& text, BYTE* byte, bool upperCase);
};
