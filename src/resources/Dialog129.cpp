// The Wireless page.
#include "Dialog129Ids.h"
#include "platform/DialogTemplate.h"

// clang-format off

extern const DialogTemplate kDialog129 = {
    IDD_WIRELESS, "", 15, 20, 225, 160, kChild, "MS Sans Serif", 9,
    {
        {-1, ControlKind::kGroupBox, "", 0, 0, 225, 98, kStyleNone},
        {-1, ControlKind::kGroupBox, "", 0, 97, 225, 62, kStyleNone},
        {-1, ControlKind::kLabel, "Access Point Name :", 13, 13, 70, 14, kStyleNone},
        {IDC_NAME, ControlKind::kEdit, "", 91, 13, 116, 14, kBorder},
        {-1, ControlKind::kLabel, "Wireless ESSID :", 13, 33, 70, 14, kStyleNone},
        {IDC_ESSID, ControlKind::kEdit, "", 91, 33, 116, 14, kBorder},
        {-1, ControlKind::kLabel, "Operational Rate Set :", 13, 53, 70, 14, kStyleNone},
        {IDC_RATE, ControlKind::kDropDownList, "", 91, 53, 116, 65, kSorted},
        {-1, ControlKind::kLabel, "Wireless Channel :", 11, 73, 70, 14, kStyleNone},
        {IDC_CHANNEL, ControlKind::kDropDownList, "", 91, 73, 116, 64, kSorted},
        {-1, ControlKind::kLabel, "Operational Mode :", 13, 113, 70, 14, kStyleNone},
        {IDC_MODE, ControlKind::kDropDownList, "", 91, 113, 116, 58, kSorted},
        {-1, ControlKind::kLabel, "Preferred BSSID :", 13, 133, 70, 14, kStyleNone},
        {IDC_BSSID0, ControlKind::kEdit, "", 91, 133, 16, 14, kBorder | kCentered | kUpperCase, "Preferred BSSID byte 1"},
        {IDC_BSSID1, ControlKind::kEdit, "", 111, 133, 16, 14, kBorder | kCentered | kUpperCase, "Preferred BSSID byte 2"},
        {IDC_BSSID2, ControlKind::kEdit, "", 131, 133, 16, 14, kBorder | kCentered | kUpperCase, "Preferred BSSID byte 3"},
        {IDC_BSSID3, ControlKind::kEdit, "", 151, 133, 16, 14, kBorder | kCentered | kUpperCase, "Preferred BSSID byte 4"},
        {IDC_BSSID4, ControlKind::kEdit, "", 171, 133, 16, 14, kBorder | kCentered | kUpperCase, "Preferred BSSID byte 5"},
        {IDC_BSSID5, ControlKind::kEdit, "", 191, 133, 16, 14, kBorder | kCentered | kUpperCase, "Preferred BSSID byte 6"},
    }};
// clang-format on
