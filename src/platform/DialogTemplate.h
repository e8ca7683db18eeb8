// Dialog templates as data: controls with ids, kinds, texts, styles and positions in
// dialog units, as a resource script gives them.
#pragma once

#include "Win32Types.h"

#include <string>
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
    kReadOnly = 1 << 11, // ES_READONLY: a value the keyboard reaches, drawn as a label
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
    // The name a screen reader gives a control with no label of its own just before it (a
    // byte of a key or of an address). For an address field, the name of each of its parts
    // before the part's number ("IP Address part" names them "IP Address part 1" to "4").
    const char* name = nullptr;
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

// The name a screen reader gives item index: its own name from the template, else, for an
// edit, a list or an address field, the text of the label just before it in template order
// without its trailing " :" (the name the dialog manager gives it); empty for the other
// controls, which are named by their own text.
std::string AccessibleName(const DialogTemplate& dialogTemplate, size_t index);
// The name of part (0 to 3) of an address field; empty when its template entry names none.
std::string AccessiblePartName(const DialogItem& item, int part);

void RegisterDialogTemplate(const DialogTemplate* dialogTemplate);
const DialogTemplate* FindDialogTemplate(UINT id);
