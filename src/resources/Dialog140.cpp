// The progress dialog of a write.
#include "platform/DialogTemplate.h"

// clang-format off

extern const DialogTemplate kDialog140 = {
    140, "", 0, 0, 127, 26, kStyleNone, "MS Sans Serif", 9,
    {
        {1106, ControlKind::kProgressBar, "", 45, 6, 54, 14, kSmooth | kBorder},
        {1108, ControlKind::kLabel, "100", 100, 9, 14, 8, kRightAligned},
        {-1, ControlKind::kLabel, "%", 116, 9, 10, 8, kStyleNone},
        {-1, ControlKind::kLabel, "Updating..", 7, 9, 35, 8, kStyleNone},
    }};
// clang-format on
