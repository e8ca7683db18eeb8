// The dialog framework itself: data exchange, limits, notifications, keys, layout, modality.
#include "GuiTest.h"
#include "platform/DialogTemplate.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <atomic>
#include <map>
#include <thread>

namespace {

constexpr UINT kTestTemplate = 9001;
const DialogTemplate kTemplate = {
    kTestTemplate,
    "Framework",
    15,
    20,
    200,
    100,
    kCaption,
    "MS Sans Serif",
    9,
    {
        {100, ControlKind::kEdit, "", 91, 13, 60, 14, kBorder},
        {101, ControlKind::kEdit, "", 10, 13, 20, 14, kBorder | kUpperCase | kCentered},
        {102, ControlKind::kCheckBox, "Check", 10, 30, 50, 14, kPushLike},
        {103, ControlKind::kDropDownList, "", 91, 30, 60, 60, kSorted},
        {1, ControlKind::kDefPushButton, "OK", 10, 80, 50, 14, kStyleNone},
        {2, ControlKind::kPushButton, "Cancel", 70, 80, 50, 14, kStyleNone},
    }};

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(kTestTemplate) { RegisterDialogTemplate(&kTemplate); }
    BOOL OnInitDialog() override {
        ++inits;
        return CDialog::OnInitDialog();
    }
    void OnOK() override {
        ++oks;
        if (endOnOk)
            CDialog::OnOK();
    }
    void OnCancel() override {
        ++cancels;
        if (endOnOk)
            CDialog::OnCancel();
    }

    std::string m_text;
    int m_check = 0;
    CComboBox m_combo;
    CEdit m_edit;
    std::map<int, int> changes;
    int selChanges = 0, inits = 0, oks = 0, cancels = 0;
    bool endOnOk = true;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 103, m_combo);
        DDX_Control(pDX, 100, m_edit);
        DDX_Text(pDX, 100, m_text);
        DDV_MaxChars(pDX, m_text, 5);
        DDX_Check(pDX, 102, m_check);
    }
    void OnChange100() { ++changes[100]; }
    void OnSelChange() { ++selChanges; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
ON_EN_CHANGE(100, OnChange100)
ON_CBN_SELCHANGE(103, OnSelChange)
END_MESSAGE_MAP()

// A window to host child dialogs, as the main dialog hosts the pages.
struct Host {
    Host() {
        widget.resize(500, 300);
        wnd.Attach(&widget);
        widget.show();
    }
    ~Host() { wnd.Detach(); }
    QWidget widget;
    CWnd wnd;
};

TEST(DataExchange, MovesValuesBothWaysAndSetsLimits) {
    UiRecorder ui;
    Host host;
    TestDialog dlg;
    dlg.m_text = "abc";
    dlg.m_check = 1;
    ASSERT_TRUE(dlg.Create(kTestTemplate, &host.wnd));
    auto* edit = Control<QLineEdit>(dlg, 100);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "abc");
    EXPECT_TRUE(Control<QAbstractButton>(dlg, 102)->isChecked());
    EXPECT_EQ(edit->maxLength(), 5); // DDV_MaxChars limits the edit itself

    TypeInto(edit, "defgh");
    EXPECT_EQ(edit->text(), "abcde");
    QTest::mouseClick(Control<QAbstractButton>(dlg, 102), Qt::LeftButton);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_text, "abcde");
    EXPECT_EQ(dlg.m_check, 0);
    EXPECT_TRUE(ui.messages.empty());

    // A text longer than the limit (not typed: set before the limit) fails the exchange.
    dlg.m_text = "abcdefgh";
    dlg.DestroyWindow();
    ASSERT_TRUE(dlg.Create(kTestTemplate, &host.wnd));
    EXPECT_EQ(Control<QLineEdit>(dlg, 100)->text(), "abcdefgh");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Please enter no more than 5 characters."});
    dlg.DestroyWindow();
}

TEST(DataExchange, NotificationsDuringUpdateDataAreDropped) {
    UiRecorder ui;
    Host host;
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(kTestTemplate, &host.wnd));
    dlg.changes.clear();
    dlg.m_text = "xy";
    dlg.UpdateData(FALSE);
    EXPECT_EQ(dlg.changes[100], 0);
    dlg.m_edit.SetWindowText("z"); // set by the program outside UpdateData: reported
    EXPECT_EQ(dlg.changes[100], 1);
    TypeInto(Control<QLineEdit>(dlg, 100), "q");
    EXPECT_EQ(dlg.changes[100], 2);
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dlg.m_edit.GetSafeHwnd(), nullptr);
}

