// Dialog data exchange: moves values between controls and members, both ways.
#pragma once

#include "Messages.h"

#include <string>

class CDialog;
class CWnd;

// Thrown by CDataExchange::Fail, caught by UpdateData.
struct DataExchangeFailure {};

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    // Ends the exchange as failed (UpdateData returns FALSE).
    [[noreturn]] void Fail();

    BOOL m_bSaveAndValidate; // TRUE: controls to members
    CDialog* m_pDlgWnd;
    int m_idLastControl = 0;
    bool m_bEditLastControl = false;
};

void DDX_Text(CDataExchange* pDX, int id, std::string& value);
void DDX_Check(CDataExchange* pDX, int id, int& value);
// Binds control (a member object) to the dialog's control id, once per window.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// After an edit's exchange: loading sets the edit's own limit, which binds what the user
// types or pastes. For other controls saving refuses a longer text.
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int chars);
