// The login dialog.
#include "platform/DialogTemplate.h"

// clang-format off

extern const DialogTemplate kDialog136 = {
    136, "Login", 0, 0, 187, 87, kCaption, "MS Sans Serif", 9,
    {
        {-1, ControlKind::kLabel, "Password :", 13, 7, 82, 14, kStyleNone},
        {1098, ControlKind::kEdit, "", 98, 7, 75, 14, kPassword | kBorder},
        {1101, ControlKind::kLabel, "New Password :", 13, 25, 82, 14, kDisabled},
        {1099, ControlKind::kEdit, "", 98, 25, 75, 14, kPassword | kBorder | kDisabled},
        {1102, ControlKind::kLabel, "Confirm New Password :", 13, 44, 82, 14, kDisabled},
        {1004, ControlKind::kEdit, "", 98, 44, 75, 14, kPassword | kBorder | kDisabled},
        {1, ControlKind::kDefPushButton, "OK", 7, 66, 50, 14, kStyleNone},
        {2, ControlKind::kPushButton, "Cancel", 67, 66, 50, 14, kStyleNone},
        {1103, ControlKind::kCheckBox, "Change", 127, 66, 50, 14, kPushLike},
    }};
// clang-format on
