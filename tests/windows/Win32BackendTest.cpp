// The Win32 backend of the dialog layer under the dialog manager: data exchange both ways,
// the notifications a change raises or not, typed characters through OnChar, Enter and
// Escape, timers, posted messages and the workers' requests.
#include "WindowsUi.h"
#include "pages/DigitEdit.h"
#include "platform/ComboBox.h"
#include "platform/Dialog.h"
#include "platform/DialogTemplate.h"
#include "platform/FindWindow.h"
#include "platform/UiServices.h"
#include "platform/WinApp.h"
#include "platform/win32/Win32Window.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

constexpr UINT kChildTemplate = 900, kModalTemplate = 901;
constexpr int kEdit = 1001, kList = 1002, kCheck = 1003, kDigits = 1004;

// clang-format off
const DialogTemplate kChildDialog = {
    kChildTemplate, "", 0, 0, 200, 100, kChild, "MS Sans Serif", 9,
    {{kEdit, ControlKind::kEdit, "", 10, 10, 80, 12, kStyleNone},
     {kList, ControlKind::kDropDownList, "", 10, 30, 80, 60, kStyleNone},
     {kCheck, ControlKind::kCheckBox, "Check", 10, 50, 80, 12, kPushLike},
     {kDigits, ControlKind::kEdit, "", 100, 10, 80, 12, kStyleNone}}};
const DialogTemplate kModalDialog = {
    kModalTemplate, "Modal", 0, 0, 220, 130, kCaption, "MS Sans Serif", 9,
    {{kEdit, ControlKind::kEdit, "", 10, 10, 80, 12, kStyleNone},
     {IDOK, ControlKind::kDefPushButton, "OK", 10, 110, 50, 14, kStyleNone},
     {IDCANCEL, ControlKind::kPushButton, "Cancel", 70, 110, 50, 14, kStyleNone}}};
// clang-format on

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class TestDialog : public CDialog {
public:
    explicit TestDialog(UINT id = kChildTemplate) : CDialog(id) {}
    std::string text;
    int check = 0;
    int limit = 5;
    std::vector<std::pair<int, UINT>> notes;
    int oks = 0, cancels = 0, closes = 0;
    CComboBox list;
    CDigitEdit digits;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, kEdit, text);
        DDV_MaxChars(pDX, text, limit);
        if (GetTemplateId() == kChildTemplate) {
            DDX_Check(pDX, kCheck, check);
            DDX_Control(pDX, kList, list);
            DDX_Control(pDX, kDigits, digits);
        }
    }
    bool OnNotify(int id, UINT code) override {
        // The notifications the message maps use (the system sends more: EN_UPDATE, ...).
        if (code == EN_CHANGE || code == CBN_SELCHANGE || code == BN_CLICKED)
            notes.emplace_back(id, code);
        return CDialog::OnNotify(id, code);
    }
    void OnOK() override { ++oks; }
    void OnCancel() override { ++cancels; }
    void OnClose() override { ++closes; }
};

class Win32Backend : public ::testing::Test {
protected:
    void SetUp() override {
        if (!WindowsUi::Available())
            GTEST_SKIP() << WindowsUi::Unavailable();
        RegisterDialogTemplate(&kChildDialog);
        RegisterDialogTemplate(&kModalDialog);
        win32::StartUiDispatcher();
        UiHooks hooks;
        hooks.beep = [this](UINT) { ++beeps; };
        hooks.messageBox = [](const std::string&, const std::string&, UINT) { return IDOK; };
        m_saved = SetUiHooks(hooks);
        m_host.Bind();
    }
    void TearDown() override {
        if (WindowsUi::Available())
            SetUiHooks(m_saved);
    }
    HWND Item(CDialog& d, int id) { return ::GetDlgItem(d.GetSafeHwnd(), id); }
    std::wstring Text(HWND h) {
        wchar_t buffer[256] = {};
        GetWindowTextW(h, buffer, 256);
        return buffer;
    }
    WindowsUi::HostWnd m_host;
    int beeps = 0;

private:
    UiHooks m_saved;
};