TEST(DataExchange, ListSelectionFromCodeSendsNothing) {
    UiRecorder ui;
    Host host;
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(kTestTemplate, &host.wnd));
    dlg.m_combo.ResetContent();
    dlg.m_combo.InsertString(0, "zeta");
    dlg.m_combo.InsertString(1, "alpha");
    dlg.m_combo.InsertString(1, "mid");
    EXPECT_EQ(dlg.m_combo.GetCurSel(), CB_ERR); // inserting selects nothing
    EXPECT_EQ(dlg.m_combo.GetLBText(1), "mid"); // positions hold, the sorted style aside
    dlg.m_combo.SetCurSel(1);
    EXPECT_EQ(dlg.selChanges, 0);
    PickItem(Control<QComboBox>(dlg, 103), 2);
    EXPECT_EQ(dlg.selChanges, 1);
    EXPECT_EQ(dlg.m_combo.GetCurSel(), 2);
    EXPECT_EQ(dlg.m_combo.SetCurSel(7), CB_ERR);
    EXPECT_EQ(dlg.m_combo.GetCurSel(), CB_ERR);
    dlg.DestroyWindow();
}

TEST(Keys, EnterAndEscapeGoToTheInnermostDialog) {
    UiRecorder ui;
    {
        TestDialog dlg;
        WhenModal([&] { TypeInto(Control<QLineEdit>(dlg, 100), "ab\r"); });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.oks, 1);
        EXPECT_EQ(dlg.m_text, "ab");
    }
    {
        TestDialog dlg;
        WhenModal([&] {
            MoveFocusTo(Control<QLineEdit>(dlg, 100));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(dlg.cancels, 1);
    }
    {
        // A child dialog takes Enter and Escape itself; its parent never sees them.
        TestDialog outer, inner;
        inner.endOnOk = false;
        WhenModal([&] {
            inner.Create(kTestTemplate, &outer);
            inner.ShowWindow(SW_SHOW);
            QLineEdit* edit = Control<QLineEdit>(inner, 100);
            MoveFocusTo(edit);
            QTest::keyClick(edit, Qt::Key_Return);
            QTest::keyClick(edit, Qt::Key_Escape);
            EXPECT_EQ(inner.oks, 1);
            EXPECT_EQ(inner.cancels, 1);
            EXPECT_EQ(outer.oks + outer.cancels, 0);
            inner.DestroyWindow();
            outer.EndDialog(7);
        });
        EXPECT_EQ(outer.DoModal(), 7);
    }
}

TEST(Layout, DialogUnitsFollowTheFont) {
    DialogUnits units;
    units.cxChar = 6;
    units.cyChar = 13;
    EXPECT_EQ(units.X(4), 6);
    EXPECT_EQ(units.Y(8), 13);
    EXPECT_EQ(units.X(91), 137); // 136.5 rounds as MulDiv does
    EXPECT_EQ(units.Y(13), 21);  // 21.125

    Host host;
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(kTestTemplate, &host.wnd));
    DialogUnits real = DialogUnits::ForFont(TemplateFont(kTemplate));
    EXPECT_GT(real.cxChar, 3);
    EXPECT_GT(real.cyChar, 8);
    EXPECT_EQ(Control<QLineEdit>(dlg, 100)->geometry(), real.Rect(91, 13, 60, 14));
    EXPECT_EQ(dlg.GetWidget()->geometry(), real.Rect(15, 20, 200, 100));
    // A bigger font makes a bigger dialog.
    QFont big = TemplateFont(kTemplate);
    big.setPointSize(18);
    EXPECT_GT(DialogUnits::ForFont(big).X(100), real.X(100));
    dlg.DestroyWindow();
}

TEST(Modal, DisablesItsOwnerAndPostedMessagesArrive) {
    UiRecorder ui;
    TestDialog outer, inner;
    bool ownerDisabledMeanwhile = false;
    HWND innerHandle = nullptr;
    WhenModal([&] {
        WhenModal([&] {
            ownerDisabledMeanwhile = !outer.IsWindowEnabled();
            innerHandle = inner.GetSafeHwnd();
            PostMessageA(innerHandle, WM_INITDIALOG, 0, 0);
            PumpUntil([&] { return inner.inits == 2; });
            PostMessageA(innerHandle, WM_CLOSE, 0, 0); // ends it as cancelled
        });
        EXPECT_EQ(inner.DoModal(), IDCANCEL);
        EXPECT_TRUE(outer.IsWindowEnabled());
        // Messages posted to a window that is gone reach nothing.
        PostMessageA(innerHandle, WM_INITDIALOG, 0, 0);
        QCoreApplication::processEvents();
        EXPECT_EQ(inner.inits, 2);
        outer.EndDialog(IDOK);
    });
    EXPECT_EQ(outer.DoModal(), IDOK);
    EXPECT_TRUE(ownerDisabledMeanwhile);
    EXPECT_EQ(inner.inits, 2);
}

TEST(UiServices, WorkerRequestsRunOnTheUiThreadAndWait) {
    UiRecorder ui;
    QThread* uiThread = QThread::currentThread();
    bool ranOnUi = false;
    ui.onMessage = [&](const UiRecorder::Message&) {
        ranOnUi = QThread::currentThread() == uiThread;
        PumpUntil([] { return false; }, 100); // the user takes a while
    };
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        AfxMessageBox("from the worker", MB_ICONINFORMATION);
        returned = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_TRUE(ranOnUi);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, AfxGetAppTitle());
    EXPECT_EQ(ui.messages[0].type, MB_ICONINFORMATION);
}

} // namespace
