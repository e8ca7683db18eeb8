// A dialog template as the dialog manager takes it: the DLGTEMPLATEEX built in memory from
// the template data, for DialogBoxIndirectParamA and CreateDialogIndirectParamA. The
// template's font and point size go in with DS_SETFONT, so dialog units are the system's
// own (MapDialogRect), measured from that font.
#pragma once

#include "platform/DialogTemplate.h"

#include <vector>

// The window class and styles a template item becomes.
struct Win32Control {
    const char* className;
    DWORD style;
    DWORD exStyle;
};
Win32Control Win32ControlFor(const DialogItem& item);

// The dialog window's own styles: a child (a page) or a popup, with a caption where the
// template has one.
DWORD Win32DialogStyle(const DialogTemplate& dialogTemplate);
DWORD Win32DialogExStyle(const DialogTemplate& dialogTemplate);

class DialogTemplateEx {
public:
    explicit DialogTemplateEx(const DialogTemplate& dialogTemplate);

    // DWORD-aligned, valid while this object lives.
    LPCDLGTEMPLATEA Get() const { return reinterpret_cast<LPCDLGTEMPLATEA>(m_data.data()); }
    size_t SizeInBytes() const { return m_data.size() * sizeof(DWORD); }

private:
    std::vector<DWORD> m_data;
};
