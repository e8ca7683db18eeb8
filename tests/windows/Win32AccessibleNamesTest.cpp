// What a screen reader is told about the fields of the pages over the Win32 backend: the
// names the template gives (key bytes, address parts) go to the accessibility layer by
// Dynamic Annotation, and the dialog manager names the rest after their labels. Read as a
// screen reader reads them: AccessibleObjectFromWindow, then get_accName. Wine (8.0)
// accepts the annotation but does not keep it (IAccPropServices::SetHwndPropStr answers
// E_NOTIMPL), and names an edit after the nearest label before it, " :" and all, so there
// every key byte reads "Key1" to "Key4", a list its current item and an address part
// nothing: where the system answers S_OK the template's name is expected, else Wine's.
#include "Win32PageFixture.h"
#include "device/ProgressDlg.h"
#include "pages/EncryptionPage.h"
#include "pages/InfoPage.h"
#include "pages/IpConfigPage.h"
#include "pages/WirelessPage.h"
#include "platform/win32/Win32Window.h"
#include "resources/Dialog129Ids.h"
#include "resources/Dialog130Ids.h"
#include "resources/Dialog131Ids.h"
#include "resources/Dialog132Ids.h"
#include "resources/Dialog140Ids.h"

#include <commctrl.h>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <oleacc.h>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr GUID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The name the accessibility layer gives the window; "(none)" when it has none.
std::wstring AccessibleNameOf(HWND window) {
    using FromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    static HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
    static auto fromWindow = reinterpret_cast<FromWindowFn>(reinterpret_cast<void (*)()>(
        oleacc ? GetProcAddress(oleacc, "AccessibleObjectFromWindow") : nullptr));
    IAccessible* accessible = nullptr;
    if (!fromWindow || FAILED(fromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                         reinterpret_cast<void**>(&accessible))))
        return L"(no accessible object)";
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    HRESULT hr = accessible->get_accName(self, &name);
    accessible->Release();
    std::wstring text = hr == S_OK && name ? std::wstring(name, SysStringLen(name)) : L"(none)";
    SysFreeString(name);
    return text;
}

struct NameCase {
    CPageDialog* page;
    UINT templateId;
    int id;
    int part;              // -1: the control itself
    const char* annotated; // the name the template gives; null: left to the dialog manager
    const wchar_t* wine;   // what Wine's get_accName reads
};

const NameCase kNames[] = {
    {&g_wirelessPage, IDD_WIRELESS, IDC_NAME, -1, nullptr, L"Access Point Name :"},
    {&g_wirelessPage, IDD_WIRELESS, IDC_ESSID, -1, nullptr, L"Wireless ESSID :"},
    {&g_wirelessPage, IDD_WIRELESS, IDC_BSSID0, -1, "Preferred BSSID byte 1", L"Preferred BSSID :"},
    {&g_wirelessPage, IDD_WIRELESS, IDC_BSSID5, -1, "Preferred BSSID byte 6", L"Preferred BSSID :"},
    {&g_encryptionPage, IDD_ENCRYPTION, kKey64Ids[0][0], -1, "64 bit Key1 byte 1", L"Key1"},
    {&g_encryptionPage, IDD_ENCRYPTION, kKey64Ids[3][4], -1, "64 bit Key4 byte 5", L"Key4"},
    {&g_encryptionPage, IDD_ENCRYPTION, kKey128Ids[0][0], -1, "128 bit Key1 byte 1", L"Key1"},
    {&g_encryptionPage, IDD_ENCRYPTION, kKey128Ids[3][12], -1, "128 bit Key4 byte 13", L"Key4"},
    {&g_ipConfigPage, IDD_IPCONFIG, IDC_IP_ADDRESS, 0, "IP Address part 1", L"(none)"},
    {&g_ipConfigPage, IDD_IPCONFIG, IDC_SUBNET_MASK, 1, "Subnet Mask part 2", L"(none)"},
    {&g_ipConfigPage, IDD_IPCONFIG, IDC_GATEWAY, 3, "Gateway part 4", L"(none)"},
    // the Info page's values: read-only edits after their labels
    {&g_infoPage, IDD_INFO, IDC_UTILITY_VERSION, -1, nullptr, L"Utility Version :"},
    {&g_infoPage, IDD_INFO, IDC_MAC, -1, nullptr, L"MAC Address :"},
};

