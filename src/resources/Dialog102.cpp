// The main dialog.
#include "platform/DialogTemplate.h"

// clang-format off

extern const DialogTemplate kDialog102 = {
    102, "Kestrel-A 2.0 / Kestrel-B 2.0 Utility", 0, 0, 256, 217, kCaption | kAppWindow,
    "MS Sans Serif", 9,
    {
        {1000, ControlKind::kTabControl, "Tab1", 10, 5, 236, 180, kStyleNone},
        {1, ControlKind::kDefPushButton, "OK", 21, 194, 50, 14, kStyleNone},
        {1001, ControlKind::kPushButton, "Apply", 79, 194, 50, 14, kStyleNone},
        {3, ControlKind::kPushButton, "Default", 137, 194, 50, 14, kStyleNone},
        {2, ControlKind::kPushButton, "Cancel", 195, 194, 50, 14, kStyleNone},
    }};
// clang-format on
