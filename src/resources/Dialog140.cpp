// The progress dialog of a write.
#include "Dialog140Ids.h"
#include "platform/DialogTemplate.h"

// clang-format off

extern const DialogTemplate kDialog140 = {
    IDD_PROGRESS, "", 0, 0, 127, 26, kStyleNone, "MS Sans Serif", 9,
    {
        {IDC_PROGRESS_BAR, ControlKind::kProgressBar, "", 45, 6, 54, 14, kSmooth | kBorder},
        {IDC_PROGRESS_PERCENT, ControlKind::kLabel, "100", 100, 9, 14, 8, kRightAligned},
        {-1, ControlKind::kLabel, "%", 116, 9, 10, 8, kStyleNone},
        {-1, ControlKind::kLabel, "Updating..", 7, 9, 35, 8, kStyleNone},
    }};
// clang-format on
