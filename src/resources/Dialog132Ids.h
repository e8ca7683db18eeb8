// The Info page's ids, for its template (Dialog132.cpp), CInfoPage and the tests.
#pragma once

#include "platform/Win32Types.h"

constexpr UINT IDD_INFO = 132;
constexpr int IDC_UTILITY_VERSION = 1094, IDC_FIRMWARE = 1095, IDC_REGULATION = 1096,
              IDC_MAC = 1097, IDC_LOGO = 1105;
