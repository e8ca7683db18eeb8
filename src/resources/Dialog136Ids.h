// The login dialog's ids, for its template (Dialog136.cpp), CLoginDlg and the tests.
#pragma once

#include "platform/Win32Types.h"

constexpr UINT IDD_LOGIN = 136;
constexpr int IDC_PASSWORD = 1098, IDC_NEW_PASSWORD = 1099, IDC_CONFIRM_PASSWORD = 1004,
              IDC_NEW_LABEL = 1101, IDC_CONFIRM_LABEL = 1102, IDC_CHANGE = 1103;
