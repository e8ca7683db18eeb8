// The Advanced page.
#include "Dialog134Ids.h"
#include "platform/DialogTemplate.h"

// clang-format off

extern const DialogTemplate kDialog134 = {
    IDD_ADVANCED, "", 15, 20, 225, 160, kChild, "MS Sans Serif", 9,
    {
        {-1, ControlKind::kGroupBox, "", 0, 0, 225, 159, kStyleNone},
        {-1, ControlKind::kLabel, "Fragment Threshold :", 25, 15, 70, 14, kStyleNone},
        {IDC_FRAGMENT, ControlKind::kEdit, "", 111, 15, 28, 14, kBorder},
        {-1, ControlKind::kLabel, "( 256 - 2346 )", 151, 15, 56, 14, kStyleNone},
        {-1, ControlKind::kLabel, "RTS/CTS Threshold :", 25, 35, 70, 14, kStyleNone},
        {IDC_RTS, ControlKind::kEdit, "", 111, 35, 28, 14, kBorder},
        {-1, ControlKind::kLabel, "( 0 - 2347 )", 151, 35, 56, 14, kStyleNone},
        {-1, ControlKind::kLabel, "Beacon Period(ms) :", 25, 55, 70, 14, kStyleNone},
        {IDC_BEACON, ControlKind::kEdit, "", 111, 55, 28, 14, kBorder},
        {-1, ControlKind::kLabel, "( 20 - 1000 )", 151, 55, 56, 14, kStyleNone},
        {-1, ControlKind::kLabel, "Preamble :", 25, 75, 70, 14, kStyleNone},
        {IDC_PREAMBLE, ControlKind::kDropDownList, "", 111, 75, 60, 53, kSorted},
        {-1, ControlKind::kLabel, "Antenna Select :", 25, 95, 70, 14, kStyleNone},
        {IDC_ANTENNA, ControlKind::kDropDownList, "", 111, 95, 60, 52, kSorted},
        {-1, ControlKind::kLabel, "SSID Broadcasting :", 25, 115, 70, 14, kStyleNone},
        {IDC_SSID_BROADCAST, ControlKind::kDropDownList, "", 111, 115, 60, 56, kSorted},
        {-1, ControlKind::kLabel, "International Roaming :", 25, 135, 75, 14, kStyleNone},
        {IDC_ROAMING, ControlKind::kDropDownList, "", 111, 135, 60, 56, kSorted},
    }};
// clang-format on
