// The progress dialog's ids, for its template (Dialog140.cpp), CProgressDlg and the tests.
#pragma once

#include "platform/Win32Types.h"

constexpr UINT IDD_PROGRESS = 140;
constexpr int IDC_PROGRESS_BAR = 1106, IDC_PROGRESS_PERCENT = 1108;
