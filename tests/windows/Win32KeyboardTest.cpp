// The main dialog over Win32 driven by the keyboard alone (tests/shared/KeyboardCases.h), the
// keys given as the system's input (SendInput), against the emulator that windows-tests.sh
// starts (AP_DEVICE_ADDR). Skips without a display or without the emulator.
#include "../shared/KeyboardCases.h"
#include "TempFolder.h"
#include "WindowsUi.h"
#include "app/ConfigApp.h"
#include "app/MainDlg.h"
#include "device/DeviceChannel.h"
#include "device/ProgressDlg.h"
#include "pages/PageDialog.h"
#include "resources/Resources.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using KeyboardCases::Key;

std::vector<BYTE> DeviceImage() {
    std::vector<BYTE> image(16385);
    CDeviceChannel channel;
    BYTE selector = kSelectCurrent;
    if (!channel.Open() || !channel.Read(image.data(), &selector, 1024))
        return {};
    channel.Close();
    return image;
}

INPUT KeyInput(WORD vk, WORD unicode, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = unicode;
    input.ki.dwFlags = flags;
    return input;
}

// The keys of a step, pressed and let go in order (the modifiers around the key).
void Press(const KeyboardCases::Step& step) {
    std::vector<WORD> modifiers;
    WORD vk = 0;
    switch (step.key) {
    case Key::kTab:
        vk = VK_TAB;
        break;
    case Key::kShiftTab:
        modifiers = {VK_SHIFT}, vk = VK_TAB;
        break;
    case Key::kCtrlTab:
        modifiers = {VK_CONTROL}, vk = VK_TAB;
        break;
    case Key::kCtrlShiftTab:
        modifiers = {VK_CONTROL, VK_SHIFT}, vk = VK_TAB;
        break;
    case Key::kDown:
        vk = VK_DOWN;
        break;
    case Key::kUp:
        vk = VK_UP;
        break;
    case Key::kReturn:
        vk = VK_RETURN;
        break;
    case Key::kEscape:
        vk = VK_ESCAPE;
        break;
    case Key::kText:
        break;
    }
    std::vector<INPUT> inputs;
    if (step.key == Key::kText) {
        for (const char* c = step.text; *c; ++c) {
            inputs.push_back(KeyInput(0, static_cast<WORD>(*c), KEYEVENTF_UNICODE));
            inputs.push_back(
                KeyInput(0, static_cast<WORD>(*c), KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
        }
    } else {
        for (WORD m : modifiers)
            inputs.push_back(KeyInput(m, 0, 0));
        inputs.push_back(KeyInput(vk, 0, 0));
        inputs.push_back(KeyInput(vk, 0, KEYEVENTF_KEYUP));
        for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m)
            inputs.push_back(KeyInput(*m, 0, KEYEVENTF_KEYUP));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The run, one step a timer tick once the keys before have been taken and the main dialog is
// in front again (the progress dialog of Apply has gone).
struct KeyRun {
    CMainDlg* main = nullptr;
    std::vector<KeyboardCases::Step> steps;
    size_t next = 0;
    int idleTicks = 0;
    std::string failure;

    // The control with the focus: its dialog's template and its id (an address field holds
    // it in a part of its own).
    std::pair<UINT, int> Focused() const {
        for (HWND h = GetFocus(); h; h = GetParent(h)) {
            HWND parent = GetParent(h);
            if (parent && parent == main->GetSafeHwnd())
                return {IDD_MAIN, GetDlgCtrlID(h)};
            if (parent && g_pCurrentPage && parent == g_pCurrentPage->GetSafeHwnd())
                return {g_pCurrentPage->GetTemplateId(), GetDlgCtrlID(h)};
        }
        return {0u, 0};
    }
    bool Settled() const {
        return !(HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE))) &&
               IsWindowEnabled(main->GetSafeHwnd()) &&
               GetAncestor(GetFocus(), GA_ROOT) == main->GetSafeHwnd();
    }
    void Fail(const std::string& why) {
        failure = why;
        main->EndDialog(IDABORT);
    }
    void Tick() {
        if (!main->IsModalRunning() || !failure.empty())
            return;
        if (!Settled()) {
            if (++idleTicks > 400)
                Fail("the dialog did not settle before step " + std::to_string(next));
            return;
        }
        idleTicks = 0;
        const std::pair<UINT, int> focus = Focused();
        const std::pair<UINT, int> wanted =
            next == 0 ? std::make_pair(IDD_MAIN, IDOK)
                      : std::make_pair(steps[next - 1].dialog, steps[next - 1].control);
        if (wanted.first && focus != wanted) {
            Fail("after step " + std::to_string(next) + " the focus is on control " +
                 std::to_string(focus.second) + " of dialog " + std::to_string(focus.first) +
                 ", not " + std::to_string(wanted.second) + " of " + std::to_string(wanted.first));
            return;
        }
        if (next < steps.size())
            Press(steps[next++]);
    }
};

KeyRun* g_run = nullptr;

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_run)
        g_run->Tick();
}

// The main dialog in front: with no window manager nothing else activates it.
class KeyboardMainDlg : public CMainDlg {
protected:
    BOOL OnInitDialog() override {
        BOOL result = CMainDlg::OnInitDialog();
        SetForegroundWindow(GetSafeHwnd());
        SetActiveWindow(GetSafeHwnd());
        return result;
    }
};

TEST(Win32Keyboard, TheKeyboardAloneReachesEveryFieldAndApplies) {
    if (!WindowsUi::Available())
        GTEST_SKIP() << WindowsUi::Unavailable();
    char address[64] = {};
    if (GetEnvironmentVariableA("AP_DEVICE_ADDR", address, sizeof address) == 0)
        GTEST_SKIP() << "AP_DEVICE_ADDR is not set: no emulator to reach";
    RegisterResources();
    TempWorkingFolder dir; // the key file goes here
    const std::vector<BYTE> before = DeviceImage();
    ASSERT_FALSE(before.empty());

    CProgressDlg::SetTickIntervalForTesting(2);
    KeyboardMainDlg main;
    theApp.m_pMainWnd = &main;
    KeyRun run;
    run.main = &main;
    run.steps = KeyboardCases::Script();
    g_run = &run;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, &OnTick);
    const INT_PTR result = main.DoModal();
    KillTimer(nullptr, timer);
    g_run = nullptr;
    theApp.m_pMainWnd = nullptr;
    g_pConfigImage = nullptr;
    CProgressDlg::SetTickIntervalForTesting(200);

    EXPECT_EQ(run.failure, "");
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(run.next, run.steps.size());
    const std::vector<BYTE> after = DeviceImage();
    ASSERT_FALSE(after.empty());
    for (const KeyboardCases::Stored& stored : KeyboardCases::kStored)
        EXPECT_EQ(after[stored.offset], stored.value) << "at " << stored.offset;

    // The emulator goes on to the other tests as it was.
    CDeviceChannel channel;
    std::vector<BYTE> restore = before;
    ASSERT_TRUE(channel.Open());
    EXPECT_TRUE(channel.Write(restore.data(), 1, 348));
    channel.Close();
}

} // namespace
