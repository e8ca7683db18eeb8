// The login dialog.
#include "Dialog136Ids.h"
#include "platform/DialogTemplate.h"

// clang-format off

extern const DialogTemplate kDialog136 = {
    IDD_LOGIN, "Login", 0, 0, 187, 87, kCaption, "MS Sans Serif", 9,
    {
        {-1, ControlKind::kLabel, "Password :", 13, 7, 82, 14, kStyleNone},
        {IDC_PASSWORD, ControlKind::kEdit, "", 98, 7, 75, 14, kPassword | kBorder},
        {IDC_NEW_LABEL, ControlKind::kLabel, "New Password :", 13, 25, 82, 14, kDisabled},
        {IDC_NEW_PASSWORD, ControlKind::kEdit, "", 98, 25, 75, 14, kPassword | kBorder | kDisabled},
        {IDC_CONFIRM_LABEL, ControlKind::kLabel, "Confirm New Password :", 13, 44, 82, 14, kDisabled},
        {IDC_CONFIRM_PASSWORD, ControlKind::kEdit, "", 98, 44, 75, 14, kPassword | kBorder | kDisabled},
        {1, ControlKind::kDefPushButton, "OK", 7, 66, 50, 14, kStyleNone},
        {2, ControlKind::kPushButton, "Cancel", 67, 66, 50, 14, kStyleNone},
        {IDC_CHANGE, ControlKind::kCheckBox, "Change", 127, 66, 50, 14, kPushLike},
    }};
// clang-format on
