// The main dialog.
#include "Dialog102Ids.h"
#include "platform/DialogTemplate.h"

// clang-format off

extern const DialogTemplate kDialog102 = {
    IDD_MAIN, "Kestrel-A 2.0 / Kestrel-B 2.0 Utility", 0, 0, 256, 217, kCaption | kAppWindow,
    "MS Sans Serif", 9,
    {
        {IDC_TAB, ControlKind::kTabControl, "Tab1", 10, 5, 236, 180, kStyleNone},
        {1, ControlKind::kDefPushButton, "OK", 21, 194, 50, 14, kStyleNone},
        {IDC_APPLY, ControlKind::kPushButton, "Apply", 79, 194, 50, 14, kStyleNone},
        {IDC_DEFAULT, ControlKind::kPushButton, "Default", 137, 194, 50, 14, kStyleNone},
        {2, ControlKind::kPushButton, "Cancel", 195, 194, 50, 14, kStyleNone},
    }};
// clang-format on
