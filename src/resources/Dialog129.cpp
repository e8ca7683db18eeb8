// The Wireless page.
#include "platform/DialogTemplate.h"

// clang-format off

extern const DialogTemplate kDialog129 = {
    129, "", 15, 20, 225, 160, kChild, "MS Sans Serif", 9,
    {
        {-1, ControlKind::kGroupBox, "", 0, 0, 225, 98, kStyleNone},
        {-1, ControlKind::kGroupBox, "", 0, 97, 225, 62, kStyleNone},
        {-1, ControlKind::kLabel, "Access Point Name :", 13, 13, 70, 14, kStyleNone},
        {1002, ControlKind::kEdit, "", 91, 13, 116, 14, kBorder},
        {-1, ControlKind::kLabel, "Wireless ESSID :", 13, 33, 70, 14, kStyleNone},
        {1003, ControlKind::kEdit, "", 91, 33, 116, 14, kBorder},
        {-1, ControlKind::kLabel, "Operational Rate Set :", 13, 53, 70, 14, kStyleNone},
        {1008, ControlKind::kDropDownList, "", 91, 53, 116, 65, kSorted},
        {-1, ControlKind::kLabel, "Wireless Channel :", 11, 73, 70, 14, kStyleNone},
        {1007, ControlKind::kDropDownList, "", 91, 73, 116, 64, kSorted},
        {-1, ControlKind::kLabel, "Operational Mode :", 13, 113, 70, 14, kStyleNone},
        {1006, ControlKind::kDropDownList, "", 91, 113, 116, 58, kSorted},
        {-1, ControlKind::kLabel, "Preferred BSSID :", 13, 133, 70, 14, kStyleNone},
        {1014, ControlKind::kEdit, "", 91, 133, 16, 14, kBorder | kCentered | kUpperCase, "Preferred BSSID byte 1"},
        {1015, ControlKind::kEdit, "", 111, 133, 16, 14, kBorder | kCentered | kUpperCase, "Preferred BSSID byte 2"},
        {1016, ControlKind::kEdit, "", 131, 133, 16, 14, kBorder | kCentered | kUpperCase, "Preferred BSSID byte 3"},
        {1017, ControlKind::kEdit, "", 151, 133, 16, 14, kBorder | kCentered | kUpperCase, "Preferred BSSID byte 4"},
        {1018, ControlKind::kEdit, "", 171, 133, 16, 14, kBorder | kCentered | kUpperCase, "Preferred BSSID byte 5"},
        {1019, ControlKind::kEdit, "", 191, 133, 16, 14, kBorder | kCentered | kUpperCase, "Preferred BSSID byte 6"},
    }};
// clang-format on
