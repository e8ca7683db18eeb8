// The floor for the Windows build's start-up figures: a bare Win32 program that shows a
// dialog of the login's size and controls (187 x 87 dialog units, "MS Sans Serif" 9, three
// labels, three password edits, OK, Cancel and a push-like check box), written by hand as
// an in-memory DLGTEMPLATE, with no code of the project. Cancel and Escape end it; OK (or
// Enter) opens an empty dialog of the main dialog's size (256 x 217, "Main floor"), for the
// figures at the main dialog, which Escape ends.
#include <windows.h>

#include <vector>

namespace {

class TemplateWriter {
public:
    void Word(WORD value) { m_words.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Text(const wchar_t* text) {
        do
            Word(static_cast<WORD>(*text));
        while (*text++);
    }
    void Align() {
        if (m_words.size() % 2)
            Word(0);
    }
    // A control of a predefined class, named by its atom.
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
              const wchar_t* text) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (short v : {x, y, cx, cy})
            Word(static_cast<WORD>(v));
        Word(id);
        Word(0xFFFF);
        Word(atom);
        Text(text);
        Word(0);
    }
    std::vector<DWORD> Finish() {
        Align();
        return std::vector<DWORD>(reinterpret_cast<const DWORD*>(m_words.data()),
                                  reinterpret_cast<const DWORD*>(m_words.data() + m_words.size()));
    }

private:
    std::vector<WORD> m_words;
};

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;
constexpr DWORD kEditStyle = ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

// The dialog's header: its style, size, caption and font.
void Header(TemplateWriter& w, WORD controls, short cx, short cy, const wchar_t* caption) {
    w.Dword(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    w.Dword(0);
    w.Word(controls);
    for (short v : {short(0), short(0), cx, cy})
        w.Word(static_cast<WORD>(v));
    w.Word(0); // no menu
    w.Word(0); // the dialog class
    w.Text(caption);
    w.Word(9);
    w.Text(L"MS Sans Serif");
}

std::vector<DWORD> MainTemplate() {
    TemplateWriter w;
    Header(w, 0, 256, 217, L"Main floor");
    return w.Finish();
}

std::vector<DWORD> LoginTemplate() {
    TemplateWriter w;
    Header(w, 9, 187, 87, L"Login");
    w.Item(SS_LEFT, 13, 7, 82, 14, 0xFFFF, kStatic, L"Password :");
    w.Item(kEditStyle, 98, 7, 75, 14, 1098, kEdit, L"");
    w.Item(SS_LEFT | WS_DISABLED, 13, 25, 82, 14, 1101, kStatic, L"New Password :");
    w.Item(kEditStyle | WS_DISABLED, 98, 25, 75, 14, 1099, kEdit, L"");
    w.Item(SS_LEFT | WS_DISABLED, 13, 44, 82, 14, 1102, kStatic, L"Confirm New Password :");
    w.Item(kEditStyle | WS_DISABLED, 98, 44, 75, 14, 1004, kEdit, L"");
    w.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 7, 66, 50, 14, IDOK, kButton, L"OK");
    w.Item(BS_PUSHBUTTON | WS_TABSTOP, 67, 66, 50, 14, IDCANCEL, kButton, L"Cancel");
    w.Item(BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP, 127, 66, 50, 14, 1103, kButton, L"Change");
    return w.Finish();
}

INT_PTR CALLBACK LoginProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::vector<DWORD> login = LoginTemplate();
    INT_PTR result = DialogBoxIndirectParamA(
        instance, reinterpret_cast<LPCDLGTEMPLATEA>(login.data()), nullptr, LoginProc, 0);
    if (result != IDOK)
        return 1;
    std::vector<DWORD> main = MainTemplate();
    DialogBoxIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(main.data()), nullptr,
                            LoginProc, 0);
    return 0;
}
