// The main dialog's ids, for its template (Dialog102.cpp), CMainDlg and the tests.
#pragma once

#include "platform/Win32Types.h"

constexpr UINT IDD_MAIN = 102;
constexpr int IDC_TAB = 1000, IDC_APPLY = 1001, IDC_DEFAULT = 3;