class Win32AccessibleNames : public Win32PageFixture {
protected:
    Win32AccessibleNames() : Win32PageFixture(0) {}
    void SetUpMore() override {
        win32::WatchAnnotations([this](HWND control, const std::string& name, HRESULT answer) {
            annotations[control] = {name, answer};
        });
    }
    void TearDown() override {
        win32::WatchAnnotations(nullptr);
        Win32PageFixture::TearDown();
    }

    std::map<HWND, std::pair<std::string, HRESULT>> annotations;
};

TEST_F(Win32AccessibleNames, FieldsWithoutALabelGetTheTemplateNames) {
    for (const NameCase& c : kNames) {
        SCOPED_TRACE(testing::Message() << c.templateId << "/" << c.id << "/" << c.part);
        annotations.clear();
        ASSERT_TRUE(c.page->Create(c.templateId, &host));
        HWND field = GetDlgItem(c.page->GetSafeHwnd(), c.id);
        HWND target =
            c.part < 0 ? field : win32::AddressParts(field).at(static_cast<size_t>(c.part));
        auto given = annotations.find(target);
        if (!c.annotated) {
            EXPECT_EQ(given, annotations.end());
            EXPECT_EQ(AccessibleNameOf(target), c.wine);
        } else if (given == annotations.end()) {
            ADD_FAILURE() << "no name given";
        } else {
            EXPECT_EQ(given->second.first, c.annotated);
            std::wstring expected =
                SUCCEEDED(given->second.second)
                    ? std::wstring(c.annotated, c.annotated + strlen(c.annotated))
                    : c.wine;
            EXPECT_EQ(AccessibleNameOf(target), expected)
                << "SetHwndPropStr answered 0x" << std::hex << given->second.second;
        }
        c.page->DestroyWindow();
    }
}

// Every field the template names gets its name, each a different one.
TEST_F(Win32AccessibleNames, EachPageNamesAllItsUnlabelledFields) {
    const struct {
        CPageDialog* page;
        UINT templateId;
        size_t named;
    } pages[] = {{&g_wirelessPage, IDD_WIRELESS, 6},
                 {&g_ipConfigPage, IDD_IPCONFIG, 12},
                 {&g_encryptionPage, IDD_ENCRYPTION, 72}};
    for (const auto& p : pages) {
        SCOPED_TRACE(p.templateId);
        annotations.clear();
        ASSERT_TRUE(p.page->Create(p.templateId, &host));
        std::set<std::string> names;
        for (const auto& a : annotations)
            names.insert(a.second.first);
        EXPECT_EQ(annotations.size(), p.named);
        EXPECT_EQ(names.size(), p.named);
        p.page->DestroyWindow();
    }
}

// The progress dialog at its first tick: where the focus is, the names of the dialog and of
// its bar, the bar's value.
class ProgressSeen : public CProgressDlg {
public:
    HWND focus = nullptr;
    HWND bar = nullptr;
    std::wstring caption, barName;
    LRESULT position = -1;

protected:
    void OnTimer(UINT_PTR id) override {
        if (!bar) {
            focus = GetFocus();
            bar = ::GetDlgItem(GetSafeHwnd(), IDC_PROGRESS_BAR);
            wchar_t text[64] = {};
            GetWindowTextW(GetSafeHwnd(), text, 64);
            caption = text;
            barName = AccessibleNameOf(bar);
            CProgressDlg::OnTimer(id);
            position = SendMessageW(bar, PBM_GETPOS, 0, 0);
            EndDialog(IDCANCEL);
        }
    }
};

// A screen reader is told the write has started: the bar, named, takes the focus as the
// dialog opens, and counts the percentage.
TEST_F(Win32AccessibleNames, TheProgressBarTakesTheFocusWithItsName) {
    CProgressDlg::SetTickIntervalForTesting(2);
    ProgressSeen progress;
    progress.DoModal();
    CProgressDlg::SetTickIntervalForTesting(0);
    EXPECT_EQ(progress.caption, L"Writing the configuration");
    ASSERT_NE(progress.bar, nullptr);
    EXPECT_EQ(progress.focus, progress.bar);
    EXPECT_EQ(progress.position, 1); // per cent, after one tick
    auto given = annotations.find(progress.bar);
    ASSERT_NE(given, annotations.end());
    EXPECT_EQ(given->second.first, "Writing the configuration");
    // Where the system keeps the name; Wine's stub leaves the bar without one.
    EXPECT_EQ(progress.barName,
              SUCCEEDED(given->second.second) ? L"Writing the configuration" : L"(none)");
}

} // namespace
