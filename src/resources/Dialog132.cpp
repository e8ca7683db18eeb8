// The Info page. Its values are read-only edits, drawn as sunken labels, so the keyboard
// and a screen reader reach them.
#include "Dialog132Ids.h"
#include "platform/DialogTemplate.h"

// clang-format off

extern const DialogTemplate kDialog132 = {
    IDD_INFO, "", 15, 20, 225, 160, kChild, "MS Sans Serif", 9,
    {
        {-1, ControlKind::kGroupBox, "", 0, 0, 225, 159, kStyleNone},
        {IDC_LOGO, ControlKind::kPicture, "", 11, 11, 203, 54, kBorder},
        {-1, ControlKind::kLabel, "Utility Version :", 26, 80, 70, 14, kStyleNone},
        {IDC_UTILITY_VERSION, ControlKind::kEdit, " 1.0.0.0", 98, 79, 100, 15, kSunken | kReadOnly},
        {-1, ControlKind::kLabel, "Firmware Version :", 26, 96, 70, 14, kStyleNone},
        {IDC_FIRMWARE, ControlKind::kEdit, " 1.0.0.0", 98, 95, 100, 15, kSunken | kReadOnly},
        {-1, ControlKind::kLabel, "Regulation Domain :", 26, 112, 70, 14, kStyleNone},
        {IDC_REGULATION, ControlKind::kEdit, " FCC", 98, 111, 100, 15, kSunken | kReadOnly},
        {-1, ControlKind::kLabel, "MAC Address :", 26, 128, 70, 14, kStyleNone},
        {IDC_MAC, ControlKind::kEdit, " 00-00-00-00-00-01", 98, 127, 100, 15, kSunken | kReadOnly},
    }};
// clang-format on
