// A page of the utility over the Win32 backend, driven as the user would (characters typed
// into the edit controls, a list picked by key) with the bytes checked in the image: the
// same cases as the Qt page tests (tests/shared/AdvancedPageCases.h, run by
// tests/gui/AdvancedPageTest.cpp too), so a difference between the backends shows here.
#include "../shared/AdvancedPageCases.h"
#include "../shared/EncryptionPageCases.h"
#include "../shared/WirelessPageCases.h"
#include "Win32PageFixture.h"
#include "device/WepKeyTable.h"
#include "pages/AdvancedPage.h"
#include "pages/EncryptionPage.h"
#include "pages/WirelessPage.h"
#include "platform/UiServices.h"
#include "platform/win32/DialogTemplateEx.h"
#include "platform/win32/Win32Window.h"
#include "resources/Dialog102Ids.h"
#include "resources/Dialog131Ids.h"

#include <algorithm>
#include <commctrl.h>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace AdvancedPageCases;

class Win32Pages : public Win32PageFixture {
protected:
    Win32Pages() : Win32PageFixture(0xEE) {}
    void SetUpMore() override {
        image->SetFragmentThreshold(kStartFragment);
        image->SetRtsThreshold(kStartRts);
        image->SetBeaconPeriod(kStartBeacon);
        image->SetPreambleType(2);
        UiHooks hooks;
        hooks.beep = [this](UINT) { ++beeps; };
        saved = SetUiHooks(hooks);
    }
    void TearDown() override {
        if (!WindowsUi::Available())
            return;
        if (g_advancedPage.GetSafeHwnd())
            g_advancedPage.DestroyWindow();
        if (g_wirelessPage.GetSafeHwnd())
            g_wirelessPage.DestroyWindow();
        if (g_encryptionPage.GetSafeHwnd())
            g_encryptionPage.DestroyWindow();
        Win32PageFixture::TearDown();
        SetUiHooks(saved);
    }
    HWND Item(int id) {
        for (CDialog* page :
             {static_cast<CDialog*>(&g_advancedPage), static_cast<CDialog*>(&g_wirelessPage),
              static_cast<CDialog*>(&g_encryptionPage)})
            if (page->GetSafeHwnd())
                return ::GetDlgItem(page->GetSafeHwnd(), id);
        return nullptr;
    }
    std::wstring Text(int id) {
        wchar_t shown[40] = {};
        GetWindowTextW(Item(id), shown, 40);
        return shown;
    }
    unsigned Word(size_t offset) const {
        return image->Bytes()[offset] | image->Bytes()[offset + 1] << 8;
    }
    void SelectAll(int id) { SendMessageW(Item(id), EM_SETSEL, 0, -1); }
    // Characters as the keyboard sends them, after a selection or at the end of the text.
    void Type(int id, const char* text) {
        for (const char* c = text; *c; ++c)
            SendMessageW(Item(id), WM_CHAR, static_cast<unsigned char>(*c), 0);
    }
    // Text put on the clipboard and pasted over the field's selection (Shift+Insert).
    void Paste(int id, const char* text) {
        Paste(id, std::wstring(text, text + std::strlen(text)));
    }
    void Paste(int id, const std::wstring& wide) {
        ASSERT_TRUE(OpenClipboard(Item(id)));
        EmptyClipboard();
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
        std::memcpy(GlobalLock(data), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(data);
        SetClipboardData(CF_UNICODETEXT, data);
        CloseClipboard();
        SendMessageW(Item(id), WM_PASTE, 0, 0);
    }
    int beeps = 0;
    UiHooks saved;
};

TEST_F(Win32Pages, TypedNumbersOnTheAdvancedPageLandInTheImage) {
    ASSERT_TRUE(g_advancedPage.Create(IDD_ADVANCED, &host));
    EXPECT_EQ(Text(kFragment), L"2346");
    for (const Retyped& c : kRetyped) {
        SCOPED_TRACE(testing::Message() << c.field << " \"" << c.typed << "\"");
        SelectAll(c.field);
        Type(c.field, *c.typed ? c.typed : "\b");
        EXPECT_EQ(Word(OffsetOf(c.field)), c.stored);
    }
    EXPECT_EQ(beeps, 0);
}

TEST_F(Win32Pages, TypingOnTheAdvancedPageIsFilteredWithABeep) {
    ASSERT_TRUE(g_advancedPage.Create(IDD_ADVANCED, &host));
    for (const Refused& c : kRefused) {
        SCOPED_TRACE(testing::Message() << c.field << " \"" << c.typed << "\"");
        std::wstring shown = Text(c.field);
        std::vector<BYTE> before(image->Bytes(), image->Bytes() + kImageBufferSize);
        int beepsBefore = beeps;
        SendMessageW(Item(c.field), EM_SETSEL, shown.size(), shown.size());
        Type(c.field, c.typed);
        EXPECT_EQ(beeps, beepsBefore + c.beeps);
        EXPECT_EQ(Text(c.field), shown);
        EXPECT_EQ(std::memcmp(before.data(), image->Bytes(), kImageBufferSize), 0);
    }
    for (const Mixed& c : kMixed) {
        SCOPED_TRACE(testing::Message() << c.field << " \"" << c.typed << "\"");
        int beepsBefore = beeps;
        SelectAll(c.field);
        Type(c.field, c.typed);
        EXPECT_EQ(beeps, beepsBefore + c.beeps);
        EXPECT_EQ(Word(OffsetOf(c.field)), c.stored);
    }
}

TEST_F(Win32Pages, PickingAndRefreshingOnTheAdvancedPage) {
    ASSERT_TRUE(g_advancedPage.Create(IDD_ADVANCED, &host));
    // Showing the image again (as Default does) changes nothing in it.
    std::vector<BYTE> before(image->Bytes(), image->Bytes() + kImageBufferSize);
    PostMessageA(g_advancedPage.GetSafeHwnd(), WM_INITDIALOG, 0, 0);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_EQ(std::memcmp(before.data(), image->Bytes(), kImageBufferSize), 0);
    SendMessageW(Item(kPreamble), WM_KEYDOWN, VK_UP, 0); // "Long" to the first item
    EXPECT_EQ(image->PreambleType(), 1);
}

TEST_F(Win32Pages, TypingThroughTheBssidHexFilterLandsInTheImage) {
    using namespace WirelessPageCases;
    image->Bytes()[160] = 0x10; // regulationDomain
    image->SetChannel(6);
    image->SetRateMode(1);
    image->SetOperationalMode(3); // the BSSID fields enabled
    std::memcpy(image->Bytes() + kBssidOffset, kBssid, 6);
    ASSERT_TRUE(g_wirelessPage.Create(IDD_WIRELESS, &host));
    for (int i = 0; i < 6; ++i) {
        std::string shown(kBssidShown[i]);
        EXPECT_EQ(Text(kFirstBssid + i), std::wstring(shown.begin(), shown.end()));
    }
    for (const WirelessPageCases::Typed& c : kTyped) {
        SCOPED_TRACE(testing::Message() << c.field << " \"" << c.typed << "\"");
        SelectAll(kFirstBssid + c.field);
        Type(kFirstBssid + c.field, "\b");
        Type(kFirstBssid + c.field, c.typed);
        std::string shown(c.shown);
        EXPECT_EQ(Text(kFirstBssid + c.field), std::wstring(shown.begin(), shown.end()));
        EXPECT_EQ(image->Bytes()[kBssidOffset + c.field], c.stored);
    }
    for (const WirelessPageCases::Refused& c : WirelessPageCases::kRefused) {
        SCOPED_TRACE(testing::Message() << c.field << " \"" << c.typed << "\"");
        std::vector<BYTE> before(image->Bytes(), image->Bytes() + kImageBufferSize);
        int beepsBefore = beeps;
        SendMessageW(Item(kFirstBssid + c.field), EM_SETSEL, 2, 2);
        Type(kFirstBssid + c.field, c.typed);
        EXPECT_EQ(beeps, beepsBefore + c.beeps);
        std::string shown(kBssidShown[c.field]);
        EXPECT_EQ(Text(kFirstBssid + c.field), std::wstring(shown.begin(), shown.end()));
        EXPECT_EQ(std::memcmp(before.data(), image->Bytes(), kImageBufferSize), 0);
    }
}

// The Encryption page's pasted and emptied fields (tests/shared/EncryptionPageCases.h).
TEST_F(Win32Pages, PastedLinesStopAtTheFirstLineBreak) {
    ASSERT_TRUE(g_wirelessPage.Create(IDD_WIRELESS, &host));
    for (const WirelessPageCases::PastedLine& c : WirelessPageCases::kPastedLines) {
        std::u16string pasted(c.pasted);
        SCOPED_TRACE(c.stored);
        SelectAll(IDC_ESSID);
        Type(IDC_ESSID, "\b");
        Paste(IDC_ESSID, std::wstring(pasted.begin(), pasted.end()));
        std::string stored(c.stored);
        EXPECT_EQ(Text(IDC_ESSID), std::wstring(stored.begin(), stored.end()));
        EXPECT_EQ(image->Essid(), stored);
    }
    EXPECT_EQ(beeps, 0);
}

TEST_F(Win32Pages, PastedAndEmptiedKeyFieldsShowTheByteKept) {
    using namespace EncryptionPageCases;
    auto id = [](const Field& f) {
        return f.wide ? kKey128Ids[f.key][f.byte] : kKey64Ids[f.key][f.byte];
    };
    auto table = [](const Field& f) -> BYTE& {
        return f.wide ? g_wepKeyTable.keys128[f.key][f.byte] : g_wepKeyTable.keys64[f.key][f.byte];
    };
    auto wide = [](const char* text) { return std::wstring(text, text + std::strlen(text)); };
    for (const Pasted& c : kPasted)
        table(c.field) = c.held;
    for (const Emptied& c : kEmptied)
        table(c.field) = c.held;
    const int elsewhere = IDC_WEP_TYPE; // the WEP type list takes the focus away
    for (bool wideGroup : {false, true}) {
        image->SetWepType(wideGroup ? 2 : 1);
        ASSERT_TRUE(g_encryptionPage.Create(IDD_ENCRYPTION, &host));
        for (const Pasted& c : kPasted) {
            if (c.field.wide != wideGroup)
                continue;
            SCOPED_TRACE(testing::Message() << id(c.field) << " \"" << c.pasted << "\"");
            ::SetFocus(Item(id(c.field)));
            SelectAll(id(c.field));
            Paste(id(c.field), c.pasted);
            EXPECT_EQ(Text(id(c.field)), wide(c.shown));
            EXPECT_EQ(table(c.field), c.stored);
            EXPECT_EQ(image->Bytes()[c.field.Offset()], c.stored);
            ::SetFocus(Item(elsewhere));
            EXPECT_EQ(Text(id(c.field)), wide(c.shown));
        }
        for (const Emptied& c : kEmptied) {
            if (c.field.wide != wideGroup)
                continue;
            SCOPED_TRACE(testing::Message() << id(c.field));
            ::SetFocus(Item(id(c.field)));
            SelectAll(id(c.field));
            Type(id(c.field), "\b");
            EXPECT_EQ(Text(id(c.field)), L"");
            EXPECT_EQ(image->Bytes()[c.field.Offset()], c.held);
            ::SetFocus(Item(elsewhere));
            EXPECT_EQ(Text(id(c.field)), wide(c.shown));
            EXPECT_EQ(table(c.field), c.held);
        }
        g_encryptionPage.DestroyWindow();
    }
}

// Every two-digit value shows whole in a hexadecimal field (the 72 key bytes, the six BSSID
// bytes): the widest of the 256 pairs, in the field's own font, against the formatting
// rectangle. windows-tests.sh runs this at 96 and at 144 dots per inch (AP_TEST_DPI).
TEST_F(Win32Pages, HexFieldsHoldTheWidestPairWhole) {
    image->SetOperationalMode(3);
    for (const EncryptionPageCases::HexFields& p : EncryptionPageCases::AllHexFields()) {
        ASSERT_TRUE(p.page->Create(p.templateId, &host));
        for (int id : p.ids) {
            HWND edit = Item(id);
            HDC dc = GetDC(edit);
            HGDIOBJ old =
                SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0)));
            if (const char* dpi = std::getenv("AP_TEST_DPI")) {
                ASSERT_EQ(GetDeviceCaps(dc, LOGPIXELSX), std::atoi(dpi));
            }
            LONG widest = 0;
            for (unsigned v = 0; v < 256; ++v) {
                wchar_t pair[3];
                swprintf(pair, 3, L"%02X", v);
                SIZE size{};
                GetTextExtentPoint32W(dc, pair, 2, &size);
                widest = std::max(widest, size.cx);
            }
            SelectObject(dc, old);
            ReleaseDC(edit, dc);
            RECT format{};
            SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
            RECT client{};
            GetClientRect(edit, &client);
            DWORD margins = static_cast<DWORD>(SendMessageW(edit, EM_GETMARGINS, 0, 0));
            ASSERT_GE(format.right - format.left, widest)
                << "field " << id << ": client " << client.right << ", margins " << LOWORD(margins)
                << " and " << HIWORD(margins);
        }
        p.page->DestroyWindow();
    }
}