TEST_F(Win32Backend, DataExchangeMovesValuesBothWaysAndTheLimitBindsOnlyTheUser) {
    TestDialog d;
    d.text = "abcdefgh"; // longer than the limit: a program-set text is never cut
    d.check = 1;
    ASSERT_TRUE(d.Create(kChildTemplate, &m_host));
    EXPECT_EQ(Text(Item(d, kEdit)), L"abcdefgh");
    EXPECT_EQ(SendMessageW(Item(d, kEdit), EM_GETLIMITTEXT, 0, 0), 5);
    EXPECT_EQ(SendMessageW(Item(d, kCheck), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(Item(d, kEdit), WM_CHAR, 'x', 0); // at the limit: nothing more is typed
    EXPECT_EQ(Text(Item(d, kEdit)), L"abcdefgh");
    SetWindowTextW(Item(d, kEdit), L"ab");
    SendMessageW(Item(d, kEdit), EM_SETSEL, 2, 2);
    for (wchar_t c : std::wstring(L"cdefg"))
        SendMessageW(Item(d, kEdit), WM_CHAR, c, 0);
    EXPECT_EQ(Text(Item(d, kEdit)), L"abcde");
    SendMessageW(Item(d, kCheck), BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(d.UpdateData(TRUE));
    EXPECT_EQ(d.text, "abcde");
    EXPECT_EQ(d.check, 0);
    d.DestroyWindow();
}

TEST_F(Win32Backend, TextsCrossAsTheCodePageAndTypedCharactersItCannotHoldAreRefused) {
    TestDialog d;
    d.text = "\x80\xE9";
    d.limit = 20;
    ASSERT_TRUE(d.Create(kChildTemplate, &m_host));
    EXPECT_EQ(Text(Item(d, kEdit)), L"\u20AC\u00E9");
    SendMessageW(Item(d, kEdit), EM_SETSEL, 2, 2);
    SendMessageW(Item(d, kEdit), WM_CHAR, 0x0416, 0); // Cyrillic: not in the code page
    SendMessageW(Item(d, kEdit), WM_CHAR, 0x0160, 0); // S with caron: byte 0x8A
    EXPECT_EQ(beeps, 1);
    ASSERT_TRUE(d.UpdateData(TRUE));
    EXPECT_EQ(d.text, "\x80\xE9\x8A");
    d.DestroyWindow();
}

TEST_F(Win32Backend, NotificationsDuringUpdateDataAreDroppedAndSelectionsFromCodeSendNothing) {
    TestDialog d;
    ASSERT_TRUE(d.Create(kChildTemplate, &m_host));
    d.notes.clear();
    d.text = "changed";
    d.UpdateData(FALSE);
    EXPECT_TRUE(d.notes.empty());
    d.GetDlgItem(kEdit)->SetWindowText("by the program"); // EN_CHANGE follows every change
    EXPECT_EQ(d.notes, (std::vector<std::pair<int, UINT>>{{kEdit, EN_CHANGE}}));
    d.notes.clear();
    for (const char* item : {"one", "two", "three"})
        d.list.InsertString(-1, item);
    d.list.SetCurSel(1);
    EXPECT_TRUE(d.notes.empty());
    EXPECT_EQ(d.list.GetLBText(1), "two");
    SendMessageW(Item(d, kList), WM_KEYDOWN, VK_DOWN, 0); // the user's pick
    EXPECT_EQ(d.list.GetCurSel(), 2);
    EXPECT_EQ(d.notes, (std::vector<std::pair<int, UINT>>{{kList, CBN_SELCHANGE}}));
    d.DestroyWindow();
}

TEST_F(Win32Backend, TypedCharactersGoThroughOnCharAndDefaultPassesThemOn) {
    TestDialog d;
    ASSERT_TRUE(d.Create(kChildTemplate, &m_host));
    for (wchar_t c : std::wstring(L"1a2-3\b"))
        SendMessageW(Item(d, kDigits), WM_CHAR, c, 0);
    EXPECT_EQ(Text(Item(d, kDigits)), L"12");
    EXPECT_EQ(beeps, 2);
    d.DestroyWindow();
    // The control outlives nothing: a destroyed dialog unbinds its controls.
    EXPECT_EQ(d.digits.GetSafeHwnd(), nullptr);
}

class ModalProbe : public TestDialog {
public:
    ModalProbe() : TestDialog(kModalTemplate) {}
    WPARAM key = VK_RETURN;
    bool childGetsKey = false;
    TestDialog page;

protected:
    BOOL OnInitDialog() override {
        TestDialog::OnInitDialog();
        HWND target = ::GetDlgItem(GetSafeHwnd(), kEdit);
        if (childGetsKey) {
            page.Create(kChildTemplate, this);
            target = ::GetDlgItem(page.GetSafeHwnd(), kEdit);
            ::SetFocus(target);
        }
        PostMessageW(target, WM_KEYDOWN, key, 0);
        SetTimer(7, 10);
        return !childGetsKey; // TRUE: the dialog manager gives the first tab stop the focus
    }
    void OnTimer(UINT_PTR id) override {
        if (id != 7)
            return;
        KillTimer(7);
        EndDialog(42);
    }
};

TEST_F(Win32Backend, EnterAndEscapeGoToTheInnermostDialogAndTimersRun) {
    ModalProbe enter;
    EXPECT_EQ(enter.DoModal(), 42);
    EXPECT_EQ(enter.oks, 1);
    EXPECT_EQ(enter.cancels, 0);
    ModalProbe escape;
    escape.key = VK_ESCAPE;
    EXPECT_EQ(escape.DoModal(), 42);
    EXPECT_EQ(escape.cancels, 1);
    EXPECT_EQ(escape.oks, 0);
    // In a child dialog the keys reach the child's handlers, not the dialog around it.
    ModalProbe child;
    child.childGetsKey = true;
    EXPECT_EQ(child.DoModal(), 42);
    EXPECT_EQ(child.page.oks, 1);
    EXPECT_EQ(child.oks, 0);
}

// OnInitDialog puts the focus on OK and returns whether the dialog manager should move it to
// the first tab stop instead. The check runs inside the modal loop: the dialog is activated
// first (with no window manager nothing else activates it), and activation gives the focus
// back to the control the dialog manager recorded.
class FocusProbe : public TestDialog {
public:
    FocusProbe() : TestDialog(kModalTemplate) {}
    BOOL returned = TRUE;
    int focusId = 0;

protected:
    BOOL OnInitDialog() override {
        TestDialog::OnInitDialog();
        ::SetFocus(::GetDlgItem(GetSafeHwnd(), IDOK));
        SetTimer(8, 10);
        return returned;
    }
    void OnTimer(UINT_PTR id) override {
        if (id != 8)
            return;
        KillTimer(8);
        SetForegroundWindow(GetSafeHwnd());
        SetActiveWindow(GetSafeHwnd());
        HWND focus = GetFocus();
        focusId = focus && ::GetParent(focus) == GetSafeHwnd() ? ::GetDlgCtrlID(focus) : -1;
        EndDialog(43);
    }
};

TEST_F(Win32Backend, OnInitDialogReturningTrueFocusesTheFirstTabStopAndFalseKeepsItsChoice) {
    FocusProbe first;
    EXPECT_EQ(first.DoModal(), 43);
    EXPECT_EQ(first.focusId, kEdit);
    FocusProbe kept;
    kept.returned = FALSE;
    EXPECT_EQ(kept.DoModal(), 43);
    EXPECT_EQ(kept.focusId, IDOK);
}

// A disabled window leaves its controls drawn as they were: ShowDisabledNow disables each.
TEST_F(Win32Backend, ShowDisabledNowDisablesTheDialogAndEachControl) {
    TestDialog d;
    ASSERT_TRUE(d.Create(kChildTemplate, &m_host));
    d.ShowDisabledNow();
    EXPECT_FALSE(IsWindowEnabled(d.GetSafeHwnd()));
    size_t controls = 0;
    for (HWND c = GetWindow(d.GetSafeHwnd(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        EXPECT_FALSE(IsWindowEnabled(c)) << GetDlgCtrlID(c);
        ++controls;
    }
    EXPECT_EQ(controls, kChildDialog.items.size());
    d.DestroyWindow();
}

TEST_F(Win32Backend, AMessagePostedToADestroyedWindowReachesNothing) {
    TestDialog d;
    ASSERT_TRUE(d.Create(kChildTemplate, &m_host));
    HWND h = d.GetSafeHwnd();
    PostMessageA(h, WM_CLOSE, 0, 0);
    d.DestroyWindow();
    Pump();
    EXPECT_EQ(d.closes, 0);
    EXPECT_FALSE(IsWindow(h));
    ASSERT_TRUE(d.Create(kChildTemplate, &m_host));
    PostMessageA(d.GetSafeHwnd(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(d.closes, 1);
    d.DestroyWindow();
}

DWORD g_requestThread = 0;
UINT Worker(LPVOID) {
    RunOnUiThread([] { g_requestThread = GetCurrentThreadId(); });
    AfxMessageBox("from the worker");
    return 0;
}

TEST_F(Win32Backend, TheWorkersRequestsRunOnTheInterfaceThread) {
    EXPECT_TRUE(IsUiThread());
    AfxBeginThread(Worker, nullptr);
    AfxWaitForWorkerThreads();
    EXPECT_EQ(g_requestThread, GetCurrentThreadId());
}

// A control bound to an object gets the procedure it had back when the object lets it go,
// and can be bound again.
TEST_F(Win32Backend, AControlGetsItsProcedureBackWhenUnbound) {
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                win32::Instance(), nullptr);
    ASSERT_TRUE(edit);
    const LONG_PTR own = GetWindowLongPtrW(edit, GWLP_WNDPROC);
    for (int round = 0; round < 2; ++round) {
        CWnd wnd;
        ASSERT_TRUE(win32::SubclassWindow(wnd, edit)) << round;
        EXPECT_NE(GetWindowLongPtrW(edit, GWLP_WNDPROC), own) << round;
        wnd.SetWindowText("typed");
        EXPECT_EQ(wnd.GetWindowText(), "typed") << round;
    }
    EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_WNDPROC), own);
    DestroyWindow(edit);
}

// The search for a running copy: every top-level window, shown or not, whose whole caption
// is one of those asked for, letter case not counting.
TEST_F(Win32Backend, TheSearchForARunningCopyMatchesWholeCaptions) {
    const struct {
        const wchar_t* caption;
        bool found;
    } cases[] = {{L"Login", true},         {L"LOGIN", true},   {L"ap utility", true},
                 {L"AP Utility", true},    {L"Login ", false}, {L"Logi", false},
                 {L"AP Utility 2", false}, {L"", false}};
    for (const auto& c : cases) {
        HWND w = CreateWindowExW(0, L"STATIC", c.caption, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 win32::Instance(), nullptr);
        ASSERT_TRUE(w);
        EXPECT_EQ(FindTopLevelWindow({"Login", "AP Utility"}), c.found ? w : nullptr)
            << win32::Narrow(c.caption);
        DestroyWindow(w);
    }
}

} // namespace
