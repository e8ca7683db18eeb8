// Every dialog template of the product, built as a DLGTEMPLATEEX and created by the dialog
// manager itself: each control must come out with its window class, id, styles and the
// rectangle that the dialog's own units (MapDialogRect) give.
#include "platform/win32/DialogTemplateEx.h"
#include "WindowsUi.h"
#include "resources/Resources.h"

#include <commctrl.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// What the system must show for an item, stated from the control's meaning.
struct Expected {
    const char* className;
    DWORD typeMask; // the bits that hold the control's type
    DWORD type;
    bool tabStop;
};

Expected ExpectedFor(ControlKind kind) {
    switch (kind) {
    case ControlKind::kEdit:
        return {"Edit", 0, 0, true};
    case ControlKind::kDropDownList:
        return {"ComboBox", 3, CBS_DROPDOWNLIST, true};
    case ControlKind::kLabel:
        return {"Static", 0, 0, false}; // its alignment is checked below
    case ControlKind::kPicture:
        return {"Static", SS_TYPEMASK, SS_BITMAP, false};
    case ControlKind::kGroupBox:
        return {"Button", BS_TYPEMASK, BS_GROUPBOX, false};
    case ControlKind::kPushButton:
        return {"Button", BS_TYPEMASK, BS_PUSHBUTTON, true};
    case ControlKind::kDefPushButton:
        return {"Button", BS_TYPEMASK, BS_DEFPUSHBUTTON, true};
    case ControlKind::kCheckBox:
        return {"Button", BS_TYPEMASK, BS_AUTOCHECKBOX, true};
    case ControlKind::kTabControl:
        return {"SysTabControl32", 0, 0, true};
    case ControlKind::kProgressBar:
        return {"msctls_progress32", 0, 0, true}; // takes the focus as its dialog opens
    case ControlKind::kIpAddress:
        return {"SysIPAddress32", 0, 0, true};
    }
    return {"?", 0, 0, false};
}

