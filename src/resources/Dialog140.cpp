// The progress dialog of a write. Its bar takes the focus, so a screen reader tells the
// write's start by the name of the dialog and of the bar, and reads the percentage as the bar's
// value; the caption is not drawn (no title bar) but names the window.
#include "Dialog140Ids.h"
#include "platform/DialogTemplate.h"

// clang-format off

extern const DialogTemplate kDialog140 = {
    IDD_PROGRESS, "Writing the configuration", 0, 0, 127, 26, kStyleNone, "MS Sans Serif", 9,
    {
        {IDC_PROGRESS_BAR, ControlKind::kProgressBar, "", 45, 6, 54, 14, kSmooth | kBorder,
         "Writing the configuration"},
        {IDC_PROGRESS_PERCENT, ControlKind::kLabel, "100", 100, 9, 14, 8, kRightAligned},
        {-1, ControlKind::kLabel, "%", 116, 9, 10, 8, kStyleNone},
        {-1, ControlKind::kLabel, "Updating..", 7, 9, 35, 8, kStyleNone},
    }};
// clang-format on
