#include "DialogTemplateEx.h"

#include <commctrl.h>
#include <cstring>

namespace {

// The template texts are in the program's code page, Windows-1252.
constexpr UINT kTemplateCodePage = 1252;

// Writes the template's WORD stream; items start on DWORD boundaries.
class Writer {
public:
    void Word(WORD value) { m_words.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Short(int value) { Word(static_cast<WORD>(static_cast<short>(value))); }
    void String(const char* text) {
        if (!text)
            text = "";
        int length = MultiByteToWideChar(kTemplateCodePage, 0, text, -1, nullptr, 0);
        std::vector<wchar_t> wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
        if (length > 0)
            MultiByteToWideChar(kTemplateCodePage, 0, text, -1, wide.data(), length);
        for (wchar_t c : wide) // with its terminating zero
            Word(static_cast<WORD>(c));
    }
    void AlignToDword() {
        if (m_words.size() % 2)
            Word(0);
    }
    std::vector<DWORD> Finish() {
        AlignToDword();
        std::vector<DWORD> data(m_words.size() / 2);
        std::memcpy(data.data(), m_words.data(), m_words.size() * sizeof(WORD));
        return data;
    }

private:
    std::vector<WORD> m_words;
};

bool TakesFocus(ControlKind kind) {
    switch (kind) {
    case ControlKind::kLabel:
    case ControlKind::kGroupBox:
    case ControlKind::kPicture:
        return false;
    default:
        return true;
    }
}

// The class each kind of control is made of, and the styles it always has.
struct KindClass {
    ControlKind kind;
    const char* className;
    DWORD style;
};
const KindClass kKindClasses[] = {
    // Text scrolls within an edit, so a text longer than the box is never cut.
    {ControlKind::kEdit, WC_EDITA, ES_LEFT | ES_AUTOHSCROLL},
    {ControlKind::kDropDownList, WC_COMBOBOXA, CBS_DROPDOWNLIST | WS_VSCROLL},
    {ControlKind::kLabel, WC_STATICA, 0},
    {ControlKind::kPicture, WC_STATICA, SS_BITMAP},
    {ControlKind::kGroupBox, WC_BUTTONA, BS_GROUPBOX},
    {ControlKind::kPushButton, WC_BUTTONA, BS_PUSHBUTTON},
    {ControlKind::kDefPushButton, WC_BUTTONA, BS_DEFPUSHBUTTON},
    {ControlKind::kCheckBox, WC_BUTTONA, BS_AUTOCHECKBOX},
    {ControlKind::kTabControl, WC_TABCONTROLA, 0},
    {ControlKind::kProgressBar, PROGRESS_CLASSA, 0},
    {ControlKind::kIpAddress, WC_IPADDRESSA, 0},
};

// The style a template flag adds to a kind of control.
struct FlagStyle {
    ControlKind kind;
    DWORD flag;
    DWORD style;
};
const FlagStyle kFlagStyles[] = {
    {ControlKind::kEdit, kCentered, ES_CENTER},
    {ControlKind::kEdit, kRightAligned, ES_RIGHT},
    {ControlKind::kEdit, kUpperCase, ES_UPPERCASE},
    {ControlKind::kEdit, kPassword, ES_PASSWORD},
    {ControlKind::kEdit, kReadOnly, ES_READONLY},
    {ControlKind::kDropDownList, kSorted, CBS_SORT},
    {ControlKind::kLabel, kSunken, SS_SUNKEN},
    {ControlKind::kPicture, kSunken, SS_SUNKEN},
    {ControlKind::kCheckBox, kPushLike, BS_PUSHLIKE},
    {ControlKind::kProgressBar, kSmooth, PBS_SMOOTH},
};

} // namespace

Win32Control Win32ControlFor(const DialogItem& item) {
    const DWORD flags = item.style;
    Win32Control control{WC_STATICA, WS_CHILD | WS_VISIBLE, 0};
    DWORD& style = control.style;
    for (const KindClass& k : kKindClasses)
        if (k.kind == item.kind) {
            control.className = k.className;
            style |= k.style;
        }
    for (const FlagStyle& f : kFlagStyles)
        if (f.kind == item.kind && (flags & f.flag))
            style |= f.style;
    // A label takes one alignment: right before centred.
    if (item.kind == ControlKind::kLabel)
        style |= flags & kRightAligned ? SS_RIGHT : flags & kCentered ? SS_CENTER : SS_LEFT;
    // A sunken value (a read-only edit) has the sunken label's edge.
    if (item.kind == ControlKind::kEdit && (flags & kSunken))
        control.exStyle |= WS_EX_STATICEDGE;
    if (flags & kBorder) {
        // An edit's border is the sunken client edge; other controls get a plain line.
        if (item.kind == ControlKind::kEdit)
            control.exStyle |= WS_EX_CLIENTEDGE;
        else
            style |= WS_BORDER;
    }
    if (TakesFocus(item.kind) && !(flags & kNoTabStop))
        style |= WS_TABSTOP;
    if (flags & kDisabled)
        style |= WS_DISABLED;
    return control;
}

DWORD Win32DialogStyle(const DialogTemplate& dialogTemplate) {
    const DWORD flags = dialogTemplate.style;
    DWORD style = DS_SETFONT;
    if (flags & kChild) {
        // A child dialog is hosted like a control: the dialog around it walks its controls
        // with Tab and Shift+Tab as its own.
        style |= WS_CHILD | DS_CONTROL;
    } else {
        style |= WS_POPUP | DS_MODALFRAME | DS_CENTER;
        if (flags & kCaption)
            style |= WS_CAPTION | WS_SYSMENU;
    }
    if (flags & kVisible)
        style |= WS_VISIBLE;
    return style;
}

DWORD Win32DialogExStyle(const DialogTemplate& dialogTemplate) {
    DWORD exStyle = dialogTemplate.style & kAppWindow ? WS_EX_APPWINDOW : 0;
    if (dialogTemplate.style & kChild)
        exStyle |= WS_EX_CONTROLPARENT;
    return exStyle;
}

DialogTemplateEx::DialogTemplateEx(const DialogTemplate& t) {
    Writer w;
    w.Word(1);      // dlgVer
    w.Word(0xFFFF); // signature: the extended template
    w.Dword(0);     // helpID
    w.Dword(Win32DialogExStyle(t));
    w.Dword(Win32DialogStyle(t));
    w.Word(static_cast<WORD>(t.items.size()));
    w.Short(t.x);
    w.Short(t.y);
    w.Short(t.cx);
    w.Short(t.cy);
    w.Word(0); // no menu
    w.Word(0); // the dialog class
    w.String(t.caption);
    w.Word(static_cast<WORD>(t.pointSize)); // DS_SETFONT
    w.Word(FW_NORMAL);
    w.Word(MAKEWORD(FALSE, DEFAULT_CHARSET)); // italic, charset
    w.String(t.fontName);
    for (const DialogItem& item : t.items) {
        const Win32Control control = Win32ControlFor(item);
        w.AlignToDword();
        w.Dword(0); // helpID
        w.Dword(control.exStyle);
        w.Dword(control.style);
        w.Short(item.x);
        w.Short(item.y);
        w.Short(item.cx);
        w.Short(item.cy);
        w.Dword(static_cast<DWORD>(item.id)); // -1 (IDC_STATIC) stays -1
        w.String(control.className);
        w.String(item.text);
        w.Word(0); // no creation data
    }
    m_data = w.Finish();
}
