// The Advanced page's ids, for its template (Dialog134.cpp), CAdvancedPage and the tests.
#pragma once

#include "platform/Win32Types.h"

constexpr UINT IDD_ADVANCED = 134;
constexpr int IDC_FRAGMENT = 1077, IDC_RTS = 1078, IDC_BEACON = 1079, IDC_PREAMBLE = 1080,
              IDC_ANTENNA = 1081, IDC_SSID_BROADCAST = 1082, IDC_ROAMING = 1083;
