// The IP Config page's ids, for its template (Dialog130.cpp), CIpConfigPage and the tests.
#pragma once

#include "platform/Win32Types.h"

constexpr UINT IDD_IPCONFIG = 130;
constexpr int IDC_DHCP = 1074, IDC_PRIMARY_PORT = 1075, IDC_IP_ADDRESS = 1076,
              IDC_SUBNET_MASK = 1077, IDC_GATEWAY = 1078;
