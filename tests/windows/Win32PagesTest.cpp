// A page of the utility over the Win32 backend, driven as the user would (characters typed
// into the edit controls, a list picked by key) with the bytes checked in the image: the
// same scenarios as the Qt page tests (tests/gui/AdvancedPageTest.cpp), so a difference
// between the backends shows here.
#include "WindowsUi.h"
#include "device/ConfigImage.h"
#include "pages/AdvancedPage.h"
#include "platform/UiServices.h"
#include "platform/win32/Win32Window.h"
#include "resources/Resources.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

const int IDC_FRAGMENT = 1077, IDC_PREAMBLE = 1080;

class Win32Pages : public ::testing::Test {
protected:
    void SetUp() override {
        if (!WindowsUi::Available())
            GTEST_SKIP() << WindowsUi::Unavailable();
        RegisterResources();
        image = std::make_unique<ConfigImage>();
        std::memset(image->Bytes(), 0xEE, kImageBufferSize);
        image->SetFragmentThreshold(2346);
        image->SetPreambleType(2);
        g_pConfigImage = image.get();
        UiHooks hooks;
        hooks.beep = [this](UINT) { ++beeps; };
        saved = SetUiHooks(hooks);
        host.Bind();
    }
    void TearDown() override {
        if (!WindowsUi::Available())
            return;
        if (g_advancedPage.GetSafeHwnd())
            g_advancedPage.DestroyWindow();
        g_pConfigImage = nullptr;
        SetUiHooks(saved);
    }
    HWND Item(int id) { return ::GetDlgItem(g_advancedPage.GetSafeHwnd(), id); }
    void Type(int id, const std::wstring& text) {
        for (wchar_t c : text)
            SendMessageW(Item(id), WM_CHAR, c, 0);
    }
    struct Host : CWnd {
        void Bind() {
            if (!GetSafeHwnd())
                SetHandle(WindowsUi::Host());
        }
    } host;
    std::unique_ptr<ConfigImage> image;
    int beeps = 0;
    UiHooks saved;
};

TEST_F(Win32Pages, TypingAndPickingOnTheAdvancedPageLandInTheImage) {
    ASSERT_TRUE(g_advancedPage.Create(IDD_ADVANCED, &host));
    wchar_t shown[16] = {};
    GetWindowTextW(Item(IDC_FRAGMENT), shown, 16);
    EXPECT_EQ(std::wstring(shown), L"2346");
    // Showing the image again (as Default does) changes nothing in it.
    std::vector<BYTE> before(image->Bytes(), image->Bytes() + kImageBufferSize);
    PostMessageA(g_advancedPage.GetSafeHwnd(), WM_INITDIALOG, 0, 0);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_EQ(std::memcmp(before.data(), image->Bytes(), kImageBufferSize), 0);

    SendMessageW(Item(IDC_FRAGMENT), EM_SETSEL, 0, -1);
    Type(IDC_FRAGMENT, L"2x000"); // the letter is refused with a beep
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(image->FragmentThreshold(), 2000);
    SendMessageW(Item(IDC_PREAMBLE), WM_KEYDOWN, VK_UP, 0); // "Long" to the first item
    EXPECT_EQ(image->PreambleType(), 1);
}

} // namespace