// Position and size each converted on their own, as the dialog manager places controls.
RECT DialogRect(HWND dialog, int x, int y, int cx, int cy) {
    RECT r{x, y, cx, cy};
    MapDialogRect(dialog, &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

RECT RectInParent(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

void ExpectRect(const RECT& actual, const RECT& expected, const char* what) {
    EXPECT_EQ(actual.left, expected.left) << what;
    EXPECT_EQ(actual.top, expected.top) << what;
    EXPECT_EQ(actual.right, expected.right) << what;
    EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

void CheckItem(HWND dialog, HWND control, const DialogItem& item) {
    const std::string what = "item " + std::to_string(item.id) + " \"" + item.text + "\" at " +
                             std::to_string(item.x) + "," + std::to_string(item.y);
    SCOPED_TRACE(what);
    const Expected e = ExpectedFor(item.kind);
    EXPECT_STRCASEEQ(ClassOf(control).c_str(), e.className);
    EXPECT_EQ(GetDlgCtrlID(control), item.id);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(control, GWL_EXSTYLE));
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_VISIBLE);
    if (e.typeMask) {
        EXPECT_EQ(style & e.typeMask, e.type);
    }
    EXPECT_EQ(!!(style & WS_TABSTOP), e.tabStop && !(item.style & kNoTabStop));
    EXPECT_EQ(!!(style & WS_DISABLED), !!(item.style & kDisabled));
    EXPECT_EQ(!IsWindowEnabled(control), !!(item.style & kDisabled));

    switch (item.kind) {
    case ControlKind::kEdit:
        EXPECT_EQ(!!(style & ES_UPPERCASE), !!(item.style & kUpperCase));
        EXPECT_EQ(!!(style & ES_PASSWORD), !!(item.style & kPassword));
        EXPECT_EQ(!!(style & ES_CENTER), !!(item.style & kCentered));
        EXPECT_TRUE(style & ES_AUTOHSCROLL);
        EXPECT_FALSE(style & ES_NUMBER); // digits are filtered by the pages' own edits
        EXPECT_EQ(!!(exStyle & WS_EX_CLIENTEDGE), !!(item.style & kBorder));
        // a value: read-only, with the sunken label's edge
        EXPECT_EQ(!!(style & ES_READONLY), !!(item.style & kReadOnly));
        EXPECT_EQ(!!(exStyle & WS_EX_STATICEDGE), !!(item.style & kSunken));
        if (item.style & kPassword) {
            EXPECT_NE(SendMessageA(control, EM_GETPASSWORDCHAR, 0, 0), 0);
        }
        break;
    case ControlKind::kDropDownList: {
        EXPECT_EQ(!!(style & CBS_SORT), !!(item.style & kSorted));
        // The combo box hands its scroll bar style on to its list, which shows the bar once
        // the items outgrow it.
        for (int i = 0; i < 40; ++i)
            SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("item"));
        COMBOBOXINFO parts{};
        parts.cbSize = sizeof parts;
        ASSERT_TRUE(GetComboBoxInfo(control, &parts));
        EXPECT_TRUE(GetWindowLongA(parts.hwndList, GWL_STYLE) & WS_VSCROLL);
        SendMessageA(control, CB_RESETCONTENT, 0, 0);
        break;
    }
    case ControlKind::kLabel:
        EXPECT_EQ(style & SS_TYPEMASK, item.style & kRightAligned ? DWORD(SS_RIGHT) : SS_LEFT);
        EXPECT_EQ(!!(style & SS_SUNKEN), !!(item.style & kSunken));
        break;
    case ControlKind::kCheckBox:
        EXPECT_EQ(!!(style & BS_PUSHLIKE), !!(item.style & kPushLike));
        break;
    case ControlKind::kProgressBar:
        EXPECT_EQ(!!(style & PBS_SMOOTH), !!(item.style & kSmooth));
        break;
    default:
        break;
    }
    if (item.kind != ControlKind::kEdit && item.kind != ControlKind::kProgressBar) {
        // (A progress bar draws its own frame and drops the border style.) The system may turn a
        // control's line border into an edge, and a sunken text has the static edge.
        const bool bordered =
            (style & WS_BORDER) || (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
        EXPECT_EQ(bordered, !!(item.style & (kBorder | kSunken)));
    }
    if (item.kind == ControlKind::kLabel || item.kind == ControlKind::kPushButton ||
        item.kind == ControlKind::kDefPushButton || item.kind == ControlKind::kCheckBox ||
        item.kind == ControlKind::kGroupBox) {
        char text[128] = {};
        GetWindowTextA(control, text, sizeof text);
        EXPECT_STREQ(text, item.text);
    }

    const RECT expected = DialogRect(dialog, item.x, item.y, item.cx, item.cy);
    const RECT actual = RectInParent(control);
    if (item.kind == ControlKind::kDropDownList) {
        // A closed drop-down list is one line high; the template's height is that of the
        // list when it drops down.
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_LT(actual.bottom, expected.bottom);
        RECT dropped{};
        SendMessageA(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        const int closed = actual.bottom - actual.top, list = dropped.bottom - dropped.top;
        // The dropped rectangle spans the whole control on Windows; on Wine it is the list
        // alone, less its border.
        const int height = expected.bottom - expected.top;
        EXPECT_TRUE(list == height || std::abs(closed + list - height) <= 2)
            << "closed " << closed << ", dropped " << list;
    } else {
        ExpectRect(actual, expected, "control rectangle");
    }
}

class DialogTemplateExTest : public ::testing::TestWithParam<UINT> {
protected:
    void SetUp() override {
        if (!WindowsUi::Available())
            GTEST_SKIP() << WindowsUi::Unavailable();
        RegisterResources();
    }
};

TEST_P(DialogTemplateExTest, TheDialogManagerBuildsEveryControlAsTheTemplateSays) {
    const DialogTemplate* t = FindDialogTemplate(GetParam());
    ASSERT_NE(t, nullptr);
    DialogTemplateEx built(*t);
    const bool child = t->style & kChild;
    HWND host = child ? WindowsUi::Host() : nullptr;
    HWND dialog =
        CreateDialogIndirectParamA(GetModuleHandleA(nullptr), built.Get(), host, QuietProc, 0);
    ASSERT_NE(dialog, nullptr) << GetLastError();

    const DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE));
    EXPECT_EQ(!!(style & WS_CHILD), child);
    EXPECT_EQ(!!(style & WS_POPUP), !child);
    EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, !!(t->style & kCaption));
    EXPECT_EQ(!!(style & WS_SYSMENU), !!(t->style & kCaption));
    EXPECT_EQ(!!(exStyle & WS_EX_APPWINDOW), !!(t->style & kAppWindow));
    // A page's controls are in the tab order of the dialog around it.
    EXPECT_EQ(!!(style & DS_CONTROL), child);
    if (child) {
        EXPECT_TRUE(exStyle & WS_EX_CONTROLPARENT);
    }
    char caption[128] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, t->caption);

    // The dialog's font is the template's, and its units are measured from it.
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTA logFont{};
    ASSERT_NE(GetObjectA(font, sizeof logFont, &logFont), 0);
    EXPECT_STREQ(logFont.lfFaceName, t->fontName);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(logFont.lfHeight, -MulDiv(t->pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);

    RECT client;
    GetClientRect(dialog, &client);
    const RECT size = DialogRect(dialog, 0, 0, t->cx, t->cy);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
    if (child) {
        ExpectRect(RectInParent(dialog), DialogRect(dialog, t->x, t->y, t->cx, t->cy),
                   "page rectangle");
    }

    // The controls in template order, as the dialog manager chains them.
    size_t index = 0;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++index) {
        ASSERT_LT(index, t->items.size()) << "more controls than the template has";
        CheckItem(dialog, c, t->items[index]);
    }
    EXPECT_EQ(index, t->items.size());
    DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(EveryTemplate, DialogTemplateExTest,
                         ::testing::Values(102u, 129u, 130u, 131u, 132u, 134u, 136u, 140u),
                         [](const ::testing::TestParamInfo<UINT>& info) {
                             return "Dialog" + std::to_string(info.param);
                         });

TEST(DialogTemplateEx, TextsAreConvertedFromTheProgramsCodePage) {
    if (!WindowsUi::Available())
        GTEST_SKIP() << WindowsUi::Unavailable();
    // A caption and a label beyond ASCII, in Windows-1252: e-acute and the euro sign.
    const DialogTemplate t{
        900,      "Caf\xE9",
        0,        0,
        100,      40,
        kCaption, "MS Sans Serif",
        9,        {{-1, ControlKind::kLabel, "5 \x80", 5, 5, 50, 10, kStyleNone}}};
    DialogTemplateEx built(t);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(built.Get()) % sizeof(DWORD), 0u);
    HWND dialog =
        CreateDialogIndirectParamA(GetModuleHandleA(nullptr), built.Get(), nullptr, QuietProc, 0);
    ASSERT_NE(dialog, nullptr);
    wchar_t caption[16] = {}, label[16] = {};
    GetWindowTextW(dialog, caption, 16);
    GetWindowTextW(GetWindow(dialog, GW_CHILD), label, 16);
    EXPECT_STREQ(caption, L"Caf\u00E9");
    EXPECT_STREQ(label, L"5 \u20AC");
    DestroyWindow(dialog);
}

} // namespace
