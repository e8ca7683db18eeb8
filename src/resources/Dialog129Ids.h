// The Wireless page's ids, for its template (Dialog129.cpp), CWirelessPage and the tests.
#pragma once

#include "platform/Win32Types.h"

constexpr UINT IDD_WIRELESS = 129;
constexpr int IDC_NAME = 1002, IDC_ESSID = 1003, IDC_MODE = 1006, IDC_CHANNEL = 1007,
              IDC_RATE = 1008;
// The preferred BSSID, one field per byte, byte 0 leftmost.
constexpr int IDC_BSSID0 = 1014, IDC_BSSID1 = 1015, IDC_BSSID2 = 1016, IDC_BSSID3 = 1017,
              IDC_BSSID4 = 1018, IDC_BSSID5 = 1019;
