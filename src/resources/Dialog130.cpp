// The IP Config page.
#include "Dialog130Ids.h"
#include "platform/DialogTemplate.h"

// clang-format off

extern const DialogTemplate kDialog130 = {
    IDD_IPCONFIG, "", 15, 20, 225, 160, kChild, "MS Sans Serif", 9,
    {
        {-1, ControlKind::kGroupBox, "", 0, 0, 225, 159, kStyleNone},
        {-1, ControlKind::kLabel, "IP Address :", 21, 24, 70, 14, kStyleNone},
        {IDC_IP_ADDRESS, ControlKind::kIpAddress, "", 95, 24, 100, 15, kStyleNone, "IP Address part"},
        {-1, ControlKind::kLabel, "Subnet Mask :", 21, 49, 70, 14, kStyleNone},
        {IDC_SUBNET_MASK, ControlKind::kIpAddress, "", 95, 49, 100, 15, kStyleNone, "Subnet Mask part"},
        {-1, ControlKind::kLabel, "Gateway :", 21, 74, 70, 14, kStyleNone},
        {IDC_GATEWAY, ControlKind::kIpAddress, "", 95, 74, 100, 15, kStyleNone, "Gateway part"},
        {-1, ControlKind::kLabel, "DHCP Client :", 21, 99, 70, 14, kStyleNone},
        {IDC_DHCP, ControlKind::kDropDownList, "", 95, 99, 73, 40, kSorted},
        {-1, ControlKind::kLabel, "Primary Port :", 21, 124, 70, 14, kStyleNone},
        {IDC_PRIMARY_PORT, ControlKind::kDropDownList, "", 95, 124, 73, 40, kSorted},
    }};
// clang-format on
