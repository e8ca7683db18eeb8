// Dialog templates as data: controls with ids, kinds, texts, styles and positions in
// dialog units, as a resource script gives them.
#pragma once

#include "Win32Types.h"

#include <vector>

enum class ControlKind {
    kEdit,
    kDropDownList,
    kLabel,
    kGroupBox,
    kPushButton,
    kDefPushButton,
    kCheckBox,
    kTabControl,
    kProgressBar,
    kIpAddress,
    kPicture,
};

// Style flags of controls and templates (a subset of the Windows styles, by meaning).
enum ControlStyle : DWORD {
    kStyleNone = 0,
    kCentered = 1 << 0,  // ES_CENTER
    kUpperCase = 1 << 1, // ES_UPPERCASE
    kPassword = 1 << 2,  // ES_PASSWORD
    kRightAligned = 1 << 3,
    kSunken = 1 << 4,   // WS_EX_STATICEDGE / SS_SUNKEN
    kBorder = 1 << 5,   // WS_BORDER
    kDisabled = 1 << 6, // WS_DISABLED
    kPushLike = 1 << 7, // BS_PUSHLIKE
    kSmooth = 1 << 8,   // PBS_SMOOTH
    kSorted = 1 << 9,   // CBS_SORT (items are inserted at fixed positions all the same)
    kNoTabStop = 1 << 10,
    // template styles
    kChild = 1 << 16,     // WS_CHILD, no caption
    kCaption = 1 << 17,   // WS_CAPTION | WS_SYSMENU
    kAppWindow = 1 << 18, // WS_EX_APPWINDOW
    kVisible = 1 << 19,   // WS_VISIBLE
};

struct DialogItem {
    int id; // -1 for IDC_STATIC
    ControlKind kind;
    const char* text;
    int x, y, cx, cy;
    DWORD style;
};

struct DialogTemplate {
    UINT id;
    const char* caption;
    int x, y, cx, cy;
    DWORD style;
    const char* fontName;
    int pointSize;
    std::vector<DialogItem> items;
};

void RegisterDialogTemplate(const DialogTemplate* dialogTemplate);
const DialogTemplate* FindDialogTemplate(UINT id);