INT_PTR CALLBACK QuietMainProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The tabs' header reaches down to the page: its height follows its font, the page's place
// the dialog units, and between them no band of the tabs' body may show at any number of
// dots per inch. windows-tests.sh runs this at 96 and at 144 (AP_TEST_DPI).
TEST_F(Win32Pages, TheTabsHeaderMeetsThePage) {
    DialogTemplateEx data(*FindDialogTemplate(IDD_MAIN));
    struct MainWnd : CWnd {
        explicit MainWnd(HWND h) { SetHandle(h); }
    } main(CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                      reinterpret_cast<LPCDLGTEMPLATEW>(data.Get()), nullptr,
                                      &QuietMainProc, 0));
    ASSERT_NE(main.GetSafeHwnd(), nullptr);
    HWND tabs = ::GetDlgItem(main.GetSafeHwnd(), IDC_TAB);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"Wireless");
    TabCtrl_InsertItem(tabs, 0, &item);
    ASSERT_TRUE(g_wirelessPage.Create(IDD_WIRELESS, &main));
    RECT header{}, page{};
    TabCtrl_GetItemRect(tabs, 0, &header);
    MapWindowPoints(tabs, main.GetSafeHwnd(), reinterpret_cast<POINT*>(&header), 2);
    GetWindowRect(g_wirelessPage.GetSafeHwnd(), &page);
    MapWindowPoints(nullptr, main.GetSafeHwnd(), reinterpret_cast<POINT*>(&page), 2);
    // The body's frame is two pixels below the header; the page starts on it or right under it.
    EXPECT_GE(page.top - header.bottom, 0) << "header " << header.top << ".." << header.bottom;
    EXPECT_LE(page.top - header.bottom, 2) << "header " << header.top << ".." << header.bottom;
    g_wirelessPage.DestroyWindow();
    HWND mainHandle = main.GetSafeHwnd();
    main.Detach();
    DestroyWindow(mainHandle);
}

} // namespace
